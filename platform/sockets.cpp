#include "platform/sockets.h"

// The calls that read the same on every system.
#ifndef _WIN32
#include <arpa/inet.h>
#include <sys/socket.h>
#endif

bool BindAnyPort(SocketHandle handle) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    return ::bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
}

bool MakePeer(const char* dotted, uint16_t port, sockaddr_in* peer) {
    *peer = sockaddr_in{};
    peer->sin_family = AF_INET;
    peer->sin_port = htons(port);
    if (dotted == nullptr) {
        peer->sin_addr.s_addr = htonl(INADDR_BROADCAST);
        return true;
    }
    // inet_addr also yields INADDR_NONE for the all-ones text, which is never a printer.
    peer->sin_addr.s_addr = ::inet_addr(dotted);
    return peer->sin_addr.s_addr != INADDR_NONE;
}
