#include "platform/collation.h"
#include "platform/text_convert.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <vector>

namespace {

struct CollationRow {
    const char* locale;
    std::u16string a, b;
    int order;
};

void ExpectOrders(std::initializer_list<CollationRow> rows) {
    for (const CollationRow& row : rows) {
        SetCollationLocale(row.locale);
        const int order = CompareForLocale(row.a, row.b);
        EXPECT_EQ((order > 0) - (order < 0), row.order) << row.locale;
    }
    SetCollationLocale({});
}

const std::u16string kLoneHigh(1, char16_t{0xD800});
const std::u16string kLoneLow(1, char16_t{0xDC00});

#ifdef _WIN32
// Windows: narrow text and device texts in the ANSI code page; the name column by the
// system's collation, width ignored.
TEST(TextConvert, NarrowIsTheAnsiCodePage) {
    if (::GetACP() != 1252)
        GTEST_SKIP() << "these rows are for Windows-1252";
    EXPECT_EQ(NarrowToWide("B\xFCro \x80"), u"Büro €");
    EXPECT_EQ(NarrowToWide("\xEF\xBB\xBFMERIN"), u"ï»¿MERIN") << "a byte-order mark is 3 letters";
    EXPECT_EQ(WideToNarrow(u"Büro €"), "B\xFCro \x80");
    EXPECT_EQ(DeviceTextToWide("B\xC3\xBCro"), u"BÃ¼ro") << "no UTF-8 guess";
    std::string narrow;
    std::vector<ptrdiff_t> starts;
    WideToNarrowMapped(u"a\u00FC\U0001F5A8z", narrow, starts);
    EXPECT_EQ(starts,
              (std::vector<ptrdiff_t>{0, 1, 2, -1, static_cast<ptrdiff_t>(narrow.size()) - 1}));
}

TEST(Collation, FollowsTheLocale) {
    ExpectOrders({
        {"en_US.UTF-8", u"B", u"a", 1}, // letters before case
        {"sv_SE", u"ä", u"z", 1},       // ä after z in Swedish
        {"en_US", u"\uFF21", u"A", 0},  // width is ignored
        {"en_US", u"", u"a", -1},       // the empty text first
    });
}
#else
TEST(TextConvert, NarrowAndWideAsUtf8) {
    const struct {
        const char* why;
        std::string narrow;
        std::u16string wide;
    } toWide[] = {
        {"two and four bytes", "B\xC3\xBCro \xF0\x9F\x96\xA8", u"Büro \U0001F5A8"},
        {"a byte-order mark is kept, at the start as anywhere",
         "\xEF\xBB\xBF"
         "a\xEF\xBB\xBF",
         u"\uFEFFa\uFEFF"},
        {"each byte of a cut sequence is one U+FFFD", "a\xE2\x82z", u"a\uFFFD\uFFFDz"},
        {"overlong, surrogate and too large forms, byte by byte",
         "\xC0\x8A\xED\xA0\x80\xF4\x90\x80\x80", std::u16string(9, u'\uFFFD')},
    };
    for (const auto& c : toWide)
        EXPECT_EQ(NarrowToWide(c.narrow), c.wide) << c.why;
    const struct {
        const char* why;
        std::u16string wide;
        std::string narrow;
    } toNarrow[] = {
        {"a pair is one character", u"\U0001F5A8", "\xF0\x9F\x96\xA8"},
        {"a lone surrogate becomes U+FFFD", u"a" + kLoneHigh + u"b" + kLoneLow,
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"},
        {"a high half before a whole pair", kLoneHigh + u"\U00010000",
         "\xEF\xBF\xBD\xF0\x90\x80\x80"},
    };
    for (const auto& c : toNarrow)
        EXPECT_EQ(WideToNarrow(c.wide), c.narrow) << c.why;

    std::string narrow = "old";
    std::vector<ptrdiff_t> starts = {9};
    WideToNarrowMapped(u"a\u00FC\U0001F5A8z", narrow, starts);
    EXPECT_EQ(narrow, "a\xC3\xBC\xF0\x9F\x96\xA8z");
    EXPECT_EQ(starts, (std::vector<ptrdiff_t>{0, 1, 3, -1, 7}));
}

TEST(TextConvert, DeviceTextIsUtf8ElseWindows1252) {
    EXPECT_EQ(DeviceTextToWide("\xEF\xBB\xBF"
                               "B\xC3\xBCro"),
              u"\uFEFFBüro")
        << "a byte-order mark stays as received";
    EXPECT_EQ(DeviceTextToWide("B\xFCro \x80\x81\x9F"), u"Büro €\u0081Ÿ");
    EXPECT_EQ(DeviceTextToWide("\xE2\x82"), u"â‚") << "a cut sequence is not UTF-8";
}

TEST(Collation, FollowsTheLocale) {
    ExpectOrders({
        {"C", u"B", u"a", -1},               // code units
        {"POSIX", u"B", u"a", -1},           //
        {"xx_YY.UTF-8", u"B", u"a", -1},     // a locale nobody knows
        {"en_US.UTF-8", u"B", u"a", 1},      // letters before case
        {"de_DE.UTF-8", u"ä", u"z", -1},     //
        {"sv_SE.UTF-8", u"ä", u"z", 1},      // ä after z in Swedish
        {"en_US", u"e\u0301", u"\u00E9", 0}, // canonically equivalent
        {"en_US", u"a10", u"a9", -1},        // digits are not numbers
        {"en_US", u"a-b", u"ab", -1},        // punctuation counts
        {"en_US", u"", u"\u0001", -1},       // the empty text first
    });
}
#endif

} // namespace
