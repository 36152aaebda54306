#include "ui/community_dialog.h"

#include "platform/message_box.h"
#include "text/string_ids.h"
#include "text/string_table.h"
#include "ui/field_exchange.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Plain ASCII ranges only: the name goes out in SNMP requests as narrow text.
bool IsCommunityCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
           u == u'-' || u == u'_';
}

} // namespace

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

    // textChanged also fires for the text this check writes back, so the check runs again on
    // each shortened text until only allowed characters remain.
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
    const QString text = m_nameEdit->text();
    if (text.isEmpty() || std::all_of(text.begin(), text.end(), IsCommunityCharacter))
        return;
    MessageBoxExW(nullptr, ResString(IDS_INVALID_COMMUNITY),
                  ResString(IDS_VERIFY_COMMUNITY_CAPTION), MB_OK | MB_ICONHAND | MB_TASKMODAL);
    // Drops the last character, wherever the bad one is: the nested check started by setText
    // repeats this, one notice per character, until the bad one is gone.
    m_nameEdit->setText(text.left(text.size() - 1));
    m_nameEdit->selectAll();
}
