#include "platform/socket_startup.h"

#include <winsock2.h>

namespace {
bool g_startupFails = false;
} // namespace

bool AfxSocketInit() {
    if (g_startupFails)
        return false;
    // Version 2.2; the library stays started for the life of the process.
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void SetSocketStartupFails(bool fails) {
    g_startupFails = fails;
}
