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

// Puts the narrow form of `wide` in `narrow` and, in `starts`, the offset in it at which the bytes
// of each code unit begin: -1 for the low half of a surrogate pair, which converts with its high
// half. Both reuse their storage.
void WideToNarrowMapped(QStringView wide, std::string& narrow, std::vector<qsizetype>& starts);

// Length in code units of a zero-terminated UTF-16 text.
size_t WideLength(const char16_t* text);

// Copies a wide text into a fixed field of `capacity` code units, cutting it so that the
// terminator always fits.
void CopyWideField(char16_t* field, size_t capacity, QStringView text);
