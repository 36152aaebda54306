#include "win32/running_window.h"

#include "printers/file_handover.h"
#include "win32/window_text.h"

#include <algorithm>

namespace {

constexpr wchar_t kMark[] = L"Tolvane_Korvil_2950MFP";

struct Search {
    const std::u16string* title;
    HWND found;
};

HWND FindMarkedWindow(const std::u16string& title) {
    Search wanted{&title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) {
            auto* search = reinterpret_cast<Search*>(data);
            if (GetPropW(window, kMark) == nullptr || WindowText(window) != *search->title)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

// The running instance has a working directory of its own. The path need not exist.
std::u16string FullPath(const std::u16string& path) {
    const DWORD units = GetFullPathNameW(WideChars(path), 0, nullptr, nullptr);
    if (units == 0)
        return path;
    std::wstring full(units, L'\0');
    const DWORD length = GetFullPathNameW(WideChars(path), units, full.data(), nullptr);
    return length == 0 || length >= units ? path : CoreText(full.c_str());
}

} // namespace

void MarkRunningWindow(HWND window) {
    SetPropW(window, kMark, reinterpret_cast<HANDLE>(1));
}

void UnmarkRunningWindow(HWND window) {
    RemovePropW(window, kMark);
}

bool ReachRunningWindow(const std::u16string& title, const std::u16string& path) {
    const ULONGLONG deadline = GetTickCount64() + kHandoverWaitMs;
    HWND window = nullptr;
    while ((window = FindMarkedWindow(title)) == nullptr && GetTickCount64() < deadline)
        Sleep(100);
    if (window == nullptr)
        return false;
    // SetForegroundWindow alone leaves a minimised window on the task bar.
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    else if (!IsWindowVisible(window))
        ShowWindow(window, SW_SHOWNORMAL);
    // With a dialog of its open, that dialog is what the operator must see.
    SetForegroundWindow(GetLastActivePopup(window));
    if (path.empty())
        return true;

    const std::string payload = HandoverPayload(FullPath(path));
    COPYDATASTRUCT message{kHandoverTag, static_cast<DWORD>(payload.size()),
                           const_cast<char*>(payload.data())};
    // A window that was slow to appear still gets a second to answer.
    const ULONGLONG now = GetTickCount64();
    const auto wait =
        static_cast<UINT>(std::max<ULONGLONG>(now < deadline ? deadline - now : 0, 1000));
    DWORD_PTR taken = FALSE;
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message),
                               SMTO_ABORTIFHUNG, wait, &taken) != 0 &&
           taken == TRUE;
}

std::optional<std::u16string> HandedOverPath(const COPYDATASTRUCT* message) {
    if (message == nullptr || message->dwData != kHandoverTag)
        return std::nullopt;
    return HandedOverPath(message->lpData, message->cbData);
}
