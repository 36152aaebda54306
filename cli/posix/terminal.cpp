#include "cli/terminal.h"

#include <unistd.h>

void PrepareTerminal() {}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

bool RedrawsInPlace(std::FILE* stream) {
    return IsTerminal(stream);
}
