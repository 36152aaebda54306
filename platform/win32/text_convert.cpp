#include "platform/text_convert.h"

#include <windows.h>

// Narrow text is the ANSI code page, as everywhere on Windows where texts meet the sockets and
// inside the backup file.

namespace {

std::u16string FromCodePage(std::string_view narrow) {
    if (narrow.empty())
        return {};
    const int size = static_cast<int>(narrow.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, nullptr, 0);
    std::u16string wide(static_cast<size_t>(units), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                          units);
    return wide;
}

// The narrow form of one run of code units.
std::string ToCodePage(std::u16string_view wide) {
    if (wide.empty())
        return {};
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int size = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, units, size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, units, size, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

} // namespace

std::string WideToNarrow(std::u16string_view wide) {
    return ToCodePage(wide);
}

std::u16string NarrowToWide(std::string_view narrow) {
    return FromCodePage(narrow);
}

std::u16string DeviceTextToWide(std::string_view bytes) {
    return FromCodePage(bytes);
}

void WideToNarrowMapped(std::u16string_view wide, std::string& narrow,
                        std::vector<ptrdiff_t>& starts) {
    narrow.clear();
    starts.assign(wide.size(), -1);
    for (size_t at = 0; at < wide.size();) {
        const bool pair = at + 1 < wide.size() && wide[at] >= 0xD800 && wide[at] <= 0xDBFF &&
                          wide[at + 1] >= 0xDC00 && wide[at + 1] <= 0xDFFF;
        const size_t units = pair ? 2 : 1;
        starts[at] = static_cast<ptrdiff_t>(narrow.size());
        narrow += ToCodePage(wide.substr(at, units));
        at += units;
    }
}
