#pragma once

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>
#include <vector>

// Narrow text is the locale's 8-bit encoding, used where texts meet the sockets and inside the
// backup file; wide text is UTF-16 (QString) everywhere else.
std::string WideToNarrow(QStringView wide);
QString NarrowToWide(std::string_view narrow);

// Text a device sent, such as a printer's description: UTF-8 when its bytes are valid UTF-8,
// else Windows-1252, the code page such devices use for their 8-bit texts.
QString DeviceTextToWide(std::string_view bytes);

// Puts the narrow form of `wide` in `narrow` and, in `starts`, the offset in it at which the bytes
// of each code unit begin: -1 for the low half of a surrogate pair, which converts with its high
// half. Both reuse their storage.
void WideToNarrowMapped(QStringView wide, std::string& narrow, std::vector<qsizetype>& starts);

// Length in code units of a zero-terminated UTF-16 text.
size_t WideLength(const char16_t* text);

// A zero-terminated wide text, such as a record's fixed field or heap copy, as a view up to its
// terminator; no text reads as empty.
QStringView WideText(const char16_t* text);

// Copies a wide text into a fixed field of `capacity` code units, cutting it so that the
// terminator always fits.
void CopyWideField(char16_t* field, size_t capacity, QStringView text);
