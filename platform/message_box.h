#pragma once

#include <string>

#ifdef _WIN32
// The system's own flags and answers.
#include <windows.h>
#else
// Message-box flags and answers, named and valued as on Windows, so every notice can be
// asserted by the exact buttons and icon it asks for.
enum MessageBoxFlags : unsigned {
    MB_OK = 0x0000,
    MB_OKCANCEL = 0x0001,
    MB_YESNO = 0x0004,
    MB_TYPEMASK = 0x000F,
    MB_ICONHAND = 0x0010,
    MB_ICONQUESTION = 0x0020,
    MB_ICONEXCLAMATION = 0x0030,
    MB_ICONMASK = 0x00F0,
    MB_TASKMODAL = 0x2000,
};

enum MessageBoxResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};
#endif

// The window that owns a message box, as the front end that made it knows it (a QWidget*, an
// HWND); nullptr for none.
using WindowHandle = void*;

using MessageBoxFunction = int (*)(WindowHandle owner, const std::u16string& text,
                                   const std::u16string& caption, unsigned flags);

// Shows a message box through the installed function and returns the button pressed.
int MessageBoxExW(WindowHandle owner, const std::u16string& text, const std::u16string& caption,
                  unsigned flags);

// Installs the function that draws message boxes; returns the one it replaces. Each front end
// installs its own at start-up (the Qt window a QMessageBox one), tests install a recorder.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction function);
