#include "tests/support/loopback_sockets.h"

// The calls that read the same on every system.
#ifdef _WIN32
#include <windows.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <sys/socket.h>
#endif

SocketHandle OpenLoopbackDatagram(const std::string& address, uint16_t port) {
    const SocketHandle handle = OpenDatagramSocket();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ::inet_addr(address.c_str());
    local.sin_port = htons(port);
    if (handle != kInvalidSocket &&
        ::bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        CloseSocket(handle);
        return kInvalidSocket;
    }
    return handle;
}

sockaddr_in LocalAddress(SocketHandle handle) {
    sockaddr_in local{};
    socklen_t length = sizeof(local);
    ::getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length);
    return local;
}

bool UnderWine() {
#ifdef _WIN32
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}
