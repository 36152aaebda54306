#include "platform/collation.h"
#include "tests/support/fake_discovery.h"
#include "tests/support/fake_printer_list_view.h"
#include "tests/support/heap_guard.h"
#include "tests/support/message_box_recorder.h"
#include "text/notices.h"
#include "workflow/printer_list_controller.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Texts = std::vector<std::u16string>;
using States = std::vector<int>;
constexpr int U = kTickUnticked, T = kTickTicked, TL = kTickTickedLocked, L = kTickUntickedLocked;
const std::u16string kChecked = u"Checked";
const std::u16string kUnchecked = u"Unchecked";

class PrinterListControllerTest : public ::testing::Test {
  protected:
    PrinterListControllerTest() {
        // Names are ordered by the operator's locale; these tests fix one.
        SetCollationLocale("en_US");
        Restart();
    }
    ~PrinterListControllerTest() override {
        ReleaseTableLists(&lists);
        SetCollationLocale({});
    }

    // A new list, its lists and its view empty, as when the window opens.
    void Restart() {
        ReleaseTableLists(&lists);
        view = FakePrinterListView();
        list.emplace(view, [this] { return now; });
        list->SetUpTable(&lists);
        stops = 0;
        list->SetOutOfMemoryStop([this] { ++stops; });
    }
    void Fill(const std::vector<SampleEntry>& samples) {
        lists.entries = MakeChain(samples);
        list->FillPrinterList();
        list->UpdateCommandButtons();
    }
    // The first search finds 10.0.0.1 and 10.0.0.2; the list shows them.
    bool FirstSearch() {
        discovery.Answer(kResultSuccess, {{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}});
        if (list->RunDiscoveryDriver(9, u"orchid") != 1)
            return false;
        list->Refill();
        return true;
    }
    // Collects the ticked printers, lets each succeed or fail as given, records the outcome and
    // refills, as the delivery command does.
    void Deliver(const std::vector<std::pair<std::u16string, bool>>& outcomes) {
        DeliveryNode* nodes = nullptr;
        int count = 0;
        ASSERT_EQ(list->CollectTickedPrinters(&nodes, &count), 1);
        ASSERT_EQ(count, static_cast<int>(outcomes.size()));
        for (DeliveryNode* node = nodes; node != nullptr; node = node->next) {
            for (const auto& [address, sent] : outcomes) {
                if (Text(node->ipAddress) == address)
                    node->sent = sent ? 1 : 0;
            }
        }
        list->RecordDeliveryResults(nodes);
        FreeDeliveryNodes(nodes);
        list->Refill();
    }
    void ClickTick(const std::u16string& address) {
        list->OnCellClick(view.RowOf(address), kColumnTick);
    }

    HeapLeakGuard guard;
    FakeDiscovery discovery;
    PrinterTableLists lists;
    FakePrinterListView view;
    uint32_t now = 0;
    std::optional<PrinterListController> list;
    int stops = 0;
};

TEST_F(PrinterListControllerTest, FillShowsEveryEntry) {
    Fill({{u"10.0.0.10", u"Korvil A"},
          {u"10.0.0.9", u"-", kStatusNotCompleted, 1, 0},
          {u"10.0.0.2", u"Korvil B", kStatusFailed, 0, 1},
          {u"10.0.0.3", u"Korvil\r\nC\x1b]0;", kStatusSent, 1, 0}});
    EXPECT_EQ(view.States(), (States{U, L, T, L}));
    EXPECT_EQ(view.Column(0), (Texts{kUnchecked, kUnchecked, kChecked, kUnchecked}));
    EXPECT_EQ(view.Column(1), (Texts{u"10.0.0.10", u"10.0.0.9", u"10.0.0.2", u"10.0.0.3"}));
    EXPECT_EQ(view.Column(2), (Texts{u"Korvil A", u"-", u"Korvil B", u"Korvil\\r\\nC\\x1b]0;"}));
    EXPECT_EQ(view.Column(3), (Texts{u"Not completed", u"Not completed", u"Failed", u"Sent"}));
    EXPECT_EQ(list->EntryAt(2), Members(lists.entries)[2]);
    EXPECT_TRUE(view.commands.selectAll);
    EXPECT_TRUE(view.commands.clearAll);
    EXPECT_TRUE(view.commands.download);
}

// Clicks, keys and the two buttons on three printers, the one without a name locked; sorted by
// address they are .9, .10, .30 and no row has the focus frame.
struct Input {
    enum { Click, Key, SelectAll, ClearAll } kind;
    int row = 0;    // a click's row
    int column = 0; // a click's column
    ListKey key = ListKey::Space;
};
struct InputRow {
    const char* why;
    std::vector<Input> inputs;
    States states;
    int focus;
    bool selectAll, clearAll;
};

constexpr Input Key(ListKey key) {
    return {Input::Key, 0, 0, key};
}
constexpr Input ClickCell(int row, int column = kColumnTick) {
    return {Input::Click, row, column};
}

TEST_F(PrinterListControllerTest, TicksUnlockedRowsOnly) {
    using K = ListKey;
    const InputRow rows[] = {
        {"nothing yet", {}, {L, U, U}, -1, true, false},
        {"a click on the tick column ticks", {ClickCell(1)}, {L, T, U}, -1, true, true},
        {"a second click unticks", {ClickCell(1), ClickCell(1)}, {L, U, U}, -1, true, false},
        {"a locked row does not change", {ClickCell(0)}, {L, U, U}, -1, true, false},
        {"another column does nothing", {ClickCell(2, kColumnAddress)}, {L, U, U}, -1, true, false},
        {"right of every column does nothing", {ClickCell(2, -1)}, {L, U, U}, -1, true, false},
        {"Down from no focus row: the first", {Key(K::Down)}, {L, U, U}, 0, true, false},
        {"End, Home", {Key(K::End), Key(K::Home)}, {L, U, U}, 0, true, false},
        {"Space ticks the focus row",
         {Key(K::Down), Key(K::Down), Key(K::Space)},
         {L, T, U},
         1,
         true,
         true},
        {"Space twice: unticked again",
         {Key(K::End), Key(K::Space), Key(K::Space)},
         {L, U, U},
         2,
         true,
         false},
        {"Space leaves a locked row alone",
         {Key(K::Home), Key(K::Space)},
         {L, U, U},
         0,
         true,
         false},
        {"Space without a focus row does nothing", {Key(K::Space)}, {L, U, U}, -1, true, false},
        {"Select All", {{Input::SelectAll}}, {L, T, T}, -1, false, true},
        {"Select All, Clear All",
         {{Input::SelectAll}, {Input::ClearAll}},
         {L, U, U},
         -1,
         true,
         false},
    };
    for (const InputRow& row : rows) {
        SCOPED_TRACE(row.why);
        Restart();
        Fill({{u"10.0.0.10", u"Korvil 2950MFP-N"},
              {u"10.0.0.9", u"-", kStatusNotCompleted, 1, 0},
              {u"10.0.0.30", u"Korvil 2950MFP-D"}});
        list->InitialSort();
        for (const Input& in : row.inputs) {
            if (in.kind == Input::Click)
                list->OnCellClick(in.row, in.column);
            else if (in.kind == Input::Key)
                EXPECT_TRUE(list->OnKey(in.key));
            else
                in.kind == Input::SelectAll ? list->SelectAll() : list->ClearAll();
        }
        EXPECT_EQ(view.States(), row.states);
        EXPECT_EQ(view.focus, row.focus);
        EXPECT_EQ(view.commands.selectAll, row.selectAll);
        EXPECT_EQ(view.commands.clearAll, row.clearAll);
        EXPECT_TRUE(view.commands.download);
        for (int r = 0; r < 3; ++r) {
            const bool ticked = row.states[static_cast<size_t>(r)] == T;
            EXPECT_EQ(view.Column(0)[static_cast<size_t>(r)], ticked ? kChecked : kUnchecked);
            EXPECT_EQ(list->EntryAt(r)->ticked, ticked ? 1 : 0);
        }
        EXPECT_EQ(list->AnyRowTicked(), row.clearAll);
    }
}

TEST_F(PrinterListControllerTest, KeysMoveTheFocusRowByRowsAndPages) {
    using K = ListKey;
    struct Row {
        const char* why;
        std::vector<ListKey> keys;
        int focus;
    } rows[] = {
        {"End, Up", {K::End, K::Up}, 8},
        {"End, Home", {K::End, K::Home}, 0},
        {"Page Down: a page of four", {K::PageDown}, 4},
        {"End, Page Up", {K::End, K::PageUp}, 5},
        {"Down", {K::Down}, 1},
        {"Up at the top stays", {K::Up}, 0},
        {"Page Down near the end: the last row", {K::End, K::Up, K::PageDown}, 9},
    };
    std::vector<SampleEntry> samples;
    const char16_t* addresses[] = {u"10.0.0.0", u"10.0.0.1", u"10.0.0.2", u"10.0.0.3", u"10.0.0.4",
                                   u"10.0.0.5", u"10.0.0.6", u"10.0.0.7", u"10.0.0.8", u"10.0.0.9"};
    for (const char16_t* address : addresses)
        samples.push_back({address, u"A"});
    Fill(samples);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        view.focus = 0;
        for (ListKey key : row.keys)
            list->OnKey(key);
        EXPECT_EQ(view.focus, row.focus);
    }
}

TEST_F(PrinterListControllerTest, AnEmptyListTakesTheKeysAndMovesNothing) {
    EXPECT_TRUE(list->OnKey(ListKey::Space));
    EXPECT_FALSE(list->OnKey(ListKey::Down));
    EXPECT_EQ(view.focus, -1);
}

TEST_F(PrinterListControllerTest, TypingAnAddressMovesTheFocusRow) {
    struct Typed {
        char16_t key;
        uint32_t atMs;
    };
    struct Row {
        const char* why;
        bool descending; // sorted by address the other way
        std::vector<Typed> keys;
        int focus; // rows: .2, .9, .10, .30, 192.168.0.1 (reversed when descending)
    } rows[] = {
        {"one digit: the first row starting with it", false, {{u'1', 0}}, 0},
        {"more digits narrow it", false, {{u'1', 0}, {u'9', 500}}, 4},
        {"dots count",
         false,
         {{u'1', 0}, {u'0', 1}, {u'.', 2}, {u'0', 3}, {u'.', 4}, {u'0', 5}, {u'.', 6}, {u'3', 7}},
         3},
        {"a prefix of a longer address",
         false,
         {{u'1', 0}, {u'0', 1}, {u'.', 2}, {u'0', 3}, {u'.', 4}, {u'0', 5}, {u'.', 6}, {u'1', 7}},
         2},
        {"999 ms apart: one address", false, {{u'1', 0}, {u'9', 999}}, 4},
        {"a second apart: a new address", false, {{u'1', 0}, {u'9', 1000}}, 0},
        {"other keys do nothing", false, {{u'1', 0}, {u'a', 100}, {u' ', 150}, {u'9', 200}}, 4},
        {"no address starts with it: the focus stays", false, {{u'5', 0}}, -1},
        {"in display order", true, {{u'1', 0}}, 0},
        {"across the clock's wrap", false, {{u'1', 0xFFFFFF00u}, {u'9', 0x10}}, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Restart();
        Fill({{u"10.0.0.10", u"A"},
              {u"10.0.0.9", u"B"},
              {u"192.168.0.1", u"C"},
              {u"10.0.0.2", u"D"},
              {u"10.0.0.30", u"E"}});
        list->InitialSort();
        if (row.descending)
            list->OnColumnClick(kColumnAddress);
        for (const Typed& typed : row.keys) {
            now = typed.atMs;
            list->OnCharacter(typed.key);
        }
        EXPECT_EQ(view.focus, row.focus);
    }
}

TEST_F(PrinterListControllerTest, SelectAllPassesLockedRows) {
    Fill({{u"10.0.0.1", u"A"},
          {u"10.0.0.2", u"-", kStatusNotCompleted, 1, 0},
          {u"10.0.0.3", u"C", kStatusSent, 1, 0},
          {u"10.0.0.4", u"D", 0, 0, 1}});
    list->SelectAll();
    EXPECT_EQ(view.States(), (States{T, L, L, T}));
    EXPECT_EQ(view.Column(0), (Texts{kChecked, kUnchecked, kUnchecked, kChecked}));
    const auto entries = Members(lists.entries);
    EXPECT_EQ(entries[0]->ticked, 1);
    EXPECT_EQ(entries[1]->ticked, 0);
    EXPECT_FALSE(view.commands.selectAll);
    EXPECT_TRUE(view.commands.clearAll);
}

TEST_F(PrinterListControllerTest, ClearAllLeavesLockedImages) {
    Fill({{u"10.0.0.1", u"A", 0, 0, 1},
          {u"10.0.0.2", u"-", kStatusNotCompleted, 1, 0},
          {u"10.0.0.3", u"C", 0, 1, 0},
          {u"10.0.0.4", u"D"}});
    // A ticked, locked row, which the program never makes itself.
    list->SetRowState(2, TL);
    list->ClearAll();
    EXPECT_EQ(view.States(), (States{U, L, TL, U}));
    EXPECT_EQ(view.Column(0), (Texts{kUnchecked, kUnchecked, kUnchecked, kUnchecked}));
    const auto entries = Members(lists.entries);
    EXPECT_EQ(entries[0]->ticked, 0);
    // Its row still counts as ticked.
    EXPECT_EQ(entries[2]->ticked, 1);
    EXPECT_TRUE(view.commands.clearAll);
    EXPECT_TRUE(view.commands.selectAll);
}

TEST_F(PrinterListControllerTest, HeaderClicksAndTheSortMenuSort) {
    const std::u16string a = u"10.0.0.10", b = u"10.0.0.9", c = u"10.0.0.2", d = u"192.168.0.1";
    using Marks = std::array<int, 4>;
    struct Row {
        const char* why;
        std::vector<int> clicks;
        bool fromMenu;
        Texts order;
        Marks marks;
        int nextDirection;
        std::u16string menuCurrent;
    } rows[] = {
        {"initial: by address, 10.0.0.9 before 10.0.0.10",
         {},
         false,
         {c, b, a, d},
         {-1, 0, -1, -1},
         0,
         u"Sort by IP Address (ascending)"},
        {"address again: reversed, image 1",
         {1},
         false,
         {d, a, b, c},
         {-1, 1, -1, -1},
         1,
         u"Sort by IP Address (descending)"},
        {"address a third time: image 0 again",
         {1, 1},
         false,
         {c, b, a, d},
         {-1, 0, -1, -1},
         0,
         u"Sort by IP Address (ascending)"},
        {"status: Failed, Sent, then Not completed",
         {3},
         false,
         {c, b, a, d},
         {-1, -1, -1, 0},
         0,
         u"Sort by Status (ascending)"},
        {"status twice: reversed, image 1",
         {3, 3},
         false,
         {a, d, b, c},
         {-1, -1, -1, 1},
         1,
         u"Sort by Status (descending)"},
        {"select: ticked first, no mark anywhere",
         {0},
         false,
         {c, d, b, a},
         {-1, -1, -1, -1},
         0,
         u"Sort by Select (ascending)"},
        {"name: the locale's order, lower case first",
         {2},
         false,
         {d, b, a, c},
         {-1, -1, 0, -1},
         0,
         u"Sort by Printer Name (ascending)"},
        {"name twice: reversed",
         {2, 2},
         false,
         {c, a, b, d},
         {-1, -1, 1, -1},
         1,
         u"Sort by Printer Name (descending)"},
        {"menu: name, then back by address",
         {2, 1},
         true,
         {c, b, a, d},
         {-1, 0, -1, -1},
         0,
         u"Sort by IP Address (ascending)"},
        {"menu: name",
         {2},
         true,
         {d, b, a, c},
         {-1, -1, 0, -1},
         0,
         u"Sort by Printer Name (ascending)"},
        {"menu: status twice",
         {3, 3},
         true,
         {a, d, b, c},
         {-1, -1, -1, 1},
         1,
         u"Sort by Status (descending)"},
        {"menu: select",
         {0},
         true,
         {c, d, b, a},
         {-1, -1, -1, -1},
         0,
         u"Sort by Select (ascending)"},
        {"menu: address again, reversed",
         {1},
         true,
         {d, a, b, c},
         {-1, 1, -1, -1},
         1,
         u"Sort by IP Address (descending)"},
        {"menu: name twice, reversed",
         {2, 2},
         true,
         {c, a, b, d},
         {-1, -1, 1, -1},
         1,
         u"Sort by Printer Name (descending)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Restart();
        Fill({{u"10.0.0.10", u"beta"},
              {u"10.0.0.9", u"Alpha", kStatusSent, 1, 0},
              {u"10.0.0.2", u"gamma", kStatusFailed, 0, 1},
              {u"192.168.0.1", u"alpha", 0, 0, 1}});
        list->InitialSort();
        for (int column : row.clicks) {
            if (!row.fromMenu) {
                list->OnColumnClick(column);
                continue;
            }
            // The menu lists address, name, status, then the tick column.
            list->OnContextMenu();
            list->OnColumnClick(view.menu.at(static_cast<size_t>((column + 3) % 4)).column);
        }
        EXPECT_EQ(view.Column(1), row.order);
        EXPECT_EQ(view.marks, row.marks);
        EXPECT_EQ(list->Sort().nextDirection, row.nextDirection);
        list->OnContextMenu();
        std::u16string current;
        for (const SortMenuEntry& entry : view.menu)
            current += entry.current ? entry.text : u"";
        EXPECT_EQ(current, row.menuCurrent);
    }
}

TEST_F(PrinterListControllerTest, RefillKeepsTheLastSort) {
    Fill({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}, {u"10.0.0.3", u"C"}});
    list->InitialSort();
    list->OnColumnClick(kColumnStatus);
    // A delivery changes the statuses; the refill sorts again by status, same direction.
    const auto entries = Members(lists.entries);
    entries[0]->status = kStatusSent;
    entries[2]->status = kStatusFailed;
    list->Refill();
    EXPECT_EQ(view.Column(1), (Texts{u"10.0.0.3", u"10.0.0.1", u"10.0.0.2"}));
    EXPECT_EQ(view.marks, (std::array<int, 4>{-1, -1, -1, 0}));
    EXPECT_EQ(list->Sort().nextDirection, 0);
}

TEST_F(PrinterListControllerTest, DeliveryFollowsTheChainWhateverTheDisplay) {
    Fill({{u"10.0.0.5", u"A", 0, 0, 1},
          {u"10.0.0.1", u"B"},
          {u"10.0.0.3", u"C", 0, 0, 1},
          {u"10.0.0.2", u"D", 0, 0, 1}});
    list->OnColumnClick(kColumnName);
    list->OnColumnClick(kColumnName); // names descending: D, C, B, A
    EXPECT_EQ(view.Column(2), (Texts{u"D", u"C", u"B", u"A"}));
    DeliveryNode* nodes = nullptr;
    int count = 0;
    ASSERT_EQ(list->CollectTickedPrinters(&nodes, &count), 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Addresses(nodes), (Texts{u"10.0.0.5", u"10.0.0.3", u"10.0.0.2"}));
    FreeDeliveryNodes(nodes);
}

TEST_F(PrinterListControllerTest, SentSurvivesARefreshWithoutAnAnswer) {
    ASSERT_TRUE(FirstSearch());
    ClickTick(u"10.0.0.1");
    Deliver({{u"10.0.0.1", true}});
    int row = view.RowOf(u"10.0.0.1");
    EXPECT_EQ(view.Column(3)[static_cast<size_t>(row)], u"Sent");
    EXPECT_EQ(view.States()[static_cast<size_t>(row)], L);

    discovery.Answer(kResultSuccess, {{u"10.0.0.2", u"B"}});
    list->RefreshPrinters(9, u"orchid");
    row = view.RowOf(u"10.0.0.1");
    ASSERT_GE(row, 0);
    EXPECT_EQ(view.Column(3)[static_cast<size_t>(row)], u"Sent");
    EXPECT_EQ(view.Column(0)[static_cast<size_t>(row)], kUnchecked);
    EXPECT_EQ(view.States()[static_cast<size_t>(row)], L);
    EXPECT_EQ(view.Column(1), (Texts{u"10.0.0.2", u"10.0.0.1"}));
}

TEST_F(PrinterListControllerTest, FailedStaysTickedAcrossRefreshes) {
    ASSERT_TRUE(FirstSearch());
    ClickTick(u"10.0.0.2");
    MessageBoxRecorder recorder;
    Deliver({{u"10.0.0.2", false}});
    const auto expectFailedAndTicked = [this] {
        const auto row = static_cast<size_t>(view.RowOf(u"10.0.0.2"));
        EXPECT_EQ(view.Column(3)[row], u"Failed");
        EXPECT_EQ(view.States()[row], T);
        EXPECT_EQ(view.Column(0)[row], kChecked);
    };
    expectFailedAndTicked();
    list->RefreshPrinters(9, u"orchid");
    expectFailedAndTicked();

    // Unticked by the operator, it comes back ticked: the history's copy carries the tick.
    ClickTick(u"10.0.0.2");
    EXPECT_EQ(view.States()[static_cast<size_t>(view.RowOf(u"10.0.0.2"))], U);
    list->RefreshPrinters(9, u"orchid");
    expectFailedAndTicked();
    EXPECT_EQ(recorder.Count(), 0u);
}

TEST_F(PrinterListControllerTest, TicksAndTheFocusRowFollowTheirPrinterThroughARefresh) {
    ASSERT_TRUE(FirstSearch());
    view.focus = view.RowOf(u"10.0.0.2");
    ClickTick(u"10.0.0.2");
    // The printers answer in another order now.
    discovery.Answer(kResultSuccess,
                     {{u"10.0.0.2", u"B"}, {u"10.0.0.1", u"A"}, {u"10.0.0.0", u"Z"}});
    list->RefreshPrinters(9, u"orchid");
    EXPECT_EQ(view.States()[static_cast<size_t>(view.RowOf(u"10.0.0.2"))], T);
    EXPECT_EQ(view.States()[static_cast<size_t>(view.RowOf(u"10.0.0.1"))], U);
    EXPECT_EQ(lists.entries->ticked, 1);
    // The focus row follows its printer through the refresh (a row came above it) and a
    // re-sort; when its printer is gone, the focus keeps its place.
    EXPECT_EQ(view.focus, view.RowOf(u"10.0.0.2"));
    list->OnColumnClick(kColumnAddress);
    EXPECT_EQ(view.focus, view.RowOf(u"10.0.0.2"));
    view.focus = view.RowOf(u"10.0.0.0");
    discovery.Answer(kResultSuccess, {{u"10.0.0.2", u"B"}, {u"10.0.0.1", u"A"}});
    list->RefreshPrinters(9, u"orchid");
    EXPECT_EQ(view.focus, view.RowOf(u"10.0.0.1"));
}

TEST_F(PrinterListControllerTest, AFailedSearchLeavesAnEmptyList) {
    MessageBoxRecorder recorder;
    Fill({{u"10.0.0.1", u"A"}});
    discovery.Answer(kResultNetworkFailure);
    list->RefreshPrinters(9, u"orchid");
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(lists.entries, nullptr);
    EXPECT_EQ(recorder.Count(), 1u);
    EXPECT_FALSE(view.commands.selectAll);
    EXPECT_FALSE(view.commands.clearAll);
    EXPECT_FALSE(view.commands.download);
    EXPECT_EQ(stops, 0);
}

TEST_F(PrinterListControllerTest, OutOfMemoryWhileBuildingStopsTheWindow) {
    struct Row {
        const char* why;
        int step; // 0: model list, 1: first search, 2: refresh
    } rows[] = {{"model list", 0},
                {"entries of the first search", 1},
                {"entries or history of a refresh", 2}};
    for (const Row& row : rows) {
        // Count the allocations of a run that succeeds, then fail each one in turn.
        long allocations = 0;
        for (long failAt = 0; failAt == 0 || failAt <= allocations; ++failAt) {
            SCOPED_TRACE(std::string(row.why) + ", allocation " + std::to_string(failAt));
            Restart();
            MessageBoxRecorder recorder;
            discovery.Answer(kResultSuccess, {{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}});
            if (row.step == 2) {
                // Two printers found, one ticked, one already in the history.
                ASSERT_TRUE(FirstSearch());
                list->OnCellClick(1, kColumnTick);
                Deliver({{list->RowAddress(1), true}});
                list->OnCellClick(0, kColumnTick);
            }
            AllocationHook::FailNth(failAt > 0 ? failAt : -1);
            const int collected = !view.rows.empty() && view.rows[0].tickState == T ? 1 : 0;
            switch (row.step) {
            case 0:
                list->BuildModelList("Korvil 2950MFP-D,Korvil 2950MFP-N");
                break;
            case 1:
                list->RunDiscoveryDriver(9, u"orchid");
                break;
            default:
                list->RefreshPrinters(9, u"orchid");
                break;
            }
            if (failAt == 0) {
                allocations = AllocationHook::Count();
                EXPECT_GT(allocations, 0);
                EXPECT_EQ(stops, 0);
                continue;
            }
            AllocationHook::Reset();
            ASSERT_EQ(recorder.Count(), 1u);
            EXPECT_EQ(recorder.Boxes().front().text,
                      u"Out of Memory.\r\nProgram will be terminated.");
            if (row.step == 2 && failAt <= collected) {
                // Collecting the ticked printers failed: the refresh just stops.
                EXPECT_EQ(stops, 0);
                EXPECT_EQ(view.rows.size(), 2u);
                continue;
            }
            EXPECT_EQ(stops, 1);
            EXPECT_TRUE(list->OutOfMemoryStopped());
            EXPECT_TRUE(view.rows.empty());
            EXPECT_EQ(lists.entries, nullptr);
            EXPECT_EQ(lists.models, nullptr);
            EXPECT_EQ(lists.manualPrinters, nullptr);
            EXPECT_EQ(lists.results, nullptr);
            EXPECT_EQ(TheDeliveryHistory().head, nullptr);
        }
    }
}

} // namespace
