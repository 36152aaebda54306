#pragma once

#include <QString>

class QLineEdit;

// Limits what the operator can type into `edit` to `limit` characters without cutting a longer
// text that the program puts in (QLineEdit::setMaxLength alone would cut it). While the text is
// longer than the limit, it can shrink but not grow.
void LimitTyping(QLineEdit* edit, int limit);

// Puts `text` into `edit` whole, even beyond its typing limit.
void SetFieldText(QLineEdit* edit, const QString& text);

// Reads the field into `member` when it holds at most `maxChars` characters. A longer text shows
// "Please enter no more than N characters." in the application message box, puts the focus back
// on the field with all its text selected, leaves `member` alone and returns false.
bool ReadFieldText(QLineEdit* edit, int maxChars, QString* member);
