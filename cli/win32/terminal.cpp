#include "cli/terminal.h"

#include <initializer_list>
#include <windows.h>

namespace {

HANDLE ConsoleOf(std::FILE* stream) {
    if (stream == stdin)
        return ::GetStdHandle(STD_INPUT_HANDLE);
    return ::GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

} // namespace

void PrepareTerminal() {
    // The tool's texts are UTF-8, so names in any script print right.
    ::SetConsoleOutputCP(CP_UTF8);
    for (std::FILE* stream : {stdout, stderr}) {
        DWORD mode = 0;
        const HANDLE console = ConsoleOf(stream);
        if (::GetConsoleMode(console, &mode))
            ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

// A console, not merely a character device: the NUL device counts as one for _isatty.
bool IsTerminal(std::FILE* stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(ConsoleOf(stream), &mode) != 0;
}

bool RedrawsInPlace(std::FILE* stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(ConsoleOf(stream), &mode) &&
           (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
