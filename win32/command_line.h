#pragma once

#include <string>
#include <vector>

// What the command line asks of the window: run with an optional backup file, or answer
// --help or --version, or refuse an option it does not know.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    std::u16string backupFile;
    std::u16string error;
};

// The arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::u16string>& arguments);

// Answers --help, --version or a refusal in a message box; returns the exit status (0, or 2 for
// a command line that was not understood).
int AnswerCommandLine(const CommandLine& commandLine);
