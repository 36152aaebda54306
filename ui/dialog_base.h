#pragma once

#include <QDialog>

// A dialog that fills its controls from its members each time it is about to appear, before
// it is first drawn, however it is opened (exec, open or show).
class CDialogBase : public QDialog {
    Q_OBJECT
  public:
    using QDialog::QDialog;

    void setVisible(bool visible) override;

  protected:
    // Writes the members into the controls and sets the initial focus.
    virtual void OnInitDialog() = 0;
};
