#include "tests/support/heap_guard.h"
#include "text/heap.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(LoadResString, CopiesEntriesVerbatim) {
    const struct {
        uint16_t id;
        std::u16string text;
    } cases[] = {
        {104, u"Printer Update failed." + std::u16string(22, u' ') + u"\r\nPrinter:"},
        {107, u"Printer Update failed." + std::u16string(20, u' ') + u"\r\n"},
        {114, u"Invalid characters in the Community Name. Only alphabets, numbers, \"\"-\"\" "
              u"(hyphen) and \"\"_\"\" (underscore) can be used."},
        {118, u"Not completed"},
        {121, u"Sent"},
        {122, u"Failed"},
        {125, u"Sending Backup Data\r\nPrinter:"},
        {135, u"  Select"},
        {9000, u"Korvil 2950MFP-D,Korvil 2950MFP-N"},
        {9002, u"Backup File for Korvil 2950MFP(*.rvk)|*.rvk|All Files (*.*)|*.*||"},
        {9004, u"MERIN-AIO-QTB"},
        {9006, u"Tolvane for Korvil 2950MFP Address Book"},
        {57344, u"Tolvane"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        char16_t buffer[kResStringBufferUnits];
        const int length = LoadResString(c.id, buffer);
        EXPECT_EQ(static_cast<size_t>(length), c.text.size());
        EXPECT_EQ(std::u16string(buffer), c.text);
    }
}

TEST(LoadResString, AbsentEntryLeavesBufferAlone) {
    char16_t buffer[kResStringBufferUnits];
    std::fill(std::begin(buffer), std::end(buffer), u'x');
    EXPECT_EQ(LoadResString(150, buffer), 0);
    EXPECT_EQ(LoadResString(0, buffer), 0);
    EXPECT_TRUE(std::all_of(std::begin(buffer), std::end(buffer),
                            [](char16_t unit) { return unit == u'x'; }));
}

TEST(HeapStrDup, CopiesWithTerminator) {
    HeapLeakGuard guard;
    char16_t* empty = HeapStrDup(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], u'\0');
    EXPECT_EQ(HeapStrDup(static_cast<const char16_t*>(nullptr)), nullptr);
    char16_t* copy = HeapStrDup(u"abc");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy), u"abc");
    HeapFree(empty);
    HeapFree(copy);
}

TEST(AllocationHook, FailsTheChosenAllocation) {
    HeapLeakGuard guard;
    AllocationHook::FailNth(2);
    void* first = HeapAllocZero(8);
    void* second = HeapAllocZero(8);
    void* third = HeapAllocZero(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr) << "a one-time failure must not repeat";
    EXPECT_EQ(AllocationHook::Count(), 3);
    HeapFree(first);
    HeapFree(third);

    AllocationHook::FailNth(2, true);
    void* ok = HeapAllocZero(8);
    EXPECT_NE(ok, nullptr);
    EXPECT_EQ(HeapAllocZero(8), nullptr);
    EXPECT_EQ(HeapStrDup(u"x"), nullptr) << "persistent failure keeps failing";
    HeapFree(ok);
}

TEST(HeapAllocZero, BlocksAreZeroFilledAndCounted) {
    HeapLeakGuard guard;
    const long before = AllocationHook::LiveBlocks();
    auto* block = static_cast<unsigned char*>(HeapAllocZero(64));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(std::all_of(block, block + 64, [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(AllocationHook::LiveBlocks(), before + 1);
    HeapFree(block);
}

} // namespace
