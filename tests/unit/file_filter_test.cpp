#include "platform/file_filter.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <gtest/gtest.h>

namespace {

struct FilterCase {
    const char* reason;
    const char16_t* filter;
    const char16_t* expected;
};

const FilterCase kCases[] = {
    {"patterns already in the description stay in place", u"Backup (*.rvk)|*.rvk||",
     u"Backup (*.rvk)"},
    {"every file is * here, also in the description", u"All Files (*.*)|*.*||", u"All Files (*)"},
    {"a description without its patterns gets them appended", u"Backups|*.rvk||",
     u"Backups (*.rvk)"},
    {"several patterns are joined by spaces", u"Both|*.rvk;*.bak||", u"Both (*.rvk *.bak)"},
    {"shown patterns with several entries are rewritten together",
     u"Both (*.rvk;*.bak)|*.rvk;*.bak||", u"Both (*.rvk *.bak)"},
    {"blanks around patterns are dropped", u"Spaced| *.a ; *.b |", u"Spaced (*.a *.b)"},
    {"a pair without patterns is dropped", u"Nothing||Text|*.txt||", u"Text (*.txt)"},
    {"a description without its pattern piece is dropped", u"Dangling", u""},
    {"an empty filter gives none", u"", u""},
};

TEST(FileFilterTest, ConvertsPairs) {
    for (const FilterCase& c : kCases) {
        EXPECT_EQ(QtFileFilter(QString::fromUtf16(c.filter)), QString::fromUtf16(c.expected))
            << c.reason;
    }
}

TEST(FileFilterTest, BackupFilterOfTheStringTable) {
    EXPECT_EQ(QtFileFilter(ResString(IDS_BACKUP_FILTER)),
              QStringLiteral("Backup File for Korvil 2950MFP(*.rvk);;All Files (*)"));
}

} // namespace
