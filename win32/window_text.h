#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Windows' wide text is UTF-16 in wchar_t, the core's in char16_t: the same code units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* WideChars(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}
inline std::u16string CoreText(const wchar_t* text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// A window's whole text, and setting it (the view's characters up to its end, nothing beyond).
std::u16string WindowText(HWND window);
void SetWindowTextOf(HWND window, std::u16string_view text);

// The string-table entry `id` of this program.
std::u16string LoadResourceString(unsigned id);
