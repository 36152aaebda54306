#pragma once

#include <string>
#include <string_view>
#include <vector>

// One line of a targets file that holds a target, cut into its comma-separated fields.
struct CsvLine {
    int number = 0; // from 1
    std::vector<std::string> fields;
};

// Cuts a targets file's text into lines of fields. A field in double quotes may hold commas and
// doubled quotes; spaces around a field outside quotes are dropped. Blank lines and lines whose
// first character other than a space is '#' hold no target. False with "line N: reason" for a
// line that is not CSV; the reason never quotes the line, which may hold a community.
bool SplitTargets(std::string_view text, std::vector<CsvLine>* lines, std::string* error);
