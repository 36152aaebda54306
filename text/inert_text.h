#pragma once

#include <string>
#include <string_view>

// Text from outside the program (printer names and versions, file names, texts quoted from a
// backup file) made safe for a person to read: every control character (C0, DEL, C1), line and
// paragraph separator and bidirectional control is shown as a visible escape (\r, \n, \t, \x1b,
// \u009b, \u202e), so it cannot move a cursor, change a terminal, start a line or reorder the
// text around it; so is the byte-order mark (\ufeff), which a device may send before a name
// and which would otherwise hide in it. Every other character is kept, and the escapes are
// plain ASCII, so applying the rule twice changes nothing.
std::string InertText(std::string_view utf8);        // a byte that is not UTF-8 shows as \xNN
std::u16string InertText(std::u16string_view utf16); // a lone surrogate shows as \uD800
