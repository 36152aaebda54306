#include "ui/field_exchange.h"

#include "text/notices.h"
#include "ui/qt_text.h"

#include <QLineEdit>
#include <QVariant>

#include <algorithm>

namespace {

constexpr char kTypingLimitProperty[] = "tolvaneTypingLimit";

// Keeps the edit's own maximum at the typing limit, or at the current length while a longer
// text is in it.
void FollowText(QLineEdit* edit) {
    const QVariant limit = edit->property(kTypingLimitProperty);
    if (!limit.isValid())
        return;
    const int wanted = std::max(limit.toInt(), static_cast<int>(edit->text().size()));
    if (edit->maxLength() == wanted)
        return;
    // setMaxLength re-sets the text, which moves the caret to the end and drops the selection.
    const int cursor = edit->cursorPosition();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = static_cast<int>(edit->selectedText().size());
    edit->setMaxLength(wanted);
    if (selectionStart >= 0 && selectionLength > 0) {
        if (cursor == selectionStart)
            edit->setSelection(selectionStart + selectionLength, -selectionLength);
        else
            edit->setSelection(selectionStart, selectionLength);
    } else {
        edit->setCursorPosition(cursor);
    }
}

} // namespace

void LimitTyping(QLineEdit* edit, int limit) {
    const bool following = edit->property(kTypingLimitProperty).isValid();
    edit->setProperty(kTypingLimitProperty, limit);
    if (!following)
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { FollowText(edit); });
    FollowText(edit);
}

void SetFieldText(QLineEdit* edit, const QString& text) {
    if (text.size() > edit->maxLength())
        edit->setMaxLength(static_cast<int>(text.size()));
    edit->setText(text);
    FollowText(edit);
}

bool ReadFieldText(QLineEdit* edit, int maxChars, QString* member) {
    const QString text = edit->text();
    if (text.size() > maxChars) {
        ShowFieldTooLong(maxChars);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    *member = text;
    return true;
}
