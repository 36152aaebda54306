#include "ui/ip_address_edit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace {

constexpr int kPartDigits = 3;
constexpr unsigned kPartMax = 255;

} // namespace

CIPAddressEdit::CIPAddressEdit(QWidget* parent) : QFrame(parent) {
    // Drawn like one line edit: a sunken frame on the text background around borderless parts.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int index = 0; index < kPartCount; ++index) {
        if (index > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setBackgroundRole(QPalette::Base);
            layout->addWidget(dot);
        }
        auto* part = new QLineEdit(this);
        part->setObjectName(QStringLiteral("part%1").arg(index));
        part->setFrame(false);
        part->setAlignment(Qt::AlignCenter);
        part->setMaxLength(kPartDigits);
        part->setValidator(validator);
        part->setFixedWidth(part->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
        // Tab leaves the whole field, as it does from a single edit: only the first part is a
        // tab stop, the others are reached by typing or the arrow keys.
        if (index > 0)
            part->setFocusPolicy(Qt::ClickFocus);
        part->installEventFilter(this);
        connect(part, &QLineEdit::textEdited, this, [this, index] { OnPartEdited(index); });
        layout->addWidget(part);
        m_parts[index] = part;
    }
    setFocusProxy(m_parts[0]);
}

void CIPAddressEdit::SetAddress(uint32_t address) {
    for (int index = 0; index < kPartCount; ++index) {
        const unsigned shift = 8 * (kPartCount - 1 - index);
        m_parts[index]->setText(QString::number((address >> shift) & 0xFF));
    }
}

uint32_t CIPAddressEdit::Address() const {
    uint32_t address = 0;
    for (const QLineEdit* part : m_parts) {
        // toUInt gives 0 for a blank part.
        address = (address << 8) | std::min(part->text().toUInt(), kPartMax);
    }
    return address;
}

void CIPAddressEdit::SetFieldFocus(int part) {
    m_parts[part]->setFocus(Qt::OtherFocusReason);
    m_parts[part]->selectAll();
}

void CIPAddressEdit::OnPartEdited(int part) {
    QLineEdit* edit = m_parts[part];
    if (edit->text().toUInt() > kPartMax)
        edit->setText(QString::number(kPartMax));
    if (part + 1 < kPartCount && edit->text().size() == kPartDigits &&
        edit->cursorPosition() == kPartDigits)
        SetFieldFocus(part + 1);
}

bool CIPAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        for (int index = 0; index < kPartCount; ++index) {
            if (watched == m_parts[index] &&
                (keyEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
                return HandleKey(index, keyEvent->key());
        }
    }
    return QFrame::eventFilter(watched, event);
}

// Returns true when the key was used to move between parts.
bool CIPAddressEdit::HandleKey(int part, int key) {
    QLineEdit* edit = m_parts[part];
    const bool atStart = !edit->hasSelectedText() && edit->cursorPosition() == 0;
    const bool atEnd = !edit->hasSelectedText() && edit->cursorPosition() == edit->text().size();
    switch (key) {
    case Qt::Key_Period:
        // A part still showing all-selected text was just entered: the operator's "." after a
        // third digit must not skip the part that the digit moved to.
        if (part + 1 < kPartCount && !edit->text().isEmpty() && !edit->hasSelectedText())
            SetFieldFocus(part + 1);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (part == 0 || !atStart)
            return false;
        m_parts[part - 1]->setFocus(Qt::OtherFocusReason);
        m_parts[part - 1]->end(false);
        return true;
    case Qt::Key_Right:
        if (part + 1 == kPartCount || !atEnd)
            return false;
        m_parts[part + 1]->setFocus(Qt::OtherFocusReason);
        m_parts[part + 1]->home(false);
        return true;
    default:
        return false;
    }
}
