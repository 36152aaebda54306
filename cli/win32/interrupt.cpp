#include "cli/interrupt.h"

#include <windows.h>

#include <atomic>

namespace {

// The exit status an interrupting event stands for: Ctrl-C as SIGINT (130); Ctrl-Break, a closed
// console, a log-off or a shut-down as SIGTERM (143).
std::atomic<int> g_interruptStatus{0};
HANDLE g_wakeUp = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    int expected = 0;
    g_interruptStatus.compare_exchange_strong(expected, event == CTRL_C_EVENT ? 130 : 143);
    ::SetEvent(g_wakeUp);
    // After the first event the next ones end the process as usual; a closing console waits
    // for this handler, so the run gets to write its report.
    if (expected != 0)
        return FALSE;
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

void CatchInterrupt() {
    if (g_wakeUp == nullptr)
        g_wakeUp = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_wakeUp == nullptr)
        return; // without the event Ctrl-C keeps its usual effect
    g_interruptStatus = 0;
    ::ResetEvent(g_wakeUp);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Interrupted() {
    return g_interruptStatus != 0;
}

int InterruptedExitStatus() {
    return Interrupted() ? g_interruptStatus.load() : 130;
}

bool WaitForInterrupt(std::chrono::milliseconds timeout) {
    if (Interrupted() || g_wakeUp == nullptr) {
        if (!Interrupted())
            ::Sleep(static_cast<DWORD>(timeout.count()));
        return Interrupted();
    }
    ::WaitForSingleObject(g_wakeUp, static_cast<DWORD>(timeout.count()));
    return Interrupted();
}
