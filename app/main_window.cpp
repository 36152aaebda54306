#include "app/main_window.h"

#include "text/string_ids.h"
#include "text/string_table.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

CTolvaneDlg::CTolvaneDlg(const QString& commandLineFile, QWidget* parent)
    : QDialog(parent), m_backupFileName(commandLineFile) {
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("C&lose"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setWindowTitle(ResString(IDS_MAIN_TITLE));
}
