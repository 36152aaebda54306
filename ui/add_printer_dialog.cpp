#include "ui/add_printer_dialog.h"

#include "ui/ip_address_edit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CDlgSetIPAddress::CDlgSetIPAddress(QWidget* parent)
    : CDialogBase(parent), m_addressEdit(new CIPAddressEdit(this)) {
    setWindowTitle(tr("Add printer"));

    auto* label = new QLabel(tr("&IP Address:"), this);
    label->setBuddy(m_addressEdit);
    m_addressEdit->setObjectName(QStringLiteral("addressEdit"));

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &CDlgSetIPAddress::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgSetIPAddress::reject);

    auto* field = new QHBoxLayout;
    field->addWidget(m_addressEdit);
    field->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(field);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CDlgSetIPAddress::OnInitDialog() {
    m_addressEdit->SetAddress(m_address);
    m_addressEdit->SetFieldFocus(0);
}

void CDlgSetIPAddress::accept() {
    // No further checks: 0.0.0.0, a broadcast address or a half-filled field go back as read.
    m_address = m_addressEdit->Address();
    QDialog::accept();
}
