#include "cli/console.h"

#include "platform/message_box.h"
#include "platform/utf8.h"
#include "text/inert_text.h"

#include <algorithm>
#include <cstdio>

namespace {

int NoticeAsErrorLine(WindowHandle, const std::u16string& text, const std::u16string&,
                      unsigned flags) {
    // The notice's line breaks become spaces: one error line.
    const std::string utf8 = Utf8(text);
    std::string line;
    for (size_t at = 0; at < utf8.size(); ++at) {
        const bool lineBreak = utf8.compare(at, 2, "\r\n") == 0;
        line += lineBreak ? ' ' : utf8[at];
        at += lineBreak ? 1 : 0;
    }
    PrintError(line);
    // A question nobody answered is declined.
    switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

} // namespace

std::string Utf8(std::u16string_view wide) {
    return WideToUtf8(wide);
}

std::string Inert(std::string_view text) {
    return InertText(text);
}

void PrintOut(std::string_view line) {
    std::fputs((Inert(line) + '\n').c_str(), stdout);
}

void PrintError(std::string_view line) {
    std::fflush(stdout);
    std::fputs(("tolvane-cli: " + Inert(line) + '\n').c_str(), stderr);
}

void PrintText(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string Grouped(uint64_t count) {
    std::string digits = std::to_string(count);
    for (ptrdiff_t at = static_cast<ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), 1, ',');
    return digits;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", decimals, value);
    return text;
}

size_t CharacterCount(std::string_view text) {
    size_t count = 0;
    for (const char byte : text)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

std::string PadRight(std::string_view text, size_t width) {
    std::string padded(text);
    const size_t count = CharacterCount(text);
    if (count < width)
        padded.append(width - count, ' ');
    return padded;
}

void PrintColumns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], CharacterCount(row[column]));
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t column = 0; column < row.size(); ++column)
            line += PadRight(row[column], widths[column] + 2);
        PrintOut(line.substr(0, line.find_last_not_of(' ') + 1));
    }
}

void InstallConsoleNotices() {
    SetMessageBoxFunction(NoticeAsErrorLine);
}
