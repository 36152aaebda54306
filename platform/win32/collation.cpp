#include "platform/collation.h"

#include <windows.h>

#include <string>

namespace {

// Empty: the user's default locale.
std::wstring g_localeName;

} // namespace

// The user's default locale, width ignored and nothing else, as the name column has always
// been ordered on Windows.
int CompareForLocale(std::u16string_view a, std::u16string_view b) {
    const int order =
        ::CompareStringEx(g_localeName.empty() ? LOCALE_NAME_USER_DEFAULT : g_localeName.c_str(),
                          NORM_IGNOREWIDTH, reinterpret_cast<const wchar_t*>(a.data()),
                          static_cast<int>(a.size()), reinterpret_cast<const wchar_t*>(b.data()),
                          static_cast<int>(b.size()), nullptr, nullptr, 0);
    return order == 0 ? 0 : order - CSTR_EQUAL;
}

// "en_US.UTF-8" becomes the Windows name "en-US".
void SetCollationLocale(std::string_view name) {
    name = name.substr(0, name.find('.'));
    g_localeName.assign(name.begin(), name.end());
    for (wchar_t& c : g_localeName)
        c = c == L'_' ? L'-' : c;
}
