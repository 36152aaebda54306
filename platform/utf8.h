#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 and UTF-16, one character at a time.

// Length of the well-formed UTF-8 sequence at `at` and its code point, or 0 when none starts
// there (a cut sequence, an overlong form, a surrogate or a value above U+10FFFF).
size_t DecodeUtf8(std::string_view text, size_t at, char32_t* code);

// Length of the character at `at` in code units (2 for a surrogate pair) and its code point; a
// surrogate without its other half reads as U+FFFD.
size_t DecodeUtf16(std::u16string_view text, size_t at, char32_t* code);

void AppendUtf8(char32_t code, std::string& out);
void AppendUtf16(char32_t code, std::u16string& out);

// The UTF-8 form of `wide`; a surrogate without its other half becomes U+FFFD.
std::string WideToUtf8(std::u16string_view wide);

// The UTF-16 form of `utf8`, character for character: a byte-order mark is kept as U+FEFF, not
// dropped (the ANSI code page's conversion drops nothing either), so a text converted here
// compares as it does on Windows; each byte that starts no well-formed sequence becomes U+FFFD
// (one per byte, as the Qt edition read such text). `valid`, when given, tells whether every
// byte belonged to a character.
std::u16string Utf8ToWide(std::string_view utf8, bool* valid = nullptr);
