#include "delivery/transport.h"

#include "platform/sockets.h"
#include "text/heap.h"
#include "text/notices.h"

#include <atomic>
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

void CloseConnectionSocket(ConnectionData* connection) {
    CloseSocket(connection->socketHandle);
    connection->socketHandle = kInvalidSocket;
}

void Release(ConnectionData* connection) {
    CloseConnectionSocket(connection);
    HeapFree(connection->printerName);
    HeapFree(connection->ipAddress);
    HeapFree(connection);
}

ResultCode FailConnect(ConnectionData* connection) {
    CloseConnectionSocket(connection);
    return kResultNetworkFailure;
}

bool ConnectionUp(SocketError error) {
    return error == SocketError::kNone || error == SocketError::kConnected;
}

// A non-blocking connect that is under way reports so on the first and the repeated calls; an
// interrupted one carries on in the background.
bool StillBeingMade(SocketError error) {
    return error == SocketError::kInProgress || error == SocketError::kInterrupted;
}

// Gives a printer about 1.5 s to answer: up to five connect calls with doubling pauses.
ResultCode Connect(ConnectionData* connection) {
    connection->socketHandle = OpenStreamSocket();
    if (connection->socketHandle == kInvalidSocket)
        return kResultNetworkFailure;
    if (!MakePeer(connection->ipAddress, kPrinterRawPort, &connection->peer))
        return FailConnect(connection);
    if (!SetNonBlocking(connection->socketHandle))
        return FailConnect(connection);

    auto pause = kFirstConnectPause;
    for (int tries = 0;;) {
        const SocketError error = Connect(connection->socketHandle, connection->peer);
        if (ConnectionUp(error))
            return kResultSuccess;
        if (!StillBeingMade(error) || ++tries > kConnectRetries)
            return FailConnect(connection);
        std::this_thread::sleep_for(pause);
        pause *= 2;
    }
}

bool CancelRaised(ConnectionData* connection) {
    return std::atomic_ref<int32_t>(connection->cancelFlag).load() != 0;
}

ResultCode CancelSend(ConnectionData* connection, uint32_t count, uint32_t* sent) {
    CloseConnectionSocket(connection);
    *sent = count;
    return kResultCancelled;
}

} // namespace

ResultCode TcpOpen(int index, OpenRequest* request, ConnectionData** connection) {
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
    const ResultCode result = Connect(data);
    if (result != kResultSuccess) {
        Release(data);
        return result;
    }
    *connection = data;
    return kResultSuccess;
}

ResultCode TcpSend(ConnectionData* connection, const uint8_t* data, uint32_t length,
                   uint32_t* sent) {
    *sent = 0;
    if (connection == nullptr)
        return kResultBadArgument;
    uint32_t count = 0;
    if (CancelRaised(connection))
        return CancelSend(connection, count, sent);
    while (count < length) {
        const ssize_t taken = SendSome(connection->socketHandle, data + count, length - count);
        if (taken >= 0) {
            count += static_cast<uint32_t>(taken);
            continue;
        }
        const SocketError error = LastSocketError();
        if (error == SocketError::kInterrupted)
            continue;
        // A lost connection or anything unexpected ends the send; the socket stays open for
        // Close.
        if (error != SocketError::kWouldBlock) {
            *sent = count;
            return kResultNetworkFailure;
        }
        if (CancelRaised(connection))
            return CancelSend(connection, count, sent);
        // Waiting at most 200 ms keeps a Cancel noticed while the printer takes nothing; the
        // wait's outcome does not matter, the next send tells.
        WaitWritable(connection->socketHandle, kSendWaitMs);
        if (CancelRaised(connection))
            return CancelSend(connection, count, sent);
    }
    *sent = count;
    return kResultSuccess;
}

ResultCode TcpCancel(ConnectionData* connection) {
    if (connection != nullptr)
        std::atomic_ref<int32_t>(connection->cancelFlag).store(1);
    return kResultSuccess;
}

ResultCode TcpClose(ConnectionData* connection) {
    if (connection == nullptr)
        return kResultSuccess;
    Release(connection);
    // A fixed pause after every connection gives the printer time to finish with one job
    // before the next connection arrives.
    std::this_thread::sleep_for(kClosePause);
    return kResultSuccess;
}
