#include "platform/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

size_t DecodeUtf8(std::string_view text, size_t at, char32_t* code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        *code = lead;
        return 1;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *code = value;
    return length;
}

size_t DecodeUtf16(std::u16string_view text, size_t at, char32_t* code) {
    const char32_t unit = text[at];
    if (IsHighSurrogate(unit) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
        *code = 0x10000 + ((unit - 0xD800) << 10) + (text[at + 1] - 0xDC00);
        return 2;
    }
    *code = IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit;
    return 1;
}

void AppendUtf8(char32_t code, std::string& out) {
    const auto put = [&](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | (code >> 6));
        put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | (code >> 12));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    }
}

void AppendUtf16(char32_t code, std::u16string& out) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
}

std::string WideToUtf8(std::u16string_view wide) {
    std::string utf8;
    utf8.reserve(wide.size());
    for (size_t at = 0; at < wide.size();) {
        char32_t code = 0;
        at += DecodeUtf16(wide, at, &code);
        AppendUtf8(code, utf8);
    }
    return utf8;
}

std::u16string Utf8ToWide(std::string_view utf8, bool* valid) {
    if (valid != nullptr)
        *valid = true;
    std::u16string wide;
    wide.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        char32_t code = 0;
        size_t length = DecodeUtf8(utf8, at, &code);
        if (length == 0) {
            if (valid != nullptr)
                *valid = false;
            code = kReplacement;
            length = 1;
        }
        AppendUtf16(code, wide);
        at += length;
    }
    return wide;
}
