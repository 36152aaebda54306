#pragma once

#include <cstdio>

// Readies the console once at start: on Windows, UTF-8 output and, where the console has it,
// its VT mode for the redrawn lines. Nothing to do elsewhere.
void PrepareTerminal();

// Whether `stream` is a terminal that a person reads.
bool IsTerminal(std::FILE* stream);

// Whether lines can be redrawn in place on `stream`: a terminal that takes the VT cursor and
// erase codes. Without it the tool writes each line once.
bool RedrawsInPlace(std::FILE* stream);
