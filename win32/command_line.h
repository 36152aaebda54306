#pragma once

#include "workflow/command_line.h"

#include <string>
#include <vector>

// The Windows program's reading of ParseCommandLine: "/?" asks for help as well.
CommandLine ParseProgramCommandLine(const std::vector<std::u16string>& arguments);

// Answers --help, --version or a refusal in a message box; returns the exit status (0, or 2 for
// a command line that was not understood).
int AnswerCommandLine(const CommandLine& commandLine);
