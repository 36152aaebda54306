// The main window's workflow against a fake window: the search and the transport are fakes, so no
// packet leaves the process. The real windows are tried in tests/ui, tests/win32 and the lab.
#include "platform/text_convert.h"
#include "printers/settings.h"
#include "tests/support/fake_discovery.h"
#include "tests/support/fake_main_window_view.h"
#include "tests/support/fake_printer_list_view.h"
#include "tests/support/fake_transport.h"
#include "tests/support/file_access.h"
#include "tests/support/heap_guard.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/temporary_directory.h"
#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"
#include "workflow/main_window_controller.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Printers = std::vector<std::pair<std::u16string, std::u16string>>;
using Texts = std::vector<std::u16string>;

const Printers kTwoPrinters = {{u"10.0.0.10", u"Korvil 2950MFP-N"},
                               {u"10.0.0.9", u"Korvil 2950MFP-D"}};
const std::u16string kOutOfMemory = u"Out of Memory.\r\nProgram will be terminated.";
constexpr int U = kTickUnticked, T = kTickTicked, L = kTickUntickedLocked;

// A file that passes the backup checks.
const std::string kBackup =
    std::string("\x1b%-12345X@PJL\r\n") + "@PJL COMMENT VERSION:NICBOOT=1.02\r\n" +
    "@PJL ENTER LANGUAGE=DOWNLOAD\r\nMERIN-AIO-QTB \r\n" + std::string(3000, 'a');

// One main window over its list, opened as the program opens it.
struct Window {
    // `failingAllocation`: the allocation of the start that runs out of memory, 0 for none.
    explicit Window(const Printers& printers = {}, const std::u16string& file = {},
                    int searchCode = 0, long failingAllocation = 0) {
        discovery.Answer(searchCode, printers);
        // A window's buttons start enabled.
        listView.commands = {true, true, true};
        controller = std::make_unique<MainWindowController>(view, list, file);
        FillDefaultSettings(&settings);
        if (failingAllocation > 0)
            AllocationHook::FailNth(failingAllocation, true);
        up = controller->OnWindowUp(settings);
        AllocationHook::Reset();
    }
    void Tick(const std::u16string& address) {
        const int row = listView.RowOf(address);
        ASSERT_GE(row, 0) << Narrow(address);
        list.OnCellClick(row, kColumnTick);
    }
    std::u16string Status(const std::u16string& address) const {
        return listView.rows.at(static_cast<size_t>(listView.RowOf(address))).status;
    }
    int State(const std::u16string& address) const {
        return listView.rows.at(static_cast<size_t>(listView.RowOf(address))).tickState;
    }
    Texts Notices() const {
        Texts texts;
        for (const RecordedMessageBox& box : boxes.Boxes())
            texts.push_back(box.text);
        return texts;
    }
    static std::string Narrow(const std::u16string& text) { return WideToNarrow(text); }

    MessageBoxRecorder boxes;
    FakeDiscovery discovery;
    FakeTransport transport{kTcpTransportIndex};
    FakePrinterListView listView;
    PrinterListController list{listView};
    FakeMainWindowView view;
    AppSettings settings{};
    std::unique_ptr<MainWindowController> controller;
    bool up = false;
};

class MainWindowControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backup = NarrowToWide(dir.Write("book.rvk", kBackup));
        notBackup = NarrowToWide(dir.Write("notes.rvk", "@PJL just a note\r\n"));
    }
    void TearDown() override { EXPECT_EQ(TheDeliveryHistory().count, 0); }

    HeapLeakGuard heap;
    TemporaryDirectory dir;
    std::u16string backup;
    std::u16string notBackup;
};

TEST_F(MainWindowControllerTest, StartsWithTheCommandLineFileAndSearches) {
    Window w(kTwoPrinters, u"/srv/backups/office book.rvk");
    EXPECT_TRUE(w.up);
    EXPECT_EQ(w.view.field, u"/srv/backups/office book.rvk");
    EXPECT_EQ(w.view.title, u"Tolvane for Korvil 2950MFP Address Book");
    ASSERT_EQ(w.discovery.calls.size(), 1u);
    const FakeDiscovery::Call& call = w.discovery.calls[0];
    EXPECT_EQ(call.versionKind, 9);
    EXPECT_EQ(call.community, "orchid");
    EXPECT_EQ(call.mode, int(kDiscoverBroadcast));
    EXPECT_FALSE(call.hasAddresses);
    // The model filter list is in place before the search.
    ASSERT_NE(call.models, nullptr);
    EXPECT_STREQ(call.models->name, "Korvil 2950MFP-D");
    EXPECT_TRUE(call.models->next != nullptr && call.models->next->next == nullptr);
    // Sorted by address, numerically.
    EXPECT_EQ(w.listView.Column(kColumnAddress), (Texts{u"10.0.0.9", u"10.0.0.10"}));
    EXPECT_EQ(w.list.Sort().column, kColumnAddress);
    // Nothing ticked yet: nothing to clear.
    EXPECT_TRUE(w.listView.commands.selectAll);
    EXPECT_FALSE(w.listView.commands.clearAll);
    EXPECT_TRUE(w.listView.commands.download);
    EXPECT_EQ(w.boxes.Count(), 0u);
    EXPECT_FALSE(w.view.busy);
}

TEST_F(MainWindowControllerTest, AddPrinterSearchesTheAddressesAddedSoFar) {
    Window w(kTwoPrinters);
    w.view.addressAnswer = 0xC0A8000A; // 192.168.0.10
    w.controller->OnAddPrinter();
    ASSERT_EQ(w.discovery.calls.size(), 2u);
    EXPECT_EQ(w.discovery.calls[1].mode, int(kDiscoverBroadcast | kDiscoverAddresses));
    EXPECT_EQ(w.discovery.calls[1].addresses, std::vector<std::string>{"192.168.0.10"});
    EXPECT_EQ(w.listView.rows.at(w.listView.RowOf(u"192.168.0.10")).name, u"-");
    EXPECT_EQ(w.State(u"192.168.0.10"), L);

    // The same address again: nothing is added, but the table is searched again.
    w.controller->OnAddPrinter();
    ASSERT_EQ(w.discovery.calls.size(), 3u);
    EXPECT_EQ(w.discovery.calls[2].addresses, std::vector<std::string>{"192.168.0.10"});
    EXPECT_EQ(w.listView.rows.size(), 3u);

    // Cancelled: no search at all.
    w.view.addressAnswer.reset();
    w.controller->OnAddPrinter();
    EXPECT_EQ(w.discovery.calls.size(), 3u);

    w.view.addressAnswer = 0x0A000009; // 10.0.0.9 is a discovered printer: still one row
    w.controller->OnAddPrinter();
    ASSERT_EQ(w.discovery.calls.size(), 4u);
    EXPECT_EQ(w.discovery.calls[3].addresses,
              (std::vector<std::string>{"192.168.0.10", "10.0.0.9"}));
    EXPECT_EQ(w.listView.rows.size(), 3u);
    EXPECT_EQ(w.listView.rows.at(w.listView.RowOf(u"10.0.0.9")).name, u"Korvil 2950MFP-D");
    // The dialog always opens empty.
    EXPECT_EQ(w.view.addressesOffered, (std::vector<uint32_t>{0, 0, 0, 0}));
}

TEST_F(MainWindowControllerTest, AddPrinterOutOfMemoryNeitherAddsNorSearches) {
    Window w(kTwoPrinters);
    w.view.addressAnswer = 0x0A000001;
    AllocationHook::FailNth(1);
    w.controller->OnAddPrinter();
    AllocationHook::Reset();
    EXPECT_EQ(w.Notices(), Texts{kOutOfMemory});
    EXPECT_EQ(w.discovery.calls.size(), 1u);
    EXPECT_TRUE(w.view.endCodes.empty());
}

TEST_F(MainWindowControllerTest, CommunitySearchesAgainWithTheNameChosen) {
    Window w(kTwoPrinters);
    w.Tick(u"10.0.0.10");
    w.view.nameAnswer.reset(); // Cancel: the same name
    w.controller->OnCommunity();
    ASSERT_EQ(w.discovery.calls.size(), 2u);
    EXPECT_EQ(w.discovery.calls[1].community, "orchid");
    EXPECT_EQ(w.controller->CommunityName(), u"orchid");
    // The refresh kept the tick.
    EXPECT_EQ(w.State(u"10.0.0.10"), T);

    w.view.nameAnswer = u"public";
    w.controller->OnCommunity();
    ASSERT_EQ(w.discovery.calls.size(), 3u);
    EXPECT_EQ(w.discovery.calls[2].community, "public");
    EXPECT_EQ(w.view.namesOffered, (Texts{u"orchid", u"orchid"}));
}

TEST_F(MainWindowControllerTest, UpdateSearchesAgainKeepingTicks) {
    Window w(kTwoPrinters);
    w.Tick(u"10.0.0.9");
    w.discovery.Answer(0, {{u"10.0.0.9", u"Korvil 2950MFP-D"}, {u"10.0.0.30", u"New"}});
    std::vector<bool> busy; // the cursor during each search
    w.discovery.duringSearch = [&] { busy.push_back(w.view.busy); };
    w.controller->OnRefresh();
    EXPECT_EQ(busy, std::vector<bool>{true});
    EXPECT_FALSE(w.view.busy);
    EXPECT_EQ(w.discovery.calls.size(), 2u);
    EXPECT_EQ(w.listView.rows.size(), 2u);
    EXPECT_EQ(w.State(u"10.0.0.9"), T);
    EXPECT_EQ(w.State(u"10.0.0.30"), U);
    EXPECT_LT(w.listView.RowOf(u"10.0.0.10"), 0);

    // A failed search leaves an empty table and says so.
    w.discovery.Answer(kResultNetworkFailure);
    w.controller->OnRefresh();
    EXPECT_TRUE(w.listView.rows.empty());
    EXPECT_EQ(w.boxes.Count(), 1u);
}

TEST_F(MainWindowControllerTest, BrowseTakesTheFileChosenAndOtherwiseShowsTheOldName) {
    Window w(kTwoPrinters, u"old.rvk");
    w.view.pathAnswer = backup;
    w.controller->OnBrowse();
    EXPECT_EQ(w.view.field, backup);
    // Cancelled: the field shows the window's name again, dropping what was typed since.
    w.view.field = u"typed but not taken";
    w.view.pathAnswer.reset();
    w.controller->OnBrowse();
    EXPECT_EQ(w.view.field, backup);
}

struct DownloadCheckRow {
    const char* why;
    bool tick;
    const char* file; // "", "missing", "notes" or "written" (held open by another program)
    int answer;
    std::vector<uint16_t> notices;
};

class DownloadChecks : public MainWindowControllerTest,
                       public ::testing::WithParamInterface<DownloadCheckRow> {};

TEST_P(DownloadChecks, RefuseInOrderWithTheirNotices) {
    const DownloadCheckRow& row = GetParam();
    Window w(kTwoPrinters);
    if (row.tick)
        w.Tick(u"10.0.0.9");
    const std::string file = row.file;
    if (file == "missing")
        w.view.field = NarrowToWide(dir.FilePath("gone.rvk"));
    else if (file == "notes")
        w.view.field = notBackup;
    std::unique_ptr<HeldFile> held;
    if (file == "written") {
        held = std::make_unique<HeldFile>(WideToNarrow(backup), HeldFile::Holder::kChildProcess);
        ASSERT_TRUE(held->Held());
        w.view.field = backup;
    }
    w.boxes.Answer(row.answer);
    w.controller->OnDownload();

    Texts expected;
    for (uint16_t id : row.notices)
        expected.push_back(ResString(id));
    EXPECT_EQ(w.Notices(), expected);
    for (const RecordedMessageBox& box : w.boxes.Boxes()) {
        EXPECT_EQ(box.caption, u"Tolvane");
        const bool question = box.text == ResString(IDS_CONFIRM_SEND);
        EXPECT_EQ(box.flags & MB_TYPEMASK, unsigned(question ? MB_YESNO : MB_OK));
    }
    EXPECT_EQ(w.transport.Log(u"10.0.0.9").opens, 0);
    EXPECT_EQ(w.view.deliveryRuns, 0);
    EXPECT_EQ(w.Status(u"10.0.0.9"), u"Not completed");
    if (held) {
        held->Release();
        w.boxes.Answer(IDYES);
        w.controller->OnDownload();
        EXPECT_EQ(w.transport.Log(u"10.0.0.9").received, kBackup);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DownloadChecks,
    ::testing::Values(
        DownloadCheckRow{"nothing ticked: asked first, before the empty name",
                         false,
                         "",
                         IDYES,
                         {IDS_SELECT_PRINTERS}},
        DownloadCheckRow{"empty name: before any question", true, "", IDYES, {IDS_ENTER_FILE_NAME}},
        DownloadCheckRow{"not confirmed: nothing more", true, "missing", IDNO, {IDS_CONFIRM_SEND}},
        DownloadCheckRow{"missing file: confirmation first, then 148",
                         true,
                         "missing",
                         IDYES,
                         {IDS_CONFIRM_SEND, IDS_FILE_NOT_EXIST}},
        DownloadCheckRow{"not a backup file: 140",
                         true,
                         "notes",
                         IDYES,
                         {IDS_CONFIRM_SEND, IDS_NOT_BACKUP_FILE}},
        DownloadCheckRow{"open for writing in another program: 148; sent once it is closed",
                         true,
                         "written",
                         IDYES,
                         {IDS_CONFIRM_SEND, IDS_FILE_NOT_EXIST}}));

struct LongNameRow {
    const char* why;
    size_t length;
    int limit;
};

class TooLongFileNames : public MainWindowControllerTest,
                         public ::testing::WithParamInterface<LongNameRow> {};

TEST_P(TooLongFileNames, RefusedWithTheFieldSelected) {
    const LongNameRow& row = GetParam();
    Window w(kTwoPrinters);
    w.Tick(u"10.0.0.9");
    // An existing, valid file under a long name, so only the length can stop it.
    std::string name = dir.Path() + '/';
    name += std::string(row.length - name.size() - 4, 'b') + ".rvk";
    ASSERT_EQ(name.size(), row.length);
    dir.Write(name.substr(dir.Path().size() + 1), kBackup);
    w.view.field = NarrowToWide(name);
    w.controller->OnDownload();
    EXPECT_EQ(w.Notices(), Texts{u"Please enter no more than " +
                                 NarrowToWide(std::to_string(row.limit)) + u" characters."});
    EXPECT_EQ(w.transport.Log(u"10.0.0.9").opens, 0);
    // The field keeps the name, selected, for the operator to shorten.
    EXPECT_EQ(w.view.field, NarrowToWide(name));
    EXPECT_TRUE(w.view.fieldSelected);
}

INSTANTIATE_TEST_SUITE_P(Rows, TooLongFileNames,
                         ::testing::Values(LongNameRow{"one more than a delivery takes", 256, 255},
                                           LongNameRow{"fits the field, not the delivery", 259,
                                                       255},
                                           LongNameRow{"longer than the field", 260, 259}));

TEST_F(MainWindowControllerTest, DeliveryFailureThenRetry) {
    Window w({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}, {u"10.0.0.3", u"C"}}, backup);
    FakePrinterScript unreachable;
    unreachable.openResult = kResultNetworkFailure;
    w.transport.Script(u"10.0.0.2", unreachable);
    w.Tick(u"10.0.0.1");
    w.Tick(u"10.0.0.2");
    w.controller->OnDownload();
    // The question, then the failure notice for B (the last printer: OK alone).
    ASSERT_EQ(w.boxes.Count(), 2u);
    EXPECT_NE(w.boxes.Boxes()[1].text.find(u"10.0.0.2"), std::u16string::npos);
    EXPECT_EQ(w.view.job.StatusText().rfind(ResString(IDS_SENDING_PRINTER), 0), 0u);
    EXPECT_EQ(w.Status(u"10.0.0.1"), u"Sent");
    EXPECT_EQ(w.State(u"10.0.0.1"), L);
    EXPECT_EQ(w.Status(u"10.0.0.2"), u"Failed");
    EXPECT_EQ(w.State(u"10.0.0.2"), T);
    EXPECT_EQ(w.transport.Log(u"10.0.0.1").received, kBackup);

    // The second run goes to the failed printer and the newly ticked one only.
    w.transport.Script(u"10.0.0.2", FakePrinterScript{});
    w.Tick(u"10.0.0.3");
    w.controller->OnDownload();
    EXPECT_EQ(w.transport.Log(u"10.0.0.1").opens, 1);
    EXPECT_EQ(w.transport.Log(u"10.0.0.2").opens, 2);
    EXPECT_EQ(w.transport.Log(u"10.0.0.3").opens, 1);
    EXPECT_EQ(w.transport.Log(u"10.0.0.2").received, kBackup);
    for (const char16_t* address : {u"10.0.0.1", u"10.0.0.2", u"10.0.0.3"})
        EXPECT_EQ(w.Status(address), u"Sent");
    // Every row is locked now: nothing left to send to.
    EXPECT_FALSE(w.listView.commands.download);
    EXPECT_FALSE(w.listView.commands.selectAll);
    EXPECT_FALSE(w.listView.commands.clearAll);
    EXPECT_EQ(TheDeliveryHistory().count, 3);
}

TEST_F(MainWindowControllerTest, FullSuccessWithAnUnlockedRowLeftKeepsDownload) {
    Window w({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}}, backup);
    w.Tick(u"10.0.0.1");
    w.controller->OnDownload();
    EXPECT_EQ(w.Status(u"10.0.0.1"), u"Sent");
    EXPECT_TRUE(w.listView.commands.download);
    EXPECT_TRUE(w.listView.commands.selectAll);
}

TEST_F(MainWindowControllerTest, AbandonedJobChangesNoPrinter) {
    Window w({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}}, backup);
    FakePrinterScript exhausted;
    exhausted.openResult = kResultOutOfMemory;
    w.transport.Script(u"10.0.0.2", exhausted);
    w.Tick(u"10.0.0.1");
    w.Tick(u"10.0.0.2");
    w.controller->OnDownload();
    EXPECT_EQ(w.transport.Log(u"10.0.0.1").opens, 1);
    EXPECT_EQ(w.Notices().back(), kOutOfMemory);
    // A delivered the file, but the job had no usable outcome: the table is as it was.
    EXPECT_EQ(w.Status(u"10.0.0.1"), u"Not completed");
    EXPECT_EQ(w.State(u"10.0.0.1"), T);
    EXPECT_EQ(TheDeliveryHistory().count, 0);
}

TEST_F(MainWindowControllerTest, DiscoveryFailureAtStart) {
    Window w({}, backup, kResultNetworkFailure);
    EXPECT_TRUE(w.listView.rows.empty());
    EXPECT_EQ(w.Notices(), Texts{ResString(IDS_UPDATE_FAILED) + ResString(IDS_CHECK_CONNECTION)});
    // The buttons keep the state they had before any fill.
    EXPECT_TRUE(w.listView.commands.selectAll && w.listView.commands.clearAll &&
                w.listView.commands.download);
    w.boxes.Clear();
    w.controller->OnDownload();
    EXPECT_EQ(w.Notices(), Texts{ResString(IDS_SELECT_PRINTERS)});
    EXPECT_EQ(w.view.title, u"Tolvane for Korvil 2950MFP Address Book");
}

struct StopRow {
    const char* why;
    long failingAllocation;
    size_t searches;
};

class OutOfMemoryStop : public MainWindowControllerTest,
                        public ::testing::WithParamInterface<StopRow> {};

TEST_P(OutOfMemoryStop, EndsTheWindowWithEveryListReleased) {
    const StopRow& row = GetParam();
    const long liveBefore = AllocationHook::LiveBlocks();
    Window w(kTwoPrinters, backup, 0, row.failingAllocation);
    EXPECT_FALSE(w.up) << row.why;
    EXPECT_EQ(w.view.endCodes, std::vector<int>{kEndOutOfMemory}) << row.why;
    EXPECT_EQ(w.discovery.calls.size(), row.searches) << row.why;
    EXPECT_EQ(w.Notices(), Texts{kOutOfMemory}) << row.why;
    // Every list is released at the stop, before the window goes; the title stays.
    EXPECT_EQ(AllocationHook::LiveBlocks(), liveBefore) << row.why;
    EXPECT_TRUE(w.view.title.empty());
    // A command still queued does nothing.
    w.controller->OnRefresh();
    EXPECT_EQ(w.discovery.calls.size(), row.searches) << row.why;
}

INSTANTIATE_TEST_SUITE_P(Rows, OutOfMemoryStop,
                         ::testing::Values(StopRow{"model filter list", 1, 0},
                                           StopRow{"printer entries", 3, 1}));

TEST_F(MainWindowControllerTest, DestructionEmptiesTheHistory) {
    const long liveBefore = AllocationHook::LiveBlocks();
    {
        Window w({{u"10.0.0.1", u"A"}}, backup);
        w.Tick(u"10.0.0.1");
        w.controller->OnDownload();
        EXPECT_EQ(TheDeliveryHistory().count, 1);
    }
    EXPECT_EQ(TheDeliveryHistory().count, 0);
    EXPECT_EQ(AllocationHook::LiveBlocks(), liveBefore);
}

} // namespace
