#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// What the window's command line asks for. It is read before anything starts, so --help,
// --version and a mistake are answered without sockets, a display or the single-instance lock.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    // Run: the first argument that is not an option; empty when there is none.
    std::u16string backupFile;
    // Refuse: what was wrong, one line without the program name.
    std::u16string error;
};

// What a program's own toolkit and system add to our options.
struct CommandLineDialect {
    // The toolkit's options that take the next argument as their value (each may also be
    // written with two dashes or as -option=value), and those that take none: stepped over, as
    // the toolkit reads them itself.
    std::span<const std::u16string_view> toolkitOptionsWithValue;
    std::span<const std::u16string_view> toolkitFlags;
    // The system's own way to ask for help ("/?"), even after "--"; empty for none.
    std::u16string_view helpWord;
};

// Reads the arguments that follow the program name.
CommandLine ParseCommandLine(const std::vector<std::u16string>& arguments,
                             const CommandLineDialect& dialect);
