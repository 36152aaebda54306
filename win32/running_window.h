#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The first instance's window as a second start reaches it: found by its title and a property
// that only the program's main window carries, so no other program's window of the same title
// is handed a file.

void MarkRunningWindow(HWND window);
void UnmarkRunningWindow(HWND window);

// Waits up to a few seconds for the marked window titled `title` (its title comes after its
// first search), restores it if minimised, shows it if hidden, brings it forward and hands it
// `path` when one is given. True when the window was found and took the path.
bool ReachRunningWindow(const std::u16string& title, const std::u16string& path);

// The path a WM_COPYDATA message hands over; nothing for anything else.
std::optional<std::u16string> HandedOverPath(const COPYDATASTRUCT* message);
