#include "delivery/transport.h"

#include "platform/sockets.h"
#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

namespace {

constexpr int kConnectRetries = 4;
constexpr std::chrono::milliseconds kFirstConnectPause{100};
constexpr int kSendWaitMs = 200;
constexpr std::chrono::milliseconds kClosePause{300};
constexpr int kAnswerWaitMs = 200;
// Some printer firmware never closes its side after a job; once it has acknowledged every byte,
// its silence for this long counts as the job taken.
constexpr std::chrono::milliseconds kSilentPrinterGrace{5000};
// After the printer's close no event marks the last acknowledgement; look again this often.
constexpr std::chrono::milliseconds kAfterCloseLook{20};
// Reads per look at the printer's answer, so a chatty printer cannot hold off a Cancel.
constexpr int kDrainReads = 64;
constexpr size_t kDrainBytes = 512;

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

ResultCode CancelConnection(ConnectionData* connection) {
    CloseConnectionSocket(connection);
    return kResultCancelled;
}

ResultCode CancelSend(ConnectionData* connection, uint32_t count, uint32_t* sent) {
    *sent = count;
    return CancelConnection(connection);
}

enum class Answer { kNothingYet, kClosed, kFailed };

// Reads and drops what the printer sent back, and tells whether it has closed its side or the
// connection failed.
Answer DrainAnswer(SocketHandle handle) {
    uint8_t scrap[kDrainBytes];
    for (int reads = 0; reads < kDrainReads; ++reads) {
        const ssize_t got = ReceiveSome(handle, scrap, sizeof(scrap));
        if (got > 0)
            continue;
        if (got == 0)
            return Answer::kClosed;
        const SocketError error = LastSocketError();
        if (error == SocketError::kInterrupted)
            continue;
        return error == SocketError::kWouldBlock ? Answer::kNothingYet : Answer::kFailed;
    }
    return Answer::kNothingYet;
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<int64_t>(left.count(), 1, kAnswerWaitMs));
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

ResultCode TcpFinish(ConnectionData* connection) {
    if (connection == nullptr)
        return kResultBadArgument;
    if (CancelRaised(connection))
        return CancelConnection(connection);
    const SocketHandle handle = connection->socketHandle;
    // The end of the data tells the printer that the job is complete; it answers by closing its
    // side once it has read everything, or with a reset when it did not take the job.
    if (!ShutdownSending(handle))
        return kResultNetworkFailure;
    bool printerClosed = false;
    std::optional<std::chrono::steady_clock::time_point> silenceDeadline;
    for (;;) {
        if (CancelRaised(connection))
            return CancelConnection(connection);
        if (!printerClosed) {
            const Answer answer = DrainAnswer(handle);
            if (answer == Answer::kFailed)
                return kResultNetworkFailure;
            printerClosed = answer == Answer::kClosed;
        }
        // A printer that closed before it read everything resets the connection when the rest
        // of the data reaches it; reads no longer report that.
        if (printerClosed && HasPendingError(handle))
            return kResultNetworkFailure;
        // An empty send queue alone proves nothing (a printer's buffer acknowledges data that
        // the printer then throws away), but with the printer's close it is the whole job.
        const int unacknowledged = UnacknowledgedBytes(handle);
        if (unacknowledged < 0)
            return kResultNetworkFailure;
        if (unacknowledged == 0) {
            if (printerClosed)
                return kResultSuccess;
            const auto now = std::chrono::steady_clock::now();
            if (!silenceDeadline)
                silenceDeadline = now + kSilentPrinterGrace;
            else if (now >= *silenceDeadline)
                return kResultSuccess;
        }
        // While bytes are unacknowledged the printer is still taking data: no limit of our own,
        // as in Send, only a look at the cancel flag at least every 200 ms.
        if (printerClosed) {
            std::this_thread::sleep_for(kAfterCloseLook);
        } else {
            size_t ready = 0;
            WaitReadable(std::span<const SocketHandle>(&handle, 1),
                         silenceDeadline ? MillisecondsUntil(*silenceDeadline) : kAnswerWaitMs,
                         &ready);
        }
    }
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
