#include "delivery/transport.h"

#include "text/heap.h"
#include "text/notices.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr int kConnectRetries = 4;
constexpr std::chrono::milliseconds kFirstConnectPause{100};
constexpr int kSendWaitMs = 200;
constexpr std::chrono::milliseconds kClosePause{300};

// A heap copy of a narrow text with its terminator; an absent text counts as empty.
char* CopyNarrow(const char* text) {
    const size_t length = text == nullptr ? 0 : std::strlen(text);
    auto* copy = static_cast<char*>(HeapAllocZero(length + 1));
    if (copy != nullptr && length > 0)
        std::memcpy(copy, text, length);
    return copy;
}

void CloseSocket(ConnectionData* connection) {
    if (connection->socketHandle != kInvalidSocket) {
        ::close(connection->socketHandle);
        connection->socketHandle = kInvalidSocket;
    }
}

void Release(ConnectionData* connection) {
    CloseSocket(connection);
    HeapFree(connection->printerName);
    HeapFree(connection->ipAddress);
    HeapFree(connection);
}

int FailConnect(ConnectionData* connection) {
    CloseSocket(connection);
    return kResultNetworkFailure;
}

// A non-blocking connect that is under way reports EINPROGRESS first and EALREADY on the
// repeated calls; an interrupted one carries on in the background.
bool StillBeingMade(int error) {
    return error == EINPROGRESS || error == EALREADY || error == EINTR;
}

int CallConnect(const ConnectionData* connection) {
    return ::connect(connection->socketHandle, reinterpret_cast<const sockaddr*>(&connection->peer),
                     sizeof(connection->peer));
}

// Gives a printer about 1.5 s to answer: up to five connect calls with doubling pauses.
int Connect(ConnectionData* connection) {
    connection->socketHandle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection->socketHandle < 0) {
        connection->socketHandle = kInvalidSocket;
        return kResultNetworkFailure;
    }
    // inet_addr also yields INADDR_NONE for the all-ones address, which is never a printer.
    const in_addr_t address = ::inet_addr(connection->ipAddress);
    if (address == INADDR_NONE)
        return FailConnect(connection);
    connection->peer.sin_family = AF_INET;
    connection->peer.sin_port = htons(kPrinterRawPort);
    connection->peer.sin_addr.s_addr = address;

    int nonBlocking = 1;
    if (::ioctl(connection->socketHandle, FIONBIO, &nonBlocking) != 0)
        return FailConnect(connection);

    if (CallConnect(connection) == 0)
        return kResultSuccess;
    auto pause = kFirstConnectPause;
    for (int tries = 0;;) {
        const int error = errno;
        if (error == EISCONN)
            return kResultSuccess;
        if (!StillBeingMade(error) || ++tries > kConnectRetries)
            return FailConnect(connection);
        std::this_thread::sleep_for(pause);
        pause *= 2;
        if (CallConnect(connection) == 0)
            return kResultSuccess;
    }
}

bool CancelRaised(ConnectionData* connection) {
    return std::atomic_ref<int32_t>(connection->cancelFlag).load() != 0;
}

int CancelSend(ConnectionData* connection, uint32_t count, uint32_t* sent) {
    CloseSocket(connection);
    *sent = count;
    return kResultCancelled;
}

} // namespace

int TcpOpen(int index, OpenRequest* request, ConnectionData** connection) {
    *connection = nullptr;
    auto* data = HeapNew<ConnectionData>();
    if (data == nullptr)
        return kResultOutOfMemory;
    data->transportIndex = index;
    data->cancelFlag = 0;
    data->socketHandle = kInvalidSocket;
    data->printerName = CopyNarrow(request->narrowName);
    data->ipAddress = data->printerName == nullptr ? nullptr : CopyNarrow(request->narrowIpAddress);
    if (data->ipAddress == nullptr) {
        Release(data);
        return kResultOutOfMemory;
    }
    const int result = Connect(data);
    if (result != kResultSuccess) {
        Release(data);
        return result;
    }
    *connection = data;
    return kResultSuccess;
}

int TcpSend(ConnectionData* connection, const uint8_t* data, uint32_t length, uint32_t* sent) {
    *sent = 0;
    if (connection == nullptr)
        return kResultBadArgument;
    uint32_t count = 0;
    if (CancelRaised(connection))
        return CancelSend(connection, count, sent);
    while (count < length) {
        const ssize_t taken =
            ::send(connection->socketHandle, data + count, length - count, MSG_NOSIGNAL);
        if (taken >= 0) {
            count += static_cast<uint32_t>(taken);
            continue;
        }
        if (errno == EINTR)
            continue;
        // A lost connection (ECONNRESET, ECONNABORTED, EPIPE) or anything unexpected ends the
        // send; the socket stays open for Close.
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            *sent = count;
            return kResultNetworkFailure;
        }
        if (CancelRaised(connection))
            return CancelSend(connection, count, sent);
        // Waiting at most 200 ms keeps a Cancel noticed while the printer takes nothing; the
        // wait's outcome does not matter, the next send tells.
        pollfd writable{connection->socketHandle, POLLOUT, 0};
        ::poll(&writable, 1, kSendWaitMs);
        if (CancelRaised(connection))
            return CancelSend(connection, count, sent);
    }
    *sent = count;
    return kResultSuccess;
}

int TcpCancel(ConnectionData* connection) {
    if (connection != nullptr)
        std::atomic_ref<int32_t>(connection->cancelFlag).store(1);
    return kResultSuccess;
}

int TcpClose(ConnectionData* connection) {
    if (connection == nullptr)
        return kResultSuccess;
    Release(connection);
    // A fixed pause after every connection gives the printer time to finish with one job
    // before the next connection arrives.
    std::this_thread::sleep_for(kClosePause);
    return kResultSuccess;
}
