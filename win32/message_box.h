#pragma once

#include "platform/message_box.h"

// Shows the program's message boxes with the system's own MessageBoxExW.
int ShowWin32MessageBox(WindowHandle owner, const std::u16string& text,
                        const std::u16string& caption, unsigned flags);
