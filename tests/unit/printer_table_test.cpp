#include "platform/collation.h"
#include "printers/printer_table.h"
#include "tests/support/heap_guard.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/printer_samples.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::u16string kOutOfMemoryText = u"Out of Memory.\r\nProgram will be terminated.";

void ExpectOneOutOfMemoryNotice(const MessageBoxRecorder& recorder) {
    ASSERT_EQ(recorder.Count(), 1u);
    const RecordedMessageBox box = recorder.Boxes().front();
    EXPECT_EQ(box.caption, u"Out of Memory");
    EXPECT_EQ(box.text, kOutOfMemoryText);
    EXPECT_EQ(box.flags, MB_OK | MB_ICONEXCLAMATION);
}

std::vector<std::string> ModelNames(const ModelListEntry* models) {
    std::vector<std::string> names;
    for (; models != nullptr; models = models->next)
        names.emplace_back(models->name);
    return names;
}

class PrinterTableTest : public ::testing::Test {
  protected:
    void TearDown() override { ClearDeliveryHistory(); }

    MessageBoxRecorder recorder;
    HeapLeakGuard guard;
};

// --- model filter list -------------------------------------------------------------------

TEST_F(PrinterTableTest, ModelListSplitsTrimsAndSkipsEmptyPieces) {
    const std::string longName(300, 'M');
    struct Case {
        const char* why;
        std::string text;
        std::vector<std::string> names;
    } cases[] = {
        {"the built-in list",
         "Korvil 2950MFP-D,Korvil 2950MFP-N",
         {"Korvil 2950MFP-D", "Korvil 2950MFP-N"}},
        {"blanks around pieces go, inner ones stay", "  A B ,C  ", {"A B", "C"}},
        {"empty pieces are skipped", ",,A,,B,", {"A", "B"}},
        {"a blank-only piece would match every description", "A,   ,B", {"A", "B"}},
        {"only tabs are not blanks", "\tA", {"\tA"}},
        {"a name is cut to 255 bytes", longName, {std::string(255, 'M')}},
        {"nothing at all", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ModelListEntry* models = nullptr;
        EXPECT_EQ(BuildModelList(c.text.c_str(), &models), 1);
        EXPECT_EQ(ModelNames(models), c.names);
        FreeModelList(models);
    }
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST_F(PrinterTableTest, ModelListOutOfMemoryAtEachAllocation) {
    for (long n = 1; n <= 2; ++n) {
        SCOPED_TRACE(n);
        recorder.Clear();
        ModelListEntry* models = nullptr;
        AllocationHook::FailNth(n);
        EXPECT_EQ(BuildModelList("A,B", &models), 0);
        AllocationHook::Reset();
        ExpectOneOutOfMemoryNotice(recorder);
        EXPECT_EQ(ModelNames(models).size(), static_cast<size_t>(n - 1)) << "built so far";
        FreeModelList(models);
    }
}

// --- entries from discovery and hand-added addresses -----------------------------------

TEST_F(PrinterTableTest, EntriesFromDiscoveryResults) {
    const std::u16string name128(128, u'n');
    struct Case {
        const char* why;
        std::u16string name, version;
        std::u16string expectName, expectVersion;
        int32_t expectLocked;
    } cases[] = {
        {"a named printer can be ticked", u"Korvil 2950MFP-D", u"2.1", u"Korvil 2950MFP-D", u"2.1",
         0},
        {"no name: shown as '-' and locked", u"", u"2.1", u"-", u"2.1", 1},
        {"no version: '-'", u"Korvil", u"", u"Korvil", u"-", 0},
        {"130 characters are cut to the first 128", name128 + u"xy", u"1", name128, u"1", 0},
        {"exactly 128 characters stay whole", name128, u"1", name128, u"1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SampleResults results;
        results.Add(u"10.0.0.7", c.name, c.version);
        PrinterEntry* chain = nullptr;
        ASSERT_EQ(BuildPrinterEntries(results.Data(), results.Count(), nullptr, &chain), 1);
        ASSERT_NE(chain, nullptr);
        EXPECT_EQ(chain->next, nullptr);
        EXPECT_EQ(Text(chain->ipAddress), u"10.0.0.7");
        EXPECT_EQ(Text(chain->name), c.expectName);
        EXPECT_EQ(Text(chain->versionText), c.expectVersion);
        EXPECT_EQ(chain->locked, c.expectLocked);
        EXPECT_EQ(chain->status, kStatusNotCompleted);
        EXPECT_EQ(chain->ticked, 0);
        FreePrinterEntries(chain);
    }
}

TEST_F(PrinterTableTest, HandAddedAddressesJoinAfterDiscoveredOnes) {
    SampleResults results;
    results.Add(u"10.0.0.20", u"Second found");
    results.Add(u"10.0.0.3", u"First found");
    // 10.0.0.3 answered too; 10.0.0.99 did not; the last one repeats an earlier hand-added one.
    SampleManualPrinters manual({u"10.0.0.99", u"10.0.0.3", u"10.0.0.5", u"10.0.0.99"});
    PrinterEntry* chain = nullptr;
    ASSERT_EQ(BuildPrinterEntries(results.Data(), results.Count(), manual.Head(), &chain), 1);

    EXPECT_EQ(Addresses(chain),
              (std::vector<std::u16string>{u"10.0.0.20", u"10.0.0.3", u"10.0.0.99", u"10.0.0.5"}));
    const auto entries = Members(chain);
    EXPECT_EQ(Text(entries[1]->name), u"First found") << "the discovered entry wins";
    EXPECT_EQ(entries[1]->locked, 0);
    for (PrinterEntry* handAdded : {entries[2], entries[3]}) {
        EXPECT_EQ(Text(handAdded->name), u"-");
        EXPECT_EQ(Text(handAdded->versionText), u"-");
        EXPECT_EQ(handAdded->locked, 1);
        EXPECT_EQ(StatusText(handAdded->status), u"Not completed");
    }
    FreePrinterEntries(chain);
}

TEST_F(PrinterTableTest, EntriesOutOfMemoryAtEachAllocation) {
    SampleResults results;
    results.Add(u"10.0.0.1", u"A");
    results.Add(u"10.0.0.2", u"B");
    SampleManualPrinters manual({u"10.0.0.2", u"10.0.0.9"});
    // Two blocks per entry (record, version text); the repeated hand-added one is made, then
    // dropped.
    PrinterEntry* chain = nullptr;
    ASSERT_EQ(BuildPrinterEntries(results.Data(), results.Count(), manual.Head(), &chain), 1);
    const long allocations = AllocationHook::Count();
    FreePrinterEntries(chain);
    ASSERT_EQ(allocations, 8);

    for (long n = 1; n <= allocations; ++n) {
        SCOPED_TRACE(n);
        recorder.Clear();
        chain = nullptr;
        AllocationHook::FailNth(n);
        EXPECT_EQ(BuildPrinterEntries(results.Data(), results.Count(), manual.Head(), &chain), 0);
        AllocationHook::Reset();
        ExpectOneOutOfMemoryNotice(recorder);
        FreePrinterEntries(chain);
    }
}

// --- comparisons ---------------------------------------------------------------------------

TEST_F(PrinterTableTest, CompareRowsByColumnAndDirection) {
    struct Case {
        const char* why;
        SampleEntry a, b;
        int column;
        int direction;
        int expected;
    } cases[] = {
        {"ticked before unticked", {u"1.1.1.1", u"a", 0, 0, 1}, {u"1.1.1.1", u"a"}, 0, 1, -1},
        {"unticked after ticked", {u"1.1.1.1", u"a"}, {u"1.1.1.1", u"a", 0, 0, 1}, 0, 1, 1},
        {"ticks reversed", {u"1.1.1.1", u"a", 0, 0, 1}, {u"1.1.1.1", u"a"}, 0, 0, 1},
        {"both ticked are equal", {u"1", u"a", 0, 0, 1}, {u"2", u"b", 0, 0, 1}, 0, 1, 0},
        {"10.0.0.9 before 10.0.0.10", {u"10.0.0.9", u"a"}, {u"10.0.0.10", u"a"}, 1, 1, -1},
        {"reversed: 10.0.0.10 first", {u"10.0.0.9", u"a"}, {u"10.0.0.10", u"a"}, 1, 0, 1},
        {"first differing token decides", {u"9.255.0.0", u"a"}, {u"10.0.0.0", u"a"}, 1, 1, -1},
        {"same address", {u"10.0.0.1", u"a"}, {u"10.0.0.1", u"b"}, 1, 1, 0},
        {"a text running out of tokens is equal", {u"10.0.0", u"a"}, {u"10.0.0.1", u"a"}, 1, 1, 0},
        {"no digits count as 0", {u"10.x.0.1", u"a"}, {u"10.0.0.1", u"a"}, 1, 1, 0},
        {"leading digits only", {u"10.7x.0.1", u"a"}, {u"10.8.0.1", u"a"}, 1, 1, -1},
        {"Failed before Sent", {u"1", u"a", kStatusFailed}, {u"2", u"a", kStatusSent}, 3, 1, -1},
        {"Sent before Not completed", {u"1", u"a", kStatusSent}, {u"2", u"a"}, 3, 1, -1},
        {"status reversed", {u"1", u"a", kStatusFailed}, {u"2", u"a", kStatusSent}, 3, 0, 1},
        {"equal status", {u"1", u"a", kStatusSent}, {u"2", u"b", kStatusSent}, 3, 1, 0},
        {"names in order", {u"1", u"Alpha"}, {u"2", u"Beta"}, 2, 1, -1},
        {"names reversed", {u"1", u"Alpha"}, {u"2", u"Beta"}, 2, 0, 1},
        {"equal names", {u"1", u"Same"}, {u"2", u"Same"}, 2, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        PrinterEntry* a = MakeEntry(c.a);
        PrinterEntry* b = MakeEntry(c.b);
        const SortParams params{c.direction, IsTextColumn(c.column), c.column};
        EXPECT_EQ(ComparePrinterRows(a, b, params), c.expected);
        FreePrinterEntries(a);
        FreePrinterEntries(b);
    }
}

TEST_F(PrinterTableTest, NamesFollowTheLocaleAndCaseCounts) {
    SetCollationLocale("en_US");
    PrinterEntry* apple = MakeEntry({u"1", u"apple"});
    PrinterEntry* banana = MakeEntry({u"2", u"Banana"});
    PrinterEntry* upper = MakeEntry({u"3", u"APPLE"});
    const SortParams up{1, true, 2}, down{0, true, 2};
    EXPECT_EQ(ComparePrinterRows(apple, banana, up), -1) << "not by code point";
    EXPECT_EQ(ComparePrinterRows(apple, banana, down), 1);
    EXPECT_EQ(ComparePrinterRows(apple, upper, up), -1) << "case counts, lower first";
    EXPECT_EQ(ComparePrinterRows(upper, apple, up), 1);
    SetCollationLocale({});
    for (PrinterEntry* entry : {apple, banana, upper})
        FreePrinterEntries(entry);
}

// --- collecting and recording a delivery ----------------------------------------------------

TEST_F(PrinterTableTest, CollectsTickedEntriesInChainOrderOnlyWhenShown) {
    PrinterEntry* chain = MakeChain({
        {u"10.0.0.3", u"C", 0, 0, 1},
        {u"10.0.0.1", u"A", 0, 0, 0},
        {u"10.0.0.2", u"B", 0, 0, 1},
        {u"10.0.0.4", u"not shown", 0, 0, 1},
        {u"10.0.0.5", u"locked, flag set", 0, 1, 1},
    });
    const auto entries = Members(chain);
    // Rows in a different order than the chain, without the fourth entry.
    const std::vector<const PrinterEntry*> rows{entries[4], entries[2], entries[1], entries[0]};
    DeliveryNode* nodes = nullptr;
    int count = -1;
    ASSERT_EQ(CollectTickedPrinters(chain, rows, &nodes, &count), 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Addresses(nodes),
              (std::vector<std::u16string>{u"10.0.0.3", u"10.0.0.2", u"10.0.0.5"}));
    EXPECT_EQ(Text(nodes->name), u"C");
    EXPECT_EQ(nodes->sent, 0);
    FreeDeliveryNodes(nodes);

    ASSERT_EQ(CollectTickedPrinters(nullptr, rows, &nodes, &count), 1);
    EXPECT_EQ(nodes, nullptr);
    EXPECT_EQ(count, 0);
    FreePrinterEntries(chain);
}

TEST_F(PrinterTableTest, CollectOutOfMemoryAtEachNode) {
    PrinterEntry* chain = MakeChain({{u"10.0.0.1", u"A", 0, 0, 1}, {u"10.0.0.2", u"B", 0, 0, 1}});
    const auto entries = Members(chain);
    const std::vector<const PrinterEntry*> rows(entries.begin(), entries.end());
    for (long n = 1; n <= 2; ++n) {
        SCOPED_TRACE(n);
        recorder.Clear();
        DeliveryNode* nodes = nullptr;
        int count = -1;
        AllocationHook::FailNth(n);
        EXPECT_EQ(CollectTickedPrinters(chain, rows, &nodes, &count), 0);
        AllocationHook::Reset();
        ExpectOneOutOfMemoryNotice(recorder);
        EXPECT_EQ(nodes, nullptr);
        EXPECT_EQ(count, 0);
    }
    FreePrinterEntries(chain);
}

DeliveryNode* MakeNodes(const std::vector<std::pair<const char16_t*, int>>& outcomes) {
    DeliveryNode* head = nullptr;
    DeliveryNode** tail = &head;
    for (const auto& [ip, sent] : outcomes) {
        *tail = HeapNew<DeliveryNode>();
        CopyWideField((*tail)->ipAddress, kNodeIpUnits, Text(ip));
        (*tail)->sent = sent;
        tail = &(*tail)->next;
    }
    return head;
}

TEST_F(PrinterTableTest, RecordsOutcomesAndKeepsThemInTheHistory) {
    PrinterEntry* chain = MakeChain({
        {u"10.0.0.1", u"A", 0, 0, 1},
        {u"10.0.0.2", u"B", 0, 0, 1},
        {u"10.0.0.3", u"C", 0, 0, 1},
    });
    DeliveryNode* nodes = MakeNodes({{u"10.0.0.1", 1}, {u"10.0.0.2", 0}, {u"10.0.0.77", 0}});
    EXPECT_EQ(RecordDeliveryResults(nodes, chain), 0) << "one printer failed";

    const auto entries = Members(chain);
    EXPECT_EQ(entries[0]->status, kStatusSent);
    EXPECT_EQ(entries[0]->ticked, 0);
    EXPECT_EQ(entries[0]->locked, 1);
    EXPECT_EQ(entries[1]->status, kStatusFailed);
    EXPECT_EQ(entries[1]->ticked, 1);
    EXPECT_EQ(entries[1]->locked, 0);
    EXPECT_EQ(entries[2]->status, kStatusNotCompleted) << "no node: unchanged";
    EXPECT_EQ(entries[2]->ticked, 1);

    const DeliveryHistory& history = TheDeliveryHistory();
    EXPECT_EQ(history.count, 2);
    EXPECT_EQ(Addresses(history.head), (std::vector<std::u16string>{u"10.0.0.1", u"10.0.0.2"}));
    EXPECT_EQ(history.head->locked, 1);
    EXPECT_EQ(history.head->next->locked, 0);
    EXPECT_EQ(history.head->next->ticked, 1);
    EXPECT_NE(history.head->versionText, entries[0]->versionText) << "the history owns a copy";

    // A second delivery: the failed printer now succeeds, its history entry is overwritten in
    // place; a new printer joins at the end.
    FreeDeliveryNodes(nodes);
    nodes = MakeNodes({{u"10.0.0.3", 1}, {u"10.0.0.2", 1}});
    EXPECT_EQ(RecordDeliveryResults(nodes, chain), 1);
    EXPECT_EQ(history.count, 3);
    EXPECT_EQ(Addresses(history.head),
              (std::vector<std::u16string>{u"10.0.0.1", u"10.0.0.2", u"10.0.0.3"}));
    EXPECT_EQ(history.head->next->status, kStatusSent);
    EXPECT_EQ(history.head->next->locked, 1);

    FreeDeliveryNodes(nodes);
    FreePrinterEntries(chain);
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST_F(PrinterTableTest, HistoryUpdateOutOfMemoryKeepsWhatWasMerged) {
    PrinterEntry* chain = MakeChain({{u"10.0.0.1", u"A", 0, 0, 1}, {u"10.0.0.2", u"B", 0, 0, 1}});
    DeliveryNode* nodes = MakeNodes({{u"10.0.0.1", 1}, {u"10.0.0.2", 0}});
    // Each copy takes a record and its version text.
    for (long n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        recorder.Clear();
        ClearDeliveryHistory();
        AllocationHook::FailNth(n);
        EXPECT_EQ(RecordDeliveryResults(nodes, chain), 0) << "the delivery's own outcome";
        AllocationHook::Reset();
        ExpectOneOutOfMemoryNotice(recorder);
        EXPECT_EQ(TheDeliveryHistory().count, n <= 2 ? 0 : 1);
        EXPECT_EQ(Members(TheDeliveryHistory().head).size(), n <= 2 ? 0u : 1u);
    }
    FreeDeliveryNodes(nodes);
    FreePrinterEntries(chain);
}

// --- the history across a refresh ------------------------------------------------------------

TEST_F(PrinterTableTest, HistoryOverwritesInPlaceAndAppendsTheRest) {
    PrinterEntry* delivered = MakeChain({
        {u"10.0.0.2", u"Sent one", kStatusSent, 0, 1},
        {u"10.0.0.9", u"Gone now", kStatusFailed, 0, 1},
    });
    DeliveryNode* nodes = MakeNodes({{u"10.0.0.2", 1}, {u"10.0.0.9", 0}});
    RecordDeliveryResults(nodes, delivered);
    FreeDeliveryNodes(nodes);
    FreePrinterEntries(delivered);

    PrinterEntry* chain = MakeChain({
        {u"10.0.0.1", u"A"},
        {u"10.0.0.2", u"renamed meanwhile"},
        {u"10.0.0.3", u"C"},
    });
    ASSERT_EQ(MergeDeliveryHistory(&chain), 1);
    EXPECT_EQ(Addresses(chain),
              (std::vector<std::u16string>{u"10.0.0.1", u"10.0.0.2", u"10.0.0.3", u"10.0.0.9"}));
    const auto entries = Members(chain);
    EXPECT_EQ(Text(entries[1]->name), u"Sent one") << "the history's content wins";
    EXPECT_EQ(StatusText(entries[1]->status), u"Sent");
    EXPECT_EQ(entries[1]->locked, 1);
    EXPECT_EQ(entries[1]->ticked, 0);
    EXPECT_EQ(StatusText(entries[3]->status), u"Failed") << "kept although it did not answer";
    EXPECT_EQ(entries[3]->ticked, 1);
    EXPECT_EQ(entries[3]->locked, 0);
    FreePrinterEntries(chain);
}

TEST_F(PrinterTableTest, HistoryMergeOutOfMemoryAtEachAllocation) {
    PrinterEntry* delivered =
        MakeChain({{u"10.0.0.2", u"B", 0, 0, 1}, {u"10.0.0.9", u"Z", 0, 0, 1}});
    DeliveryNode* nodes = MakeNodes({{u"10.0.0.2", 1}, {u"10.0.0.9", 1}});
    RecordDeliveryResults(nodes, delivered);
    FreeDeliveryNodes(nodes);
    FreePrinterEntries(delivered);

    // Overwriting 10.0.0.2 copies its version text; appending 10.0.0.9 takes two blocks.
    for (long n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        recorder.Clear();
        PrinterEntry* chain = MakeChain({{u"10.0.0.2", u"B"}});
        AllocationHook::FailNth(n);
        EXPECT_EQ(MergeDeliveryHistory(&chain), 0);
        AllocationHook::Reset();
        ExpectOneOutOfMemoryNotice(recorder);
        FreePrinterEntries(chain);
    }
}

TEST_F(PrinterTableTest, RestoredTicksSkipLockedEntries) {
    PrinterEntry* chain = MakeChain({
        {u"10.0.0.1", u"A"},
        {u"10.0.0.2", u"-", 0, 1, 0},
        {u"10.0.0.3", u"C"},
    });
    DeliveryNode* nodes = MakeNodes({{u"10.0.0.2", 0}, {u"10.0.0.3", 0}, {u"10.0.0.8", 0}});
    RestoreTicks(chain, nodes);
    const auto entries = Members(chain);
    EXPECT_EQ(entries[0]->ticked, 0) << "was not ticked";
    EXPECT_EQ(entries[1]->ticked, 0) << "shown locked and unticked: never delivered to";
    EXPECT_EQ(entries[2]->ticked, 1);
    FreeDeliveryNodes(nodes);
    FreePrinterEntries(chain);
}

// --- command buttons -------------------------------------------------------------------------

TEST_F(PrinterTableTest, CommandButtonsFollowTheRows) {
    PrinterEntry* open = MakeEntry({u"10.0.0.1", u"A"});
    PrinterEntry* locked = MakeEntry({u"10.0.0.2", u"-", 0, 1, 0});
    const TableRow u{kTickUnticked, open}, t{kTickTicked, open};
    const TableRow l{kTickUntickedLocked, locked}, k{kTickTickedLocked, locked};
    struct Case {
        const char* why;
        std::vector<TableRow> rows;
        bool selectAll, clearAll, download;
    } cases[] = {
        {"empty table: nothing to do", {}, false, false, false},
        {"one unticked", {u}, true, false, true},
        {"one ticked", {t}, false, true, true},
        {"one locked", {l}, false, false, false},
        {"one ticked and locked", {k}, false, true, false},
        {"two unticked", {u, u}, true, false, true},
        {"unticked and ticked", {u, t}, true, true, true},
        {"unticked and locked", {u, l}, true, false, true},
        {"unticked and ticked-locked", {u, k}, true, true, true},
        {"two ticked", {t, t}, false, true, true},
        {"ticked and locked", {t, l}, false, true, true},
        {"ticked and ticked-locked", {t, k}, false, true, true},
        {"two locked", {l, l}, false, false, false},
        {"locked and ticked-locked", {l, k}, false, true, false},
        {"two ticked-locked", {k, k}, false, true, false},
        {"one of each", {u, t, l, k}, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const CommandButtonStates states = ComputeCommandButtons(c.rows);
        EXPECT_EQ(states.selectAll, c.selectAll);
        EXPECT_EQ(states.clearAll, c.clearAll);
        EXPECT_EQ(states.download, c.download);
    }
    FreePrinterEntries(open);
    FreePrinterEntries(locked);
}

} // namespace
