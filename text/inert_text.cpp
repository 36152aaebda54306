#include "text/inert_text.h"

#include "platform/utf8.h"

namespace {

bool NeedsEscape(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C || c == 0xFEFF;
}

// A character below 0x100 is written as a byte (\x1b), others as a code point (\u202e); C1
// characters are code points, so they read apart from stray bytes of broken UTF-8.
template <typename Text> void AppendEscape(char32_t value, bool asByte, Text* out) {
    switch (value) {
    case '\t':
        out->append({'\\', 't'});
        return;
    case '\n':
        out->append({'\\', 'n'});
        return;
    case '\r':
        out->append({'\\', 'r'});
        return;
    default:
        break;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    const int digits = asByte ? 2 : 4;
    out->push_back('\\');
    out->push_back(asByte ? 'x' : 'u');
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out->push_back(static_cast<typename Text::value_type>(kHex[(value >> shift) & 0xF]));
}

} // namespace

std::string InertText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        char32_t code = 0;
        const size_t length = DecodeUtf8(utf8, at, &code);
        if (length == 0) {
            AppendEscape(static_cast<unsigned char>(utf8[at]), true, &out);
            ++at;
            continue;
        }
        if (NeedsEscape(code))
            AppendEscape(code, code < 0x80, &out);
        else
            out.append(utf8.substr(at, length));
        at += length;
    }
    return out;
}

std::u16string InertText(std::u16string_view utf16) {
    std::u16string out;
    out.reserve(utf16.size());
    for (size_t at = 0; at < utf16.size(); ++at) {
        const char16_t unit = utf16[at];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool pairs =
            high && at + 1 < utf16.size() && utf16[at + 1] >= 0xDC00 && utf16[at + 1] <= 0xDFFF;
        if (pairs) {
            out.append(utf16.substr(at, 2));
            ++at;
        } else if ((unit >= 0xD800 && unit <= 0xDFFF) || NeedsEscape(unit)) {
            AppendEscape(unit, unit < 0x80, &out);
        } else {
            out.push_back(unit);
        }
    }
    return out;
}
