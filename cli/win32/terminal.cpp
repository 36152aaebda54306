#include "cli/terminal.h"

#include <initializer_list>
#include <io.h>
#include <windows.h>

namespace {

HANDLE ConsoleOf(std::FILE* stream) {
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

bool IsTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

bool RedrawsInPlace(std::FILE* stream) {
    DWORD mode = 0;
    return IsTerminal(stream) && ::GetConsoleMode(ConsoleOf(stream), &mode) &&
           (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
