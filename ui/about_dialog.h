#pragma once

#include "ui/dialog_base.h"

class QAction;
class QLabel;

// The About box: the program's icon and its version line.
class CAboutDlg : public CDialogBase {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

  protected:
    void OnInitDialog() override;

  private:
    QLabel* m_versionText;
};

// Gives `window` the "&About Tolvane..." entry that opens the About box modally: in the
// window's context menu (right-click on its background or on a control without a menu of its
// own) and on F1. Returns the entry's action.
QAction* InstallAboutEntry(QWidget* window);
