#pragma once

#include <QString>

enum CliExit : int {
    kExitSuccess = 0,
    kExitIncomplete = 1, // a target not sent, or the search failed
    kExitUsage = 2,      // wrong arguments or an unusable backup file
    kExitNoTarget = 3,
    kExitInterrupted = 130,
};

// One line on standard output, and one error line "tolvane-cli: ..." on standard error.
void PrintOut(const QString& line);
void PrintError(const QString& line);

// Shows the core's notices (out of memory) as error lines: there is nobody to press OK.
void InstallConsoleNotices();
