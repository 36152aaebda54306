#include "text/inert_text.h"

#include <gtest/gtest.h>

namespace {

TEST(InertText, EscapesWhatCouldSteerADisplay) {
    const struct {
        const char* why;
        std::string in;
        std::string shown;
    } cases[] = {
        {"plain text", "Korvil 2950MFP-N", "Korvil 2950MFP-N"},
        {"other scripts and a backslash stay",
         "Kop\xC3\xAD"
         "a \xE6\x97\xA5 \xF0\x9F\x96\xA8 C:\\x",
         "Kop\xC3\xAD"
         "a \xE6\x97\xA5 \xF0\x9F\x96\xA8 C:\\x"},
        {"a forged table line", "A\r\n10.0.0.9  Fake", "A\\r\\n10.0.0.9  Fake"},
        {"title, clear screen, colour", "\x1b]0;t\x07\x1b[2J\x1b[31mX\tY",
         "\\x1b]0;t\\x07\\x1b[2J\\x1b[31mX\\tY"},
        {"DEL and NUL", std::string("a\x7f\0b", 4), "a\\x7f\\x00b"},
        {"C1 CSI and NEL as UTF-8",
         "a\xC2\x9B"
         "2Jb\xC2\x85",
         "a\\u009b2Jb\\u0085"},
        {"a lone C1 byte",
         "a\x9b"
         "2J",
         "a\\x9b2J"},
        {"cut, overlong and surrogate forms", "\xE6\x97 \xC0\x8A \xED\xA0\x80",
         "\\xe6\\x97 \\xc0\\x8a \\xed\\xa0\\x80"},
        {"line separator and bidi override",
         "a\xE2\x80\xA8"
         "b\xE2\x80\xAE"
         "c",
         "a\\u2028b\\u202ec"},
        {"a byte-order mark before a name", "\xEF\xBB\xBFKorvil", "\\ufeffKorvil"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(InertText(c.in), c.shown);
        EXPECT_EQ(InertText(c.shown), c.shown);
    }
}

} // namespace
