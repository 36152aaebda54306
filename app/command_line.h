#pragma once

#include "workflow/command_line.h"

#include <string>
#include <vector>

// The Qt program's reading of ParseCommandLine: the toolkit's own options (-style NAME,
// -platform NAME, ...) are stepped over with their values, since QApplication takes them itself.
CommandLine ParseProgramCommandLine(const std::vector<std::u16string>& arguments);

// The arguments after the program name, decoded as the toolkit decodes them.
std::vector<std::u16string> ArgumentsAfterProgram(int argc, char** argv);

// Prints the answer to --help, --version or a mistake and gives the exit status (0, or 2 for a
// mistake). Run has nothing to answer: it prints nothing and gives 0.
int AnswerCommandLine(const CommandLine& commandLine);
