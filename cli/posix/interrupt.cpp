#include "cli/interrupt.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
int g_wakeUp[2] = {-1, -1};

// SIGTERM and SIGHUP (timeout, systemd, a closed terminal) end a run as Ctrl-C does.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnInterrupt(int signal) {
    // The interrupted code may be about to read errno.
    const int savedErrno = errno;
    if (g_interrupted == 0)
        g_interrupted = signal;
    // Only async-signal-safe work here: the byte wakes the waiting main thread.
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_wakeUp[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

void CatchInterrupt() {
    // One pipe serves every run of the process; a run starts with no Ctrl-C pending.
    if (g_wakeUp[0] < 0 && ::pipe2(g_wakeUp, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe Ctrl-C keeps its usual effect
    // The flag first: a Ctrl-C between the two then leaves the flag set, never a byte without the
    // flag, which would keep WaitForInterrupt from waiting at all.
    g_interrupted = 0;
    char drained[16];
    while (::read(g_wakeUp[0], drained, sizeof(drained)) > 0) {
    }
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (const int signal : kEndingSignals)
        ::sigaction(signal, &action, nullptr);
}

bool Interrupted() {
    return g_interrupted != 0;
}

int InterruptedExitStatus() {
    return 128 + (g_interrupted != 0 ? static_cast<int>(g_interrupted) : SIGINT);
}

bool WaitForInterrupt(std::chrono::milliseconds timeout) {
    if (Interrupted())
        return true;
    if (g_wakeUp[0] < 0) {
        std::this_thread::sleep_for(timeout);
        return Interrupted();
    }
    pollfd wakeUp{g_wakeUp[0], POLLIN, 0};
    ::poll(&wakeUp, 1, static_cast<int>(timeout.count()));
    return Interrupted();
}
