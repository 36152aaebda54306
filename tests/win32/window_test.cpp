// The window's dialogs in this process, driven by messages. A modal dialog is driven from a
// thread timer that its own modal loop dispatches; notices go to the recorder and the search to
// the fake, so nothing is shown and no packet is sent.
#include "printers/file_handover.h"
#include "printers/printer_table.h"
#include "tests/support/fake_discovery.h"
#include "tests/support/message_box_recorder.h"
#include "text/community_name.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"
#include "win32/add_printer_dialog.h"
#include "win32/command_line.h"
#include "win32/community_dialog.h"
#include "win32/drag_edit.h"
#include "win32/main_dialog.h"
#include "win32/resource.h"
#include "win32/window_text.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace {

using Step = std::function<void(HWND dialog)>;

struct Drive {
    CDialog* dialog;
    std::vector<Step> steps;
    size_t next = 0;
};
Drive* g_drive = nullptr;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    Drive& drive = *g_drive;
    HWND window = drive.dialog->GetSafeHwnd();
    if (drive.next < drive.steps.size()) {
        drive.steps[drive.next++](window);
    } else if (window != nullptr) {
        ADD_FAILURE() << "the dialog is still open after its last step";
        EndDialog(window, -2);
    }
}

// Runs `dialog` modally, one step per tick of a 10 ms timer; the last step ends it.
INT_PTR RunModal(CDialog& dialog, std::vector<Step> steps) {
    Drive drive{&dialog, std::move(steps)};
    g_drive = &drive;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, OnTick);
    const INT_PTR result = dialog.DoModal(nullptr);
    KillTimer(nullptr, timer);
    g_drive = nullptr;
    return result;
}

void Press(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const INITCOMMONCONTROLSEX controls{sizeof(controls),
                                            ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES};
        InitCommonControlsEx(&controls);
    }
    MessageBoxRecorder boxes;
};

struct TypingRow {
    const char16_t* text;
    bool typed; // key by key (WM_CHAR), else set whole as a paste
    size_t notices;
    const char16_t* left;
};

class CommunityTyping : public WindowTest, public ::testing::WithParamInterface<TypingRow> {};

TEST_P(CommunityTyping, RemovesTheLastCharacterUntilTheNameIsValid) {
    const TypingRow& row = GetParam();
    CDlgSNMP dialog;
    dialog.SetCommunityName(u"");
    const INT_PTR result = RunModal(
        dialog, {[&](HWND d) {
                     HWND field = GetDlgItem(d, IDC_FILE_NAME);
                     const std::u16string text = row.text;
                     if (row.typed) {
                         for (char16_t c : text)
                             SendMessageW(field, WM_CHAR, c, 0);
                     } else {
                         SetWindowTextOf(field, text);
                     }
                     EXPECT_EQ(boxes.Count(), row.notices);
                     EXPECT_EQ(WindowText(field), row.left);
                     // After a removal the whole name is selected.
                     if (row.notices > 0) {
                         EXPECT_EQ(SendMessageW(field, EM_GETSEL, 0, 0),
                                   MAKELRESULT(0, std::u16string(row.left).size()));
                     }
                     EXPECT_EQ(SendMessageW(field, EM_GETLIMITTEXT, 0, 0), kCommunityNameMaxChars);
                 },
                 [](HWND d) { Press(d, IDOK); }});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.CommunityName(), row.left);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommunityTyping,
    ::testing::Values(TypingRow{u"abc.", false, 1, u"abc"}, TypingRow{u"ab$cd", false, 3, u"ab"},
                      TypingRow{u"", false, 0, u""}, TypingRow{u"\u00e9", false, 1, u""},
                      TypingRow{u"Az09-_", false, 0, u"Az09-_"}, TypingRow{u"ab$", true, 1, u"ab"},
                      TypingRow{u"x\u0416", true, 1, u"x"}));

// How the program answers what its command line asks: a box for all but a run.
struct AnswerRow {
    CommandLine::Action action;
    int status;
};

class CommandLineAnswers : public WindowTest, public ::testing::WithParamInterface<AnswerRow> {};

TEST_P(CommandLineAnswers, StatusAndBox) {
    const AnswerRow& row = GetParam();
    EXPECT_EQ(AnswerCommandLine({row.action, {}, u"unknown option '--verbose'"}), row.status);
    EXPECT_EQ(boxes.Count(), row.action == CommandLine::Action::Run ? 0u : 1u);
}

using A = CommandLine::Action;
INSTANTIATE_TEST_SUITE_P(Rows, CommandLineAnswers,
                         ::testing::Values(AnswerRow{A::Run, 0}, AnswerRow{A::ShowHelp, 0},
                                           AnswerRow{A::ShowVersion, 0}, AnswerRow{A::Refuse, 2}));

struct AddressRow {
    uint32_t before;
    bool set; // IPM_SETADDRESS with 10.77.1.11 first
    int button;
    uint32_t after;
};

class AddPrinter : public WindowTest, public ::testing::WithParamInterface<AddressRow> {};

TEST_P(AddPrinter, GivesTheAddressOnOkOnly) {
    const AddressRow& row = GetParam();
    CDlgSetIPAddress dialog;
    dialog.SetAddress(row.before);
    const INT_PTR result =
        RunModal(dialog, {[&](HWND d) {
                     if (row.set)
                         SendMessageW(GetDlgItem(d, IDC_ADDRESS), IPM_SETADDRESS, 0, 0x0A4D010B);
                     Press(d, row.button);
                 }});
    EXPECT_EQ(result, row.button);
    EXPECT_EQ(dialog.Address(), row.after);
}

INSTANTIATE_TEST_SUITE_P(Rows, AddPrinter,
                         ::testing::Values(AddressRow{0, false, IDOK, 0},
                                           AddressRow{0, true, IDOK, 0x0A4D010B},
                                           AddressRow{0xC0A80001, false, IDOK, 0xC0A80001},
                                           AddressRow{0xC0A80001, true, IDCANCEL, 0xC0A80001}));

// An HDROP as the shell hands one over: wide paths, each terminated, the list by one more.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths)
        list += path + L'\0';
    list += L'\0';
    const size_t bytes = list.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), bytes);
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

struct DropRow {
    bool readOnly;
    size_t firstLength;
};

class FileDrop : public WindowTest, public ::testing::WithParamInterface<DropRow> {};

TEST_P(FileDrop, TakesTheFirstPathWholeUnlessReadOnly) {
    const DropRow& row = GetParam();
    HWND edit = CreateWindowExW(0, L"EDIT", L"before.rvk", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 20,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_LIMITTEXT, 259, 0);
    SendMessageW(edit, EM_SETREADONLY, row.readOnly, 0);
    const std::wstring first = L"C:\\" + std::wstring(row.firstLength - 7, L'a') + L".rvk";
    {
        CDragEdit field;
        field.Attach(edit);
        SendMessageW(edit, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop({first, L"C:\\b.rvk", L"C:\\c.rvk"})), 0);
    }
    EXPECT_EQ(WindowText(edit), !row.readOnly ? CoreText(first.c_str()) : u"before.rvk");
    DestroyWindow(edit);
}

INSTANTIATE_TEST_SUITE_P(Rows, FileDrop,
                         ::testing::Values(DropRow{false, 20}, DropRow{false, 300},
                                           DropRow{true, 20}));

// Three printers, the one without a name locked; sorted by address they are .9, .10, .30.
class MainWindow : public WindowTest {
  protected:
    MainWindow() {
        discovery.Answer(0, {{u"10.0.0.10", u"Korvil 2950MFP-N"},
                             {u"10.0.0.9", u""},
                             {u"10.0.0.30", u"Korvil 2950MFP-D"}});
        FillDefaultSettings(&settings);
    }
    ~MainWindow() override { SetAppMainWindow(nullptr); }

    // Runs the window; the steps get its list, then Escape (or the close box) ends it.
    INT_PTR Run(std::vector<std::function<void(HWND dialog, HWND list)>> steps,
                UINT end = WM_KEYDOWN) {
        std::vector<Step> driven;
        for (auto& step : steps)
            driven.push_back([step](HWND d) { step(d, GetDlgItem(d, IDC_PRINTER_LIST)); });
        driven.push_back([end](HWND d) {
            if (end == WM_CLOSE)
                PostMessageW(d, WM_CLOSE, 0, 0);
            else
                PostMessageW(GetDlgItem(d, IDC_PRINTER_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        return RunModal(window, driven);
    }

    FakeDiscovery discovery;
    AppSettings settings{};
    CTolvaneDlg window{u"", settings};
};

std::vector<int> States(HWND list) {
    std::vector<int> states;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        states.push_back(
            static_cast<int>(ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK) >> 12));
    return states;
}

std::u16string CellText(HWND list, int row, int column) {
    wchar_t text[64] = {};
    ListView_GetItemText(list, row, column, text, 64);
    return CoreText(text);
}

// The middle of a row's cell in the tick column (0) or the address column (1).
LPARAM CellPoint(HWND list, int row, int column) {
    RECT bounds{};
    ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
    const int x = bounds.left + (column == 0 ? 5 : ListView_GetColumnWidth(list, 0) + 5);
    return MAKELPARAM(x, (bounds.top + bounds.bottom) / 2);
}

constexpr int U = kTickUnticked, T = kTickTicked, L = kTickUntickedLocked;

TEST_F(MainWindow, ListsThePrintersSortedByAddress) {
    const INT_PTR result =
        Run({[](HWND, HWND list) {
                std::vector<std::u16string> rows;
                for (int row = 0; row < ListView_GetItemCount(list); ++row)
                    rows.push_back(CellText(list, row, 1) + u" " + CellText(list, row, 2));
                EXPECT_EQ(rows,
                          (std::vector<std::u16string>{u"10.0.0.9 -", u"10.0.0.10 Korvil 2950MFP-N",
                                                       u"10.0.0.30 Korvil 2950MFP-D"}));
                EXPECT_EQ(CellText(list, 1, 3), ResString(IDS_STATUS_NOT_COMPLETED));
            }},
            WM_CLOSE);
    EXPECT_EQ(result, IDCANCEL);
}

constexpr LONG kFocusable = STATE_SYSTEM_FOCUSABLE, kChecked = STATE_SYSTEM_CHECKED,
               kUnavailable = STATE_SYSTEM_UNAVAILABLE, kFocused = STATE_SYSTEM_FOCUSED;

TEST(AccessibleRowState, CheckedUnavailableFocusedNeverSelected) {
    struct Case {
        int tick;
        bool focused;
        LONG state;
    };
    const Case cases[] = {
        {U, false, kFocusable},
        {T, false, kFocusable | kChecked},
        {kTickTickedLocked, false, kFocusable | kChecked | kUnavailable},
        {L, true, kFocusable | kUnavailable | kFocused},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AccessibleRowState({u"", c.tick, c.focused}), c.state)
            << "tick " << c.tick << ", focused " << c.focused;
}

// COM in the test's thread before the window is made, so that its rows are annotated.
struct ComApartment {
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};
class AnnotatedMainWindow : private ComApartment, public MainWindow {};

// What a screen reader's request gets from our server, the row as it is at that moment.
TEST_F(AnnotatedMainWindow, RowStateFollowsSpaceWithoutANewAnnotation) {
    const CheckListAccessible& rows = window.PrinterList().Accessible();
    Run({[&](HWND, HWND list) {
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(rows.RowProperty(1, PROPID_ACC_STATE).lVal, kFocusable | kFocused);
        SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(rows.RowProperty(1, PROPID_ACC_STATE).lVal, kFocusable | kChecked | kFocused);
        EXPECT_EQ(rows.RowProperty(0, PROPID_ACC_STATE).lVal, kFocusable | kUnavailable);
        EXPECT_EQ(rows.RowProperty(1, PROPID_ACC_ROLE).lVal, ROLE_SYSTEM_CHECKBUTTON);
        VARIANT name = rows.RowProperty(1, PROPID_ACC_NAME);
        ASSERT_EQ(name.vt, VT_BSTR);
        EXPECT_EQ(CoreText(name.bstrVal), u"10.0.0.10, Korvil 2950MFP-N, Not completed");
        VariantClear(&name);
    }});
}

// A click pressed on row `a` and released on row `b` in column `c`, a key, a button, or
// typed text.
struct Input {
    enum { Click, Key, Button, Type } kind;
    int a, b = 0, c = 0;
    std::u16string_view typed = {};
};
struct InputRow {
    std::vector<Input> inputs;
    std::vector<int> states;
    int focus;
    bool selectAll, clearAll;
};

class MainWindowInput : public MainWindow, public ::testing::WithParamInterface<InputRow> {};

TEST_P(MainWindowInput, TicksUnlockedRowsOnlyAndNeverSelects) {
    const InputRow& row = GetParam();
    Run({[&](HWND d, HWND list) {
        for (const Input& in : row.inputs) {
            if (in.kind == Input::Click) {
                SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(list, in.a, in.c));
                SendMessageW(list, WM_LBUTTONUP, 0, CellPoint(list, in.b, in.c));
            } else if (in.kind == Input::Key) {
                SendMessageW(list, WM_KEYDOWN, static_cast<WPARAM>(in.a), 0);
            } else if (in.kind == Input::Type) {
                for (char16_t typed : in.typed)
                    SendMessageW(list, WM_CHAR, typed, 0);
            } else {
                Press(d, in.a);
            }
        }
        EXPECT_EQ(States(list), row.states);
        EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), row.focus);
        EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDC_SELECT_ALL)) != 0, row.selectAll);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDC_CLEAR_ALL)) != 0, row.clearAll);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_DOWNLOAD)));
    }});
}

// The rules themselves are the printer-list controller's (core_tests); these rows show that
// the control's clicks, keys and typing reach it and that the rows show its answer.
constexpr auto C = Input::Click, K = Input::Key, B = Input::Button, Y = Input::Type;
INSTANTIATE_TEST_SUITE_P(
    Rows, MainWindowInput,
    ::testing::Values(InputRow{{}, {L, U, U}, -1, true, false},
                      InputRow{{{C, 1, 1, 0}}, {L, T, U}, 1, true, true},
                      InputRow{{{C, 2, 2, 1}}, {L, U, U}, 2, true, false},
                      InputRow{{{C, 1, 2, 0}}, {L, U, U}, -1, true, false},
                      InputRow{
                          {{K, VK_DOWN}, {K, VK_DOWN}, {K, VK_SPACE}}, {L, T, U}, 1, true, true},
                      InputRow{{{B, IDC_SELECT_ALL}}, {L, T, T}, -1, false, true},
                      InputRow{{{Y, 0, 0, 0, u"10.0.0.3"}}, {L, U, U}, 2, true, false},
                      InputRow{{{Y, 0, 0, 0, u"U "}}, {L, U, U}, -1, true, false}));

// Sorting from the keyboard: for each column, the menu key, Down to its entry (address, name,
// status, then the tick column) and Enter; the rows are then in the order of header clicks.
struct SortMenuRow {
    std::vector<int> columns;
    std::vector<std::u16string> addresses;
};

class MainWindowSortMenu : public MainWindow, public ::testing::WithParamInterface<SortMenuRow> {};

TEST_P(MainWindowSortMenu, ChoosesAsAHeaderClickWould) {
    std::vector<std::function<void(HWND, HWND)>> steps;
    for (int column : GetParam().columns)
        steps.push_back([column](HWND, HWND list) {
            SetFocus(list);
            PostMessageW(list, WM_KEYUP, VK_APPS, 0);
            for (int down = 0; down <= (column + 3) % 4; ++down)
                PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
        });
    steps.push_back([](HWND, HWND list) {
        std::vector<std::u16string> addresses;
        for (int row = 0; row < ListView_GetItemCount(list); ++row)
            addresses.push_back(CellText(list, row, 1));
        EXPECT_EQ(addresses, GetParam().addresses);
    });
    Run(steps);
}

INSTANTIATE_TEST_SUITE_P(Rows, MainWindowSortMenu,
                         ::testing::Values(SortMenuRow{{2},
                                                       {u"10.0.0.9", u"10.0.0.30", u"10.0.0.10"}}));

// The Download button and the file field reach the workflow, and the field shows what it is told
// (the workflow's rules are the core suite's).
struct DownloadSeamRow {
    size_t nameLength; // of the name put in the field
    std::u16string notice;
    bool selected; // the field's whole text selected afterwards
};

class MainWindowDownload : public MainWindow,
                           public ::testing::WithParamInterface<DownloadSeamRow> {};

TEST_P(MainWindowDownload, ReadsTheFieldAndSelectsATooLongName) {
    const DownloadSeamRow& row = GetParam();
    const std::u16string name(row.nameLength, u'b');
    Run({[&](HWND d, HWND) {
        HWND field = GetDlgItem(d, IDC_FILE_NAME);
        SetWindowTextOf(field, name);
        Press(d, IDC_DOWNLOAD);
        EXPECT_EQ(WindowText(field), name);
        EXPECT_EQ(SendMessageW(field, EM_GETSEL, 0, 0) == MAKELRESULT(0, name.size()),
                  row.selected);
    }});
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, row.notice);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MainWindowDownload,
    ::testing::Values(DownloadSeamRow{8, ResString(IDS_SELECT_PRINTERS), false},
                      DownloadSeamRow{260, u"Please enter no more than 259 characters.", true}));

TEST_F(MainWindow, EnterPressesOnlyAFocusedButtonAndKeepsTheWindow) {
    const INT_PTR result = Run({[](HWND, HWND list) {
                                    SetFocus(list);
                                    PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
                                },
                                [](HWND d, HWND list) {
                                    EXPECT_TRUE(IsWindowVisible(d));
                                    EXPECT_EQ(States(list), (std::vector<int>{L, U, U}));
                                    SetFocus(GetDlgItem(d, IDC_SELECT_ALL));
                                    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
                                },
                                [](HWND d, HWND list) {
                                    EXPECT_TRUE(IsWindowVisible(d));
                                    EXPECT_EQ(States(list), (std::vector<int>{L, T, T}));
                                }});
    EXPECT_EQ(result, IDCANCEL);
}

// A step that waits: it runs again at each tick until `done` holds (3 s at most).
std::function<void(HWND, HWND)> Until(std::function<bool(HWND dialog)> done) {
    auto tries = std::make_shared<int>(0);
    return [done, tries](HWND d, HWND) {
        if (!done(d) && ++*tries < 300)
            --g_drive->next;
    };
}

struct HandoverRow {
    ULONG_PTR tag;
    std::string payload;
    bool aboutOpen; // while the message comes
    LRESULT taken;
    const char16_t* field;
};

class MainWindowHandover : public MainWindow, public ::testing::WithParamInterface<HandoverRow> {};

TEST_P(MainWindowHandover, TakesOnlyItsOwnMessageAndAppliesItOnceNoDialogIsOpen) {
    const HandoverRow& row = GetParam();
    const auto field = [](HWND d) { return WindowText(GetDlgItem(d, IDC_FILE_NAME)); };
    int waited = 0;
    Run({[&](HWND d, HWND) {
             if (row.aboutOpen)
                 PostMessageW(d, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
         },
         [&](HWND d, HWND) {
             std::string payload = row.payload;
             COPYDATASTRUCT message{row.tag, static_cast<DWORD>(payload.size()), payload.data()};
             EXPECT_EQ(SendMessageW(d, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message)),
                       row.taken);
         },
         Until([&](HWND) { return ++waited == 30; }),
         [&](HWND d, HWND) {
             if (!row.aboutOpen)
                 return;
             EXPECT_EQ(field(d), u"") << "applied while the About box was open";
             Press(GetLastActivePopup(d), IDOK);
         },
         Until([&](HWND d) { return field(d) == row.field; }),
         [&](HWND d, HWND) { EXPECT_EQ(field(d), row.field); }});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MainWindowHandover,
    ::testing::Values(
        HandoverRow{kHandoverTag, HandoverPayload(u"C:\\B.rvk"), false, TRUE, u"C:\\B.rvk"},
        HandoverRow{kHandoverTag, HandoverPayload(u"C:\\B.rvk"), true, TRUE, u"C:\\B.rvk"},
        HandoverRow{kHandoverTag + 1, HandoverPayload(u"C:\\B.rvk"), false, FALSE, u""},
        HandoverRow{kHandoverTag, HandoverPayload(u"C:\\B.rvk").substr(1), false, FALSE, u""},
        HandoverRow{kHandoverTag, HandoverPayload(std::u16string(kHandoverMaxUnits + 1, u'p')),
                    false, FALSE, u""}));

// These read the program's string table, linked into the executable with the window's other
// resources.
TEST_F(MainWindow, StringTableAboutFromTheSystemMenu) {
    Run({[](HWND d, HWND) {
             wchar_t entry[64] = {};
             GetMenuStringW(GetSystemMenu(d, FALSE), IDM_ABOUTBOX, entry, 64, MF_BYCOMMAND);
             EXPECT_EQ(CoreText(entry), ResString(IDS_ABOUTBOX));
             PostMessageW(d, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
         },
         [](HWND d, HWND) {
             HWND about = GetLastActivePopup(d);
             ASSERT_NE(about, d) << "no About box";
             EXPECT_EQ(WindowText(GetDlgItem(about, IDC_VERSION_LINE)),
                       ResString(IDS_VERSION_LINE));
             Press(about, IDOK);
         }});
}

TEST_F(MainWindow, StringTableTitleAndColumns) {
    Run({[](HWND d, HWND list) {
        EXPECT_EQ(WindowText(d), ResString(IDS_MAIN_TITLE));
        HWND header = ListView_GetHeader(list);
        const uint16_t titles[] = {IDS_COLUMN_SELECT, IDS_COLUMN_IP_ADDRESS,
                                   IDS_COLUMN_PRINTER_NAME, IDS_COLUMN_STATUS};
        for (int column = 0; column < 4; ++column) {
            wchar_t text[64] = {};
            HDITEMW item{};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            Header_GetItem(header, column, &item);
            EXPECT_EQ(CoreText(text), ResString(titles[column])) << "column " << column;
        }
    }});
}

} // namespace
