#include "platform/text_convert.h"

#include "platform/utf8.h"

// Narrow text is UTF-8 whatever the locale names, as Qt 6 took it on Unix, so the bytes sent
// never depend on LANG.

namespace {

// Appends the UTF-8 form of `wide` and the offset at which each code unit's bytes begin (the
// low half of a surrogate pair keeps its -1).
void AppendNarrow(std::u16string_view wide, std::string& narrow, ptrdiff_t* starts) {
    for (size_t at = 0; at < wide.size();) {
        starts[at] = static_cast<ptrdiff_t>(narrow.size());
        char32_t code = 0;
        at += DecodeUtf16(wide, at, &code);
        AppendUtf8(code, narrow);
    }
}

} // namespace

std::string WideToNarrow(std::u16string_view wide) {
    return WideToUtf8(wide);
}

std::u16string NarrowToWide(std::string_view narrow) {
    return Utf8ToWide(narrow);
}

void WideToNarrowMapped(std::u16string_view wide, std::string& narrow,
                        std::vector<ptrdiff_t>& starts) {
    narrow.clear();
    starts.assign(wide.size(), -1);
    AppendNarrow(wide, narrow, starts.data());
}

std::u16string DeviceTextToWide(std::string_view bytes) {
    bool valid = false;
    std::u16string text = Utf8ToWide(bytes, &valid);
    if (valid)
        return text;
    // Windows-1252 is Latin-1 except for 0x80 to 0x9F; its five unassigned bytes there keep
    // their own code points, as the system that defines the code page converts them.
    static constexpr char16_t kFrom0x80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    text.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? kFrom0x80[byte - 0x80] : char16_t{byte};
    }
    return text;
}
