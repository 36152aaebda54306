#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum CliExit : int {
    kExitSuccess = 0,
    kExitIncomplete = 1, // a target not sent, or the search failed
    kExitUsage = 2,      // wrong arguments or an unusable backup file
    kExitNoTarget = 3,
    // After Ctrl-C, SIGTERM or SIGHUP: 128 + the signal's number (InterruptedExitStatus).
};

// The tool's texts are UTF-8 on every system; the core's wide texts become UTF-8 here.
std::string Utf8(std::u16string_view wide);

// Outside text (printer names and versions, paths, texts quoted from a file) as the terminal
// may show it: its control characters become visible escapes.
std::string Inert(std::string_view text);

// One line on standard output, and one error line "tolvane-cli: ..." on standard error. The
// line is shown inert, so whatever outside text it quotes stays on it.
void PrintOut(std::string_view line);
void PrintError(std::string_view line);
// Text the tool wrote whole, line ends and all, such as JSON (whose escapes keep it inert).
void PrintText(std::string_view text);

// A count with thousands separators: "1,022".
std::string Grouped(uint64_t count);
// A number with `decimals` digits after the point: "2.5".
std::string Fixed(double value, int decimals);
// `text` padded with spaces to `width` characters (not bytes), never cut.
std::string PadRight(std::string_view text, size_t width);
// The characters of a UTF-8 text, the width a terminal gives most of them.
size_t CharacterCount(std::string_view text);
// Rows of cells (already inert) on standard output as aligned columns two spaces apart; the
// first row is the heading.
void PrintColumns(const std::vector<std::vector<std::string>>& rows);

// Shows the core's notices (out of memory) as error lines: there is nobody to press OK.
void InstallConsoleNotices();
