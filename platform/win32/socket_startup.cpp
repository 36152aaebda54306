#include "platform/socket_startup.h"

#include "platform/win32/ip_helper.h"

bool StartSockets() {
    // Version 2.2; the library stays started for the life of the process. The network code
    // needs IP Helper too, loaded here so that its absence is told like the library's.
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0 && LoadIpHelper() != nullptr;
}
