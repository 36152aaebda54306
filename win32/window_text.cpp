#include "win32/window_text.h"

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int read = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<size_t>(read > 0 ? read : 0));
    return text;
}

void SetWindowTextOf(HWND window, std::u16string_view text) {
    const std::u16string terminated(text);
    SetWindowTextW(window, WideChars(terminated));
}

std::u16string LoadResourceString(unsigned id) {
    // With a zero length LoadStringW hands out a pointer into the resource itself.
    const wchar_t* resource = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&resource), 0);
    if (length <= 0 || resource == nullptr)
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(resource), static_cast<size_t>(length));
}
