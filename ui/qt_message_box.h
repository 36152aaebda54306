#pragma once

#include "platform/message_box.h"

// Draws a message box with QMessageBox, owned by the QWidget `owner` points to; installed with
// SetMessageBoxFunction at start-up.
int ShowQtMessageBox(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                     unsigned flags);
