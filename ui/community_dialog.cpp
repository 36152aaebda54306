#include "ui/community_dialog.h"

#include "text/community_name.h"
#include "ui/field_exchange.h"
#include "ui/qt_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDlgSNMP::CDlgSNMP(QWidget* parent) : CDialogBase(parent), m_nameEdit(new QLineEdit(this)) {
    setWindowTitle(tr("Community"));

    auto* label = new QLabel(tr("&Community Name:"), this);
    label->setBuddy(m_nameEdit);
    m_nameEdit->setObjectName(QStringLiteral("communityEdit"));
    m_nameEdit->setMinimumWidth(m_nameEdit->fontMetrics().averageCharWidth() * 24);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &CDlgSNMP::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgSNMP::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_nameEdit);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // textChanged also fires for the text the check writes back; the check ignores that.
    connect(m_nameEdit, &QLineEdit::textChanged, this, &CDlgSNMP::CheckTypedName);
}

void CDlgSNMP::OnInitDialog() {
    SetFieldText(m_nameEdit, m_communityName);
    LimitTyping(m_nameEdit, kMaxNameLength);
    m_nameEdit->setFocus();
    m_nameEdit->selectAll();
}

void CDlgSNMP::accept() {
    if (ReadFieldText(m_nameEdit, kMaxNameLength, &m_communityName))
        QDialog::accept();
}

void CDlgSNMP::CheckTypedName() {
    const bool dropped =
        m_trim.Trim(WideOf(m_nameEdit->text()),
                    [this](const std::u16string& name) { m_nameEdit->setText(QtText(name)); });
    if (dropped)
        m_nameEdit->selectAll();
}
