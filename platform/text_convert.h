#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Narrow text is the system's 8-bit encoding, used where texts meet the sockets and inside the
// backup file; wide text is UTF-16 everywhere else. On POSIX systems narrow text is UTF-8: a
// surrogate without its other half becomes U+FFFD, and so does each narrow byte that belongs to
// no character. The narrow conversions are each system's own (platform/posix/ and
// platform/win32/text_convert.cpp); the rest is shared (platform/text_convert.cpp).
std::string WideToNarrow(std::u16string_view wide);
std::u16string NarrowToWide(std::string_view narrow);

// Text a device sent, such as a printer's description, character for character (a byte-order
// mark included). On Windows, the ANSI code page, as every narrow text there; elsewhere UTF-8
// when its bytes are valid UTF-8, else Windows-1252, the code page such devices use for their
// 8-bit texts.
std::u16string DeviceTextToWide(std::string_view bytes);

// Puts the narrow form of `wide` in `narrow` and, in `starts`, the offset in it at which the bytes
// of each code unit begin: -1 for the low half of a surrogate pair, which converts with its high
// half. Both reuse their storage.
void WideToNarrowMapped(std::u16string_view wide, std::string& narrow,
                        std::vector<ptrdiff_t>& starts);

// Length in code units of a zero-terminated UTF-16 text.
size_t WideLength(const char16_t* text);

// A zero-terminated wide text, such as a record's fixed field or heap copy, as a view up to its
// terminator; no text reads as empty.
std::u16string_view WideText(const char16_t* text);

// Copies a wide text into a fixed field of `capacity` code units, cutting it so that the
// terminator always fits.
void CopyWideField(char16_t* field, size_t capacity, std::u16string_view text);
