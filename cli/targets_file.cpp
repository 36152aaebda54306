#include "cli/targets_file.h"

#include <algorithm>

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && Blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && Blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The fields of one line (RFC 4180 quoting within the line); false when a quote is left open
// or text follows a closing quote.
bool SplitLine(std::string_view line, std::vector<std::string>* fields) {
    size_t at = 0;
    for (;;) {
        const size_t start = at;
        while (at < line.size() && Blank(line[at]))
            ++at;
        std::string field;
        if (at < line.size() && line[at] == '"') {
            for (++at;; ++at) {
                if (at == line.size())
                    return false;
                if (line[at] == '"' && (at + 1 == line.size() || line[at + 1] != '"'))
                    break;
                if (line[at] == '"')
                    ++at;
                field += line[at];
            }
            ++at;
            while (at < line.size() && Blank(line[at]))
                ++at;
            if (at < line.size() && line[at] != ',')
                return false;
        } else {
            at = std::min(line.find(',', start), line.size());
            field = Trimmed(line.substr(start, at - start));
        }
        fields->push_back(std::move(field));
        if (at == line.size())
            return true;
        ++at; // the comma
    }
}

} // namespace

bool SplitTargets(std::string_view text, std::vector<CsvLine>* lines, std::string* error) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    int number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string_view content = Trimmed(line);
        if (content.empty() || content.front() == '#')
            continue;
        CsvLine split{number, {}};
        if (!SplitLine(line, &split.fields)) {
            *error = "line " + std::to_string(number) + ": a quoted field is not closed properly";
            return false;
        }
        lines->push_back(std::move(split));
    }
    return true;
}
