#include "platform/sockets.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

SocketError LastSocketError() {
    switch (errno) {
    case EISCONN:
        return SocketError::kConnected;
    case EINPROGRESS:
    case EALREADY:
        return SocketError::kInProgress;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case ENOBUFS: // a full datagram queue: room comes back as it drains
        return SocketError::kWouldBlock;
    case EINTR:
        return SocketError::kInterrupted;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
        return SocketError::kConnectionLost;
    default:
        return SocketError::kOther;
    }
}

SocketHandle OpenDatagramSocket() {
    const SocketHandle handle = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    return handle < 0 ? kInvalidSocket : handle;
}

SocketHandle OpenStreamSocket() {
    const SocketHandle handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return handle < 0 ? kInvalidSocket : handle;
}

void CloseSocket(SocketHandle handle) {
    if (handle != kInvalidSocket)
        ::close(handle);
}

bool SetNonBlocking(SocketHandle handle) {
    int on = 1;
    return ::ioctl(handle, FIONBIO, &on) == 0;
}

bool AllowBroadcast(SocketHandle handle) {
    const int on = 1;
    return ::setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on)) == 0;
}

void RequestReceiveQueue(SocketHandle handle, int bytes) {
    ::setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof(bytes));
}

std::string PeerAddressText(const sockaddr_in& peer) {
    return ::inet_ntoa(peer.sin_addr);
}

bool SendDatagram(SocketHandle handle, const sockaddr_in& peer, const uint8_t* data,
                  size_t length) {
    return ::sendto(handle, data, length, 0, reinterpret_cast<const sockaddr*>(&peer),
                    sizeof(peer)) >= 0;
}

bool SendDatagramVia(SocketHandle handle, unsigned interfaceIndex, const sockaddr_in& peer,
                     const uint8_t* data, size_t length) {
    iovec payload{const_cast<uint8_t*>(data), length};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> control{};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&peer);
    message.msg_namelen = sizeof(peer);
    message.msg_iov = &payload;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    // No source address: the system takes one of the interface's own.
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(interfaceIndex);
    std::memcpy(CMSG_DATA(header), &info, sizeof(info));
    return ::sendmsg(handle, &message, 0) >= 0;
}

ssize_t ReceiveDatagram(SocketHandle handle, uint8_t* buffer, size_t capacity,
                        sockaddr_in* sender) {
    socklen_t senderLength = sizeof(*sender);
    // MSG_TRUNC makes recvfrom report a datagram's real length.
    return ::recvfrom(handle, buffer, capacity, MSG_TRUNC, reinterpret_cast<sockaddr*>(sender),
                      &senderLength);
}

SocketError Connect(SocketHandle handle, const sockaddr_in& peer) {
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0)
        return SocketError::kNone;
    return LastSocketError();
}

ssize_t SendSome(SocketHandle handle, const uint8_t* data, size_t length) {
    return ::send(handle, data, length, MSG_NOSIGNAL);
}

void WaitWritable(SocketHandle handle, int timeoutMs) {
    pollfd writable{handle, POLLOUT, 0};
    ::poll(&writable, 1, timeoutMs);
}

bool ShutdownSending(SocketHandle handle) {
    return ::shutdown(handle, SHUT_WR) == 0;
}

ssize_t ReceiveSome(SocketHandle handle, uint8_t* buffer, size_t capacity) {
    return ::recv(handle, buffer, capacity, 0);
}

int UnacknowledgedBytes(SocketHandle handle) {
    int bytes = 0;
    return ::ioctl(handle, SIOCOUTQ, &bytes) == 0 ? bytes : -1;
}

bool HasPendingError(SocketHandle handle) {
    int error = 0;
    socklen_t length = sizeof(error);
    return ::getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0;
}

WaitOutcome WaitReadable(std::span<const SocketHandle> sockets, int timeoutMs, size_t* ready) {
    std::array<pollfd, kMaxWaitSockets> set{};
    const size_t count = std::min(sockets.size(), kMaxWaitSockets);
    for (size_t i = 0; i < count; ++i)
        set[i] = pollfd{sockets[i], POLLIN, 0};
    const int outcome = ::poll(set.data(), count, timeoutMs);
    if (outcome == 0)
        return WaitOutcome::kTimedOut;
    if (outcome < 0)
        return errno == EINTR ? WaitOutcome::kAgain : WaitOutcome::kFailed;
    const auto readable = std::find_if(set.begin(), set.begin() + count,
                                       [](const pollfd& entry) { return entry.revents != 0; });
    if (readable == set.begin() + count)
        return WaitOutcome::kAgain;
    *ready = static_cast<size_t>(readable - set.begin());
    return WaitOutcome::kReady;
}
