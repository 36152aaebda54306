#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

enum CliExit : int {
    kExitSuccess = 0,
    kExitIncomplete = 1, // a target not sent, or the search failed
    kExitUsage = 2,      // wrong arguments or an unusable backup file
    kExitNoTarget = 3,
    // After Ctrl-C, SIGTERM or SIGHUP: 128 + the signal's number (InterruptedExitStatus).
};

// Outside text (printer names and versions, paths, texts quoted from a file) as the terminal
// may show it: its control characters become visible escapes.
QString Inert(const QString& text);

// One line on standard output, and one error line "tolvane-cli: ..." on standard error. The
// line is shown inert, so whatever outside text it quotes stays on it.
void PrintOut(const QString& line);
void PrintError(const QString& line);
// Text the tool wrote whole, line ends and all, such as JSON (whose escapes keep it inert).
void PrintText(const QByteArray& text);

// A count with thousands separators: "1,022".
QString Grouped(uint64_t count);

// Shows the core's notices (out of memory) as error lines: there is nobody to press OK.
void InstallConsoleNotices();
