#include "platform/text_convert.h"
#include "printers/printer_table.h"
#include "printers/table_refresh.h"
#include "tests/support/fake_discovery.h"
#include "tests/support/heap_guard.h"
#include "tests/support/message_box_recorder.h"
#include "text/notices.h"

#include <gtest/gtest.h>

namespace {

const std::u16string kOutOfMemoryText = u"Out of Memory.\r\nProgram will be terminated.";

class DiscoveryDriverTest : public ::testing::Test {
  protected:
    void TearDown() override { ReleaseTableLists(&lists); }

    // Hand-added printers on the heap, as the main window keeps them.
    void AddManual(const char16_t* address) {
        auto* manual = HeapNew<ManualPrinter>();
        CopyWideField(manual->ipAddress, kIpUnits, Text(address));
        ManualPrinter** tail = &lists.manualPrinters;
        while (*tail != nullptr)
            tail = &(*tail)->next;
        *tail = manual;
        ++lists.manualCount;
    }

    HeapLeakGuard guard;
    MessageBoxRecorder recorder;
    FakeDiscovery discovery;
    PrinterTableLists lists;
};

TEST_F(DiscoveryDriverTest, BroadcastOnlyWithoutHandAddedPrinters) {
    ASSERT_EQ(BuildModelList("Korvil 2950MFP-D", &lists.models), 1);
    discovery.Answer(kResultSuccess, {{u"10.0.0.4", u"Korvil"}});
    EXPECT_EQ(RunDiscoveryDriver(&lists, 9, u"orchid"), kTableRebuilt);

    ASSERT_EQ(discovery.calls.size(), 1u);
    const FakeDiscovery::Call& call = discovery.calls[0];
    EXPECT_EQ(call.versionKind, 9);
    EXPECT_FALSE(call.hasAddresses);
    EXPECT_EQ(call.addressCount, 0);
    EXPECT_EQ(call.models, lists.models);
    EXPECT_EQ(call.community, "orchid");
    EXPECT_EQ(call.mode, kDiscoverBroadcast);
    EXPECT_EQ(Addresses(lists.entries), (std::vector<std::u16string>{u"10.0.0.4"}));
    EXPECT_EQ(lists.resultCount, 1) << "the results are kept until the next search";
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST_F(DiscoveryDriverTest, HandAddedAddressesGoNarrowAndInOrder) {
    AddManual(u"192.168.7.20");
    AddManual(u"10.1.2.3");
    discovery.Answer(kResultSuccess);
    EXPECT_EQ(RunDiscoveryDriver(&lists, 9, u"pübl"), kTableRebuilt);

    ASSERT_EQ(discovery.calls.size(), 1u);
    const FakeDiscovery::Call& call = discovery.calls[0];
    EXPECT_EQ(call.mode, kDiscoverBroadcast | kDiscoverAddresses);
    EXPECT_EQ(call.addressCount, 2);
    EXPECT_EQ(call.addresses, (std::vector<std::string>{"192.168.7.20", "10.1.2.3"}));
    EXPECT_EQ(std::string(lists.manualPrinters->narrowIpAddress), "192.168.7.20");
    EXPECT_EQ(call.community, WideToNarrow(u"pübl"));
    // Nobody answered: both show as locked rows named "-".
    EXPECT_EQ(Addresses(lists.entries),
              (std::vector<std::u16string>{u"192.168.7.20", u"10.1.2.3"}));
    EXPECT_EQ(lists.entries->locked, 1);
}

TEST_F(DiscoveryDriverTest, FailedSearchIsReportedAndBuildsNothing) {
    struct Case {
        const char* why;
        int code;
        std::u16string caption;
        std::u16string textStart;
        std::u16string textEnd;
    } cases[] = {
        {"cancelled", kResultCancelled, u"Canceling Update...", u"Update canceled.",
         u"Update canceled."},
        {"network failure", kResultNetworkFailure, u"Error occurs while sending the data.",
         u"Printer Update failed.", u"Check the printer connection."},
        {"out of memory", kResultOutOfMemory, u"Out of Memory", kOutOfMemoryText, kOutOfMemoryText},
        {"bad argument: no notice", kResultBadArgument, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        recorder.Clear();
        discovery.Answer(c.code, {{u"10.0.0.4", u"Korvil"}});
        EXPECT_EQ(RunDiscoveryDriver(&lists, 9, u"orchid"), kTableFailed);
        EXPECT_EQ(lists.entries, nullptr);
        if (c.caption.empty()) {
            EXPECT_EQ(recorder.Count(), 0u);
        } else {
            ASSERT_EQ(recorder.Count(), 1u);
            const RecordedMessageBox box = recorder.Boxes().front();
            EXPECT_EQ(box.caption, c.caption);
            EXPECT_TRUE(box.text.starts_with(c.textStart)) << WideToNarrow(box.text);
            EXPECT_TRUE(box.text.ends_with(c.textEnd)) << WideToNarrow(box.text);
        }
    }
}

TEST_F(DiscoveryDriverTest, NoAddressArrayMeansNoSearch) {
    AddManual(u"10.0.0.9");
    discovery.Answer(kResultSuccess);
    AllocationHook::FailNth(1);
    EXPECT_EQ(RunDiscoveryDriver(&lists, 9, u"orchid"), kTableFailed);
    AllocationHook::Reset();
    EXPECT_TRUE(discovery.calls.empty()) << "never a count of addresses without the array";
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Boxes().front().text, kOutOfMemoryText);
}

TEST_F(DiscoveryDriverTest, EntriesOutOfMemoryAsksForTheStop) {
    AddManual(u"10.0.0.9");
    discovery.Answer(kResultSuccess, {{u"10.0.0.4", u"Korvil"}});
    // 1: the address array; 2 and 3: the discovered entry; 4 and 5: the hand-added one.
    for (long n = 2; n <= 5; ++n) {
        SCOPED_TRACE(n);
        recorder.Clear();
        AllocationHook::FailNth(n);
        EXPECT_EQ(RunDiscoveryDriver(&lists, 9, u"orchid"), kTableOutOfMemory);
        AllocationHook::Reset();
        ASSERT_EQ(recorder.Count(), 1u);
        EXPECT_EQ(recorder.Boxes().front().text, kOutOfMemoryText);
        FreePrinterEntries(lists.entries);
        lists.entries = nullptr;
    }
}

TEST_F(DiscoveryDriverTest, RebuildKeepsHistoryAndTicks) {
    discovery.Answer(kResultSuccess, {{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}});
    ASSERT_EQ(RunDiscoveryDriver(&lists, 9, u"orchid"), kTableRebuilt);
    // 10.0.0.1 received the file; 10.0.0.2 was ticked.
    lists.entries->ticked = 1;
    lists.entries->next->ticked = 1;
    auto* sent = HeapNew<DeliveryNode>();
    CopyWideField(sent->ipAddress, kNodeIpUnits, u"10.0.0.1");
    sent->sent = 1;
    RecordDeliveryResults(sent, lists.entries);
    DeliveryNode* ticked = nullptr;
    int count = 0;
    const auto shown = Members(lists.entries);
    const std::vector<const PrinterEntry*> rows(shown.begin(), shown.end());
    ASSERT_EQ(CollectTickedPrinters(lists.entries, rows, &ticked, &count), 1);

    // Only 10.0.0.2 still answers.
    discovery.Answer(kResultSuccess, {{u"10.0.0.2", u"B"}});
    EXPECT_EQ(RebuildPrinterEntries(&lists, 9, u"orchid", ticked), kTableRebuilt);
    EXPECT_EQ(Addresses(lists.entries), (std::vector<std::u16string>{u"10.0.0.2", u"10.0.0.1"}));
    const auto entries = Members(lists.entries);
    EXPECT_EQ(entries[0]->ticked, 1) << "tick restored by address";
    EXPECT_EQ(entries[1]->status, kStatusSent) << "kept from the history";
    EXPECT_EQ(entries[1]->locked, 1);
    EXPECT_EQ(discovery.releases, 1);

    // The history cannot be laid over the new chain: the main window must stop. Allocations 1
    // and 2 make the discovered entry, 3 copies the history-only one.
    AllocationHook::FailNth(3);
    EXPECT_EQ(RebuildPrinterEntries(&lists, 9, u"orchid", ticked), kTableOutOfMemory);
    AllocationHook::Reset();
    EXPECT_EQ(recorder.Count(), 1u);

    FreeDeliveryNodes(ticked);
    HeapFree(sent);
}

TEST_F(DiscoveryDriverTest, ReleasingTheListsEmptiesEverything) {
    AddManual(u"10.0.0.9");
    ASSERT_EQ(BuildModelList("A,B", &lists.models), 1);
    discovery.Answer(kResultSuccess, {{u"10.0.0.4", u"Korvil"}});
    ASSERT_EQ(RunDiscoveryDriver(&lists, 9, u"orchid"), kTableRebuilt);
    lists.entries->ticked = 1;
    auto* node = HeapNew<DeliveryNode>();
    CopyWideField(node->ipAddress, kNodeIpUnits, u"10.0.0.4");
    RecordDeliveryResults(node, lists.entries);
    lists.nodes = node;
    lists.nodeCount = 1;
    ASSERT_EQ(TheDeliveryHistory().count, 1);

    ReleaseTableLists(&lists);
    EXPECT_EQ(lists.entries, nullptr);
    EXPECT_EQ(lists.models, nullptr);
    EXPECT_EQ(lists.manualPrinters, nullptr);
    EXPECT_EQ(lists.manualCount, 0);
    EXPECT_EQ(lists.nodes, nullptr);
    EXPECT_EQ(lists.results, nullptr);
    EXPECT_EQ(discovery.releases, 1);
    EXPECT_EQ(TheDeliveryHistory().head, nullptr);
    EXPECT_EQ(TheDeliveryHistory().count, 0);
}

} // namespace
