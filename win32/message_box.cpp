#include "win32/message_box.h"

#include "win32/window_text.h"

int ShowWin32MessageBox(WindowHandle owner, const std::u16string& text,
                        const std::u16string& caption, unsigned flags) {
    return ::MessageBoxExW(static_cast<HWND>(owner), WideChars(text), WideChars(caption), flags, 0);
}
