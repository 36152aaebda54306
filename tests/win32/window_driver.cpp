// Drives tolvane.exe from outside, as an operator would, in the printer lab with the demo
// printers: window_driver TOLVANE.EXE BACKUP.rvk (Windows paths). Starts the window, checks the
// printers listed, adds the one behind the router, ticks all, delivers, answers the boxes and
// checks the outcome per printer; cancels a delivery held by a printer that never reads; then a
// second start with another file must restore the minimised first window, bring it forward and
// leave that file in its field, with no second window.
// Exit status 0 when all holds, 1 with the reason on standard error.
#include "printers/printer_table.h"
#include "text/string_ids.h"
#include "text/string_table.h"
#include "win32/resource.h"

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::wstring& why) {
    std::fwprintf(stderr, L"window_driver: %ls\n", why.c_str());
    std::exit(1);
}

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

PROCESS_INFORMATION g_tolvane{};

PROCESS_INFORMATION Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        Fail(L"cannot start " + exe);
    return process;
}

// The visible dialogs of tolvane.exe's process, its main window, progress dialog and boxes.
std::vector<HWND> Dialogs() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM list) {
            DWORD process = 0;
            wchar_t name[16] = {};
            GetWindowThreadProcessId(window, &process);
            GetClassNameW(window, name, 16);
            if (process == g_tolvane.dwProcessId && IsWindowVisible(window) &&
                std::wstring(name) == L"#32770")
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits up to 30 s for the dialog that holds a control with `id`.
HWND WaitForDialog(int id, const wchar_t* what) {
    for (int i = 0; i < 300; ++i) {
        for (HWND dialog : Dialogs()) {
            if (GetDlgItem(dialog, id) != nullptr)
                return dialog;
        }
        Sleep(100);
    }
    Fail(std::wstring(L"no ") + what + L" within 30 s");
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The list, one line per row: address, status and tick state. The item and its text buffer
// live in tolvane's memory for the messages.
std::wstring Table(HWND list) {
    struct Block {
        LVITEMW item;
        wchar_t text[256];
    };
    auto* remote = static_cast<char*>(VirtualAllocEx(g_tolvane.hProcess, nullptr, sizeof(Block),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == nullptr)
        Fail(L"no memory in tolvane.exe for the list's texts");
    auto text = [&](int row, int column) {
        Block block{};
        block.item.iSubItem = column;
        block.item.cchTextMax = 256;
        block.item.pszText = reinterpret_cast<wchar_t*>(remote + offsetof(Block, text));
        WriteProcessMemory(g_tolvane.hProcess, remote, &block, sizeof(block), nullptr);
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(g_tolvane.hProcess, remote, &block, sizeof(block), nullptr);
        return std::wstring(block.text);
    };
    std::wstring table;
    for (int row = 0; row < SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); ++row) {
        const auto state = SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) >> 12;
        table += text(row, kColumnAddress) + L" " + text(row, kColumnStatus) + L" " +
                 std::to_wstring(state) + L"\n";
    }
    VirtualFreeEx(g_tolvane.hProcess, remote, 0, MEM_RELEASE);
    return table;
}

void ExpectTable(HWND list, const std::wstring& expected, const wchar_t* when) {
    const std::wstring table = Table(list);
    if (table != expected)
        Fail(std::wstring(L"the list ") + when + L":\n" + table + L"expected:\n" + expected);
}

// Looks every 100 ms, for up to 30 s; the check after it tells what did not happen.
template <class Done> void WaitUntil(Done done) {
    for (int i = 0; i < 300 && !done(); ++i)
        Sleep(100);
}

void AddPrinter(HWND window, LPARAM address, int rowsAfter) {
    Click(window, IDC_ADD_PRINTER);
    HWND add = WaitForDialog(IDC_ADDRESS, L"add-printer dialog");
    SendMessageW(GetDlgItem(add, IDC_ADDRESS), IPM_SETADDRESS, 0, address);
    Click(add, IDOK);
    HWND list = GetDlgItem(window, IDC_PRINTER_LIST);
    WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rowsAfter; });
}

// The open message box other than `except`, or nullptr.
HWND MessageBoxOpen(HWND except) {
    for (HWND box : Dialogs()) {
        if (box != except && GetDlgItem(box, IDC_PROGRESS) == nullptr)
            return box;
    }
    return nullptr;
}

std::wstring BoxText(HWND box) {
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512); // a message box's text control
    return text;
}

// Cancel while the only ticked printer, which never reads its job, holds the delivery: the
// interruption notice must come at once, and the printer stay ticked as failed.
void CancelDuringStall(HWND window) {
    HWND list = GetDlgItem(window, IDC_PRINTER_LIST);
    // Adding searches again, which ticks the failed printer again: clear after it.
    AddPrinter(window, MAKEIPADDRESS(10, 77, 2, 21), 6);
    SendMessageW(GetDlgItem(window, IDC_CLEAR_ALL), BM_CLICK, 0, 0);
    PostMessageW(list, WM_KEYDOWN, VK_END, 0); // the stalled printer sorts last
    PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    Click(window, IDC_DOWNLOAD);
    Click(WaitForDialog(IDYES, L"confirmation question"), IDYES);
    HWND progress = WaitForDialog(IDC_PROGRESS, L"progress dialog");
    Sleep(1000);
    const ULONGLONG cancelled = GetTickCount64();
    // Enter, which must press the dialog's one button, Cancel, and never end the job early.
    PostMessageW(GetDlgItem(progress, IDCANCEL), WM_KEYDOWN, VK_RETURN, 0);
    HWND notice = nullptr;
    while ((notice = MessageBoxOpen(window)) == nullptr && GetTickCount64() - cancelled < 10000)
        Sleep(5);
    const ULONGLONG elapsed = GetTickCount64() - cancelled;
    if (notice == nullptr)
        Fail(L"no notice within 10 s of Cancel");
    const std::wstring expected = Wide(ResString(IDS_UPDATE_INTERRUPTED_PRINTER)) + L"10.77.2.21";
    if (BoxText(notice).rfind(expected, 0) != 0)
        Fail(L"not the interruption notice after Cancel: " + BoxText(notice));
    std::fwprintf(stdout, L"window_driver: Cancel to the interruption notice in %llu ms\n",
                  elapsed);
    // Bounded loosely: a busy machine must not fail the run; the figure above is the measure.
    if (elapsed > 2000)
        Fail(L"the interruption notice came more than 2 s after Cancel");
    Click(notice, IDOK);
    WaitUntil([&] { return MessageBoxOpen(window) == nullptr; });
    ExpectTable(list,
                L"10.77.1.11 Sent 4\n10.77.1.12 Sent 4\n10.77.1.14 Not completed 4\n"
                L"10.77.1.15 Failed 1\n10.77.2.20 Sent 4\n10.77.2.21 Failed 2\n",
                L"after Cancel");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        Fail(L"usage: window_driver TOLVANE.EXE BACKUP.rvk");
    g_tolvane = Start(argv[1], L"\"" + std::wstring(argv[2]) + L"\"");
    HWND window = WaitForDialog(IDC_PRINTER_LIST, L"main window");
    HWND list = GetDlgItem(window, IDC_PRINTER_LIST);

    ExpectTable(list,
                L"10.77.1.11 Not completed 1\n10.77.1.12 Not completed 1\n"
                L"10.77.1.14 Not completed 4\n10.77.1.15 Not completed 1\n",
                L"after the search");

    // The printer behind the router answers only when asked by its address.
    AddPrinter(window, MAKEIPADDRESS(10, 77, 2, 20), 5);

    SendMessageW(GetDlgItem(window, IDC_SELECT_ALL), BM_CLICK, 0, 0);
    Click(window, IDC_DOWNLOAD);
    // Answers each box as it comes: Yes to the question, OK to each notice. The delivery has
    // ended once no box is open and the rows show their outcomes.
    std::vector<std::wstring> questions, notices;
    for (int i = 0;; ++i) {
        if (i == 1200)
            Fail(L"the delivery did not end within 120 s");
        Sleep(100);
        bool open = false;
        for (HWND box : Dialogs()) {
            open = open || box != window;
            if (box == window || GetDlgItem(box, IDC_PROGRESS) != nullptr)
                continue;
            const bool question = GetDlgItem(box, IDYES) != nullptr;
            (question ? questions : notices).push_back(BoxText(box));
            Click(box, question ? IDYES : IDOK);
            // The box closes in its own time; the next look must not answer it again.
            for (int j = 0; j < 50 && IsWindowVisible(box); ++j)
                Sleep(100);
        }
        if (!open && !questions.empty() &&
            Table(list).find(L"Not completed 2") == std::wstring::npos)
            break;
    }
    if (questions != std::vector<std::wstring>{Wide(ResString(IDS_CONFIRM_SEND))})
        Fail(L"not the one confirmation question");
    if (notices.size() != 1 || notices[0].find(L"10.77.1.15") == std::wstring::npos)
        Fail(L"not the one failure notice, for 10.77.1.15");
    ExpectTable(list,
                L"10.77.1.11 Sent 4\n10.77.1.12 Sent 4\n10.77.1.14 Not completed 4\n"
                L"10.77.1.15 Failed 2\n10.77.2.20 Sent 4\n",
                L"after the delivery");

    CancelDuringStall(window);

    // A window of the driver's own in front; the second start must bring tolvane's back.
    HWND front = CreateWindowExW(0, L"STATIC", L"driver", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(front);
    if (GetForegroundWindow() != front)
        Fail(L"the driver's window did not come to the front");
    ShowWindow(window, SW_MINIMIZE);
    WaitUntil([&] { return IsIconic(window) != 0; });
    if (!IsIconic(window))
        Fail(L"the window did not minimise");
    // B.rvk beside the first file; it need not exist to be handed over.
    std::wstring other = argv[2];
    other = other.substr(0, other.find_last_of(L'\\') + 1) + L"B.rvk";
    PROCESS_INFORMATION second = Start(argv[1], L"\"" + other + L"\"");
    DWORD status = 1;
    if (WaitForSingleObject(second.hProcess, 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(second.hProcess, &status) || status != 0)
        Fail(L"the second start did not end with 0 within 30 s");
    WaitUntil([&] { return !IsIconic(window) && GetForegroundWindow() == window; });
    if (IsIconic(window))
        Fail(L"the second start did not restore the minimised window");
    if (GetForegroundWindow() != window)
        Fail(L"the second start did not bring the first window forward");
    // The text comes over by WM_GETTEXT, which the system carries between processes.
    const auto field = [&] {
        wchar_t text[512] = {};
        SendMessageW(GetDlgItem(window, IDC_FILE_NAME), WM_GETTEXT, 512,
                     reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    WaitUntil([&] { return field() == other; });
    if (field() != other)
        Fail(L"the file field holds " + field() + L", not " + other);
    const std::wstring title = Wide(ResString(IDS_MAIN_TITLE));
    int windows = 0;
    for (HWND found = nullptr; (found = FindWindowExW(nullptr, found, nullptr, title.c_str()));)
        ++windows;
    if (windows != 1)
        Fail(L"not one window titled as the main window but " + std::to_wstring(windows));

    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(g_tolvane.hProcess, 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(g_tolvane.hProcess, &status) || status != 0)
        Fail(L"tolvane.exe did not end with 0 after Close");
    std::fputws(L"window_driver: all checks held\n", stdout);
    return 0;
}
