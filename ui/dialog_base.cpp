#include "ui/dialog_base.h"

void CDialogBase::setVisible(bool visible) {
    if (visible && !isVisible())
        OnInitDialog();
    QDialog::setVisible(visible);
}
