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
