#pragma once

#include "win32/dialog.h"

// The About box: the program's icon and version line.
class CAboutDlg : public CDialog {
  public:
    CAboutDlg();

  protected:
    BOOL OnInitDialog() override;
};
