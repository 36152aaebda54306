#include "platform/socket_startup.h"

#include <winsock2.h>

bool StartSockets() {
    // Version 2.2; the library stays started for the life of the process.
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
