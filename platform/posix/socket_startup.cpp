#include "platform/socket_startup.h"

#include <csignal>

namespace {
bool g_startupFails = false;
} // namespace

bool AfxSocketInit() {
    if (g_startupFails)
        return false;
    // A printer that resets the connection must not end the process through SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void SetSocketStartupFails(bool fails) {
    g_startupFails = fails;
}
