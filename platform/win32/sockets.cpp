#include "platform/sockets.h"

#include "platform/win32/ip_helper.h"

#include <mstcpip.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <vector>

SocketError LastSocketError() {
    switch (::WSAGetLastError()) {
    case WSAEISCONN:
        return SocketError::kConnected;
    case WSAEINPROGRESS:
    case WSAEALREADY:
        return SocketError::kInProgress;
    case WSAEWOULDBLOCK:
    case WSAENOBUFS:
        return SocketError::kWouldBlock;
    case WSAEINTR:
        return SocketError::kInterrupted;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
    case WSAENETRESET:
        return SocketError::kConnectionLost;
    default:
        return SocketError::kOther;
    }
}

namespace {

SocketHandle OpenSocket(int type, int protocol) {
    // Not inherited by child processes, as on the other systems.
    return ::WSASocketW(AF_INET, type, protocol, nullptr, 0,
                        WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

} // namespace

SocketHandle OpenDatagramSocket() {
    return OpenSocket(SOCK_DGRAM, IPPROTO_UDP);
}

SocketHandle OpenStreamSocket() {
    const SocketHandle handle = OpenSocket(SOCK_STREAM, IPPROTO_TCP);
    // A bounded send queue keeps the bytes a connection has taken close to the bytes the printer
    // has read, so progress shows even where unacknowledged bytes cannot be counted; 256 KB
    // still keeps a LAN link full.
    const int queue = 256 * 1024;
    if (handle != kInvalidSocket)
        ::setsockopt(handle, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&queue),
                     sizeof(queue));
    return handle;
}

void CloseSocket(SocketHandle handle) {
    if (handle != kInvalidSocket)
        ::closesocket(handle);
}

bool SetNonBlocking(SocketHandle handle) {
    u_long on = 1;
    return ::ioctlsocket(handle, FIONBIO, &on) == 0;
}

bool AllowBroadcast(SocketHandle handle) {
    const BOOL on = TRUE;
    return ::setsockopt(handle, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                        sizeof(on)) == 0;
}

void RequestReceiveQueue(SocketHandle handle, int bytes) {
    ::setsockopt(handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                 sizeof(bytes));
}

std::string PeerAddressText(const sockaddr_in& peer) {
    char text[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof(text)) != nullptr ? text : "";
}

bool SendDatagram(SocketHandle handle, const sockaddr_in& peer, const uint8_t* data,
                  size_t length) {
    return ::sendto(handle, reinterpret_cast<const char*>(data), static_cast<int>(length), 0,
                    reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) != SOCKET_ERROR;
}

bool SendDatagramVia(SocketHandle handle, unsigned interfaceIndex, const sockaddr_in& peer,
                     const uint8_t* data, size_t length) {
    // The documented way to choose the interface of an unconnected socket's sends; the index
    // goes in network byte order. Packet-info control data is not honoured everywhere.
    const DWORD index = htonl(interfaceIndex);
    if (::setsockopt(handle, IPPROTO_IP, IP_UNICAST_IF, reinterpret_cast<const char*>(&index),
                     sizeof(index)) != 0)
        return false;
    return SendDatagram(handle, peer, data, length);
}

ssize_t ReceiveDatagram(SocketHandle handle, uint8_t* buffer, size_t capacity,
                        sockaddr_in* sender) {
    int senderLength = sizeof(*sender);
    const int received =
        ::recvfrom(handle, reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0,
                   reinterpret_cast<sockaddr*>(sender), &senderLength);
    if (received != SOCKET_ERROR)
        return received;
    // A datagram that did not fit: the rest is lost, and the caller must see it was too long.
    return ::WSAGetLastError() == WSAEMSGSIZE ? static_cast<ssize_t>(capacity) + 1 : -1;
}

SocketError Connect(SocketHandle handle, const sockaddr_in& peer) {
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0)
        return SocketError::kNone;
    // A non-blocking connect says "would block" when it starts, and older systems say
    // "invalid" when it is repeated while still under way.
    const int error = ::WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINVAL)
        return SocketError::kInProgress;
    return LastSocketError();
}

ssize_t SendSome(SocketHandle handle, const uint8_t* data, size_t length) {
    const int chunk = static_cast<int>(std::min<size_t>(length, 1 << 30));
    const int sent = ::send(handle, reinterpret_cast<const char*>(data), chunk, 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

namespace {

timeval Timeout(int milliseconds) {
    return timeval{milliseconds / 1000, (milliseconds % 1000) * 1000};
}

} // namespace

// select rather than WSAPoll, which misses failed connects on older systems.
void WaitWritable(SocketHandle handle, int timeoutMs) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(handle, &writable);
    timeval timeout = Timeout(timeoutMs);
    ::select(0, nullptr, &writable, nullptr, &timeout);
}

bool ShutdownSending(SocketHandle handle) {
    return ::shutdown(handle, SD_SEND) == 0;
}

ssize_t ReceiveSome(SocketHandle handle, uint8_t* buffer, size_t capacity) {
    const int received = ::recv(handle, reinterpret_cast<char*>(buffer),
                                static_cast<int>(std::min<size_t>(capacity, 1 << 30)), 0);
    return received == SOCKET_ERROR ? -1 : received;
}

namespace {

// The connection's state in the system's TCP table, where SIO_TCP_INFO is missing (Windows
// before 10 1703, Wine): 0 once the end of the data, and so everything before it, was
// acknowledged; 1 while some is not; -1 when the connection is gone from the table (reset).
int UnacknowledgedFromTable(SocketHandle handle) {
    sockaddr_in local{};
    sockaddr_in remote{};
    int length = sizeof(local);
    if (::getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return -1;
    // Some systems forget the peer once the sending side is shut; the local end alone then
    // names the connection.
    length = sizeof(remote);
    const bool peerKnown =
        ::getpeername(handle, reinterpret_cast<sockaddr*>(&remote), &length) == 0;
    const IpHelper* ipHelper = LoadIpHelper();
    if (ipHelper == nullptr)
        return -1;
    ULONG size = 0;
    std::vector<unsigned char> buffer;
    DWORD result = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < 3 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer.resize(std::max<ULONG>(size, sizeof(MIB_TCPTABLE)));
        size = static_cast<ULONG>(buffer.size());
        result =
            ipHelper->getTcpTable(reinterpret_cast<MIB_TCPTABLE*>(buffer.data()), &size, FALSE);
    }
    if (result != NO_ERROR)
        return -1;
    const auto* table = reinterpret_cast<const MIB_TCPTABLE*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW& row = table->table[i];
        const bool samePeer =
            !peerKnown || (row.dwRemoteAddr == remote.sin_addr.s_addr &&
                           static_cast<u_short>(row.dwRemotePort) == remote.sin_port);
        if (row.dwLocalAddr != local.sin_addr.s_addr ||
            static_cast<u_short>(row.dwLocalPort) != local.sin_port || !samePeer)
            continue;
        if (row.dwState == MIB_TCP_STATE_CLOSED)
            return -1;
        return row.dwState == MIB_TCP_STATE_FIN_WAIT2 || row.dwState == MIB_TCP_STATE_TIME_WAIT ? 0
                                                                                                : 1;
    }
    return -1;
}

} // namespace

// Windows counts only the bytes on the wire, not those still waiting in the send buffer; once
// the sending side is shut, the connection's state tells whether the end of the data (and so
// everything before it) was acknowledged.
int UnacknowledgedBytes(SocketHandle handle) {
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD returned = 0;
    if (::WSAIoctl(handle, SIO_TCP_INFO, &version, sizeof(version), &info, sizeof(info), &returned,
                   nullptr, nullptr) != 0)
        return UnacknowledgedFromTable(handle);
    if (info.BytesInFlight > 0)
        return static_cast<int>(std::min<ULONG>(info.BytesInFlight, 0x7FFFFFFF));
    const bool endUnacknowledged = info.State == TCPSTATE_FIN_WAIT_1 ||
                                   info.State == TCPSTATE_CLOSING ||
                                   info.State == TCPSTATE_LAST_ACK;
    return endUnacknowledged ? 1 : 0;
}

bool HasPendingError(SocketHandle handle) {
    int error = 0;
    int length = sizeof(error);
    return ::getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) !=
               0 ||
           error != 0;
}

static_assert(kMaxWaitSockets <= FD_SETSIZE, "a set must hold every watched socket");

WaitOutcome WaitReadable(std::span<const SocketHandle> sockets, int timeoutMs, size_t* ready) {
    fd_set readable;
    FD_ZERO(&readable);
    const size_t count = std::min(sockets.size(), kMaxWaitSockets);
    for (size_t i = 0; i < count; ++i)
        FD_SET(sockets[i], &readable);
    timeval timeout = Timeout(timeoutMs);
    const int outcome = ::select(0, &readable, nullptr, nullptr, &timeout);
    if (outcome == 0)
        return WaitOutcome::kTimedOut;
    if (outcome == SOCKET_ERROR)
        return ::WSAGetLastError() == WSAEINTR ? WaitOutcome::kAgain : WaitOutcome::kFailed;
    for (size_t i = 0; i < count; ++i) {
        if (FD_ISSET(sockets[i], &readable)) {
            *ready = i;
            return WaitOutcome::kReady;
        }
    }
    return WaitOutcome::kAgain;
}
