#include "platform/socket_startup.h"

namespace {
bool g_startupFails = false;
} // namespace

bool AfxSocketInit() {
    return !g_startupFails && StartSockets();
}

void SetSocketStartupFails(bool fails) {
    g_startupFails = fails;
}
