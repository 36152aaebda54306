#pragma once

#include "platform/sockets.h"

#include <cstdint>
#include <string>

// What tests need of datagram sockets beyond the program's own socket layer: a socket on one
// chosen loopback address (127.0.0.x), and the address a socket is bound to.

// A datagram socket bound to `address` and `port` (0: one the system picks); kInvalidSocket
// when either call fails.
SocketHandle OpenLoopbackDatagram(const std::string& address, uint16_t port = 0);

// The address and port `handle` is bound to.
sockaddr_in LocalAddress(SocketHandle handle);

// True under Wine. Its server (8.0) binds a datagram socket meant for an address that no
// interface holds, 127.0.0.2 and on, to every address: such a socket sends from 127.0.0.1, and
// two of them cannot share a port. Rows that tell senders apart by address skip there.
bool UnderWine();
constexpr const char* kWineLoopbackBind =
    "Wine binds a datagram socket for 127.0.0.2 and on to every address, so every loopback "
    "sender shows as 127.0.0.1 and two agents cannot share a port";
