#include "discovery/snmp_exchange.h"

#include "discovery/reply_socket.h"
#include "discovery/result_list.h"
#include "discovery/snmp_codec.h"
#include "platform/network_interfaces.h"
#include "platform/sockets.h"
#include "platform/text_convert.h"
#include "platform/tick.h"
#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <unordered_set>

namespace {

SocketArray g_sockets;
AnswerArray g_answers;
uint16_t g_destinationPort = kSnmpPort;

// With one socket, a queue read empty means datagrams are arriving one at a time: a short
// pause before the next wait lets them gather, so a flood costs a wake-up per pause rather than
// one per datagram (a pause's worth of a flood fits the queue many times over).
constexpr std::chrono::microseconds kGatherPause{200};

void CloseSockets() {
    for (const auto& socketData : g_sockets)
        CloseSocket(socketData->socket);
    g_sockets.clear();
}

// The senders answered so far, by IPv4 address: a flood of replies from a thousand senders
// must not cost a walk over every answer.
using SenderSet = std::unordered_set<uint32_t>;

enum class ReadOutcome { kHandled, kNothingQueued, kOutOfMemory };

// Reads one datagram from `socketData`. `afterWait`: the wait saw it readable, so any receive
// failure counts; otherwise an empty queue only sends the caller back to the wait.
ReadOutcome ReadOneDatagram(SocketData& socketData, SenderSet& senders, bool afterWait) {
    sockaddr_in sender{};
    // A datagram longer than the buffer is seen by its full length and discarded rather than
    // decoded cut.
    const ssize_t received =
        ReceiveDatagram(socketData.socket, SnmpReceiveBuffer(), kSnmpReceiveBufferBytes, &sender);
    if (received < 0 && !afterWait) {
        const SocketError error = LastSocketError();
        if (error == SocketError::kWouldBlock || error == SocketError::kInterrupted)
            return ReadOutcome::kNothingQueued;
    }
    if (received < 0 || static_cast<size_t>(received) > kSnmpReceiveBufferBytes) {
        socketData.done = 1;
        return ReadOutcome::kHandled;
    }
    if (received == 0)
        return ReadOutcome::kHandled;
    char* description = nullptr;
    if (SnmpParseResponse(static_cast<size_t>(received), &description) != kResultSuccess)
        return ReadOutcome::kOutOfMemory;
    if (description != nullptr) {
        if (senders.insert(sender.sin_addr.s_addr).second)
            g_answers.push_back(std::make_unique<PrinterData>(
                DeviceTextToWide(description), NarrowToWide(PeerAddressText(sender))));
        HeapFree(description);
    }
    socketData.done = 1;
    return ReadOutcome::kHandled;
}

bool AllDone() {
    return std::all_of(g_sockets.begin(), g_sockets.end(),
                       [](const auto& socketData) { return socketData->done != 0; });
}

// The read set: each distinct socket in array order, at most kMaxReadSockets of them. `owner`
// maps an entry back to the first SocketData holding that socket.
size_t BuildReadSet(SocketHandle* set, SocketData** owner) {
    size_t count = 0;
    for (const auto& socketData : g_sockets) {
        if (count == kMaxReadSockets)
            break;
        if (std::find(set, set + count, socketData->socket) != set + count)
            continue;
        set[count] = socketData->socket;
        owner[count] = socketData.get();
        ++count;
    }
    return count;
}

} // namespace

bool SendBroadcast(SocketHandle handle, const sockaddr_in& target, const uint8_t* request,
                   size_t length) {
    bool sent = false;
    for (const unsigned index : BroadcastInterfaces())
        sent = SendDatagramVia(handle, index, target, request, length) || sent;
    return sent || SendDatagram(handle, target, request, length);
}

SocketArray& DiscoverySockets() {
    return g_sockets;
}

AnswerArray& DiscoveryAnswers() {
    return g_answers;
}

uint16_t SetSnmpDestinationPort(uint16_t port) {
    const uint16_t previous = g_destinationPort;
    g_destinationPort = port;
    return previous;
}

ResultCode SnmpSendRequest(const char* address, const uint8_t* request, size_t length,
                           SocketHandle* socketOut) {
    *socketOut = kInvalidSocket;
    const SocketHandle handle = OpenReplySocket();
    if (handle == kInvalidSocket)
        return kResultNetworkFailure;
    sockaddr_in target{};
    // A missing address is the limited broadcast, which the socket must be allowed to send.
    const bool sent = MakePeer(address, g_destinationPort, &target) &&
                      (address != nullptr ? SendDatagram(handle, target, request, length)
                                          : AllowBroadcast(handle) &&
                                                SendBroadcast(handle, target, request, length));
    if (!sent) {
        CloseSocket(handle);
        return kResultNetworkFailure;
    }
    *socketOut = handle;
    return kResultSuccess;
}

ResultCode SnmpReceiveAnswers(bool earlyStop) {
    uint32_t start = TickCount();
    SocketHandle readSet[kMaxReadSockets];
    SocketData* owner[kMaxReadSockets];
    // The sockets do not change during the window, so the set is built once.
    const size_t readCount = BuildReadSet(readSet, owner);
    SenderSet senders;
    // With one socket, after a datagram the next is read straight away, and only an empty queue
    // leads back to the wait. With several, the wait runs every time, since it picks the first
    // readable socket in order.
    bool queued = false;
    bool drained = false;
    for (;;) {
        if (earlyStop && AllDone())
            return kResultSuccess;
        const uint32_t now = TickCount();
        // After the 32-bit counter wraps, the window runs until 1000 ms past the wrap.
        if (now < start)
            start = 0;
        const uint32_t elapsed = now - start;
        if (elapsed >= kReceiveWindowMs)
            return kResultSuccess;
        size_t ready = 0;
        if (!queued) {
            if (drained)
                std::this_thread::sleep_for(kGatherPause);
            switch (WaitReadable(std::span(readSet, readCount),
                                 static_cast<int>(kReceiveWindowMs - elapsed), &ready)) {
            case WaitOutcome::kTimedOut:
                return kResultSuccess;
            case WaitOutcome::kFailed:
                return kResultNetworkFailure;
            case WaitOutcome::kAgain:
                continue;
            case WaitOutcome::kReady:
                break;
            }
        }
        const ReadOutcome outcome = ReadOneDatagram(*owner[ready], senders, !queued);
        if (outcome == ReadOutcome::kOutOfMemory)
            return kResultOutOfMemory;
        queued = readCount == 1 && outcome == ReadOutcome::kHandled;
        drained = outcome == ReadOutcome::kNothingQueued;
    }
}

ResultCode SnmpDiscover(int versionKind, const char* const* addresses, int addressCount,
                        const ModelListEntry* models, const char* community, int mode,
                        DiscoveredPrinter** list, int* count) {
    *count = 0;
    uint8_t request[kSnmpRequestBufferBytes];
    const size_t length = SnmpBuildRequest(community, request);
    SocketHandle handle = kInvalidSocket;
    if ((mode & kDiscoverBroadcast) != 0 &&
        SnmpSendRequest(nullptr, request, length, &handle) == kResultSuccess)
        g_sockets.push_back(std::make_unique<SocketData>(handle));
    if ((mode & kDiscoverAddresses) != 0 && addresses != nullptr) {
        for (int i = 0; i < addressCount; ++i) {
            // A missing text is skipped: it must not turn into a broadcast.
            if (addresses[i] != nullptr &&
                SnmpSendRequest(addresses[i], request, length, &handle) == kResultSuccess)
                g_sockets.push_back(std::make_unique<SocketData>(handle));
        }
    }
    ResultCode result = kResultSuccess;
    if (!g_sockets.empty()) {
        // The broadcast socket gathers any number of replies, so only without it can the
        // window end once every socket has answered.
        result = SnmpReceiveAnswers((mode & kDiscoverBroadcast) == 0);
        CloseSockets();
        if (result == kResultSuccess)
            result = ListAcceptedAnswers(g_answers, models, versionKind, list, count);
    }
    g_sockets.clear();
    g_answers.clear();
    return result;
}

ResultCode FindNetworkPrinters(int versionKind, const char* const* addresses, int addressCount,
                               const ModelListEntry* models, const char* community, int mode,
                               DiscoveredPrinter** list, int* count) {
    const ResultCode result =
        SnmpDiscover(versionKind, addresses, addressCount, models, community, mode, list, count);
    if (result != kResultSuccess || *count == 0)
        return result;
    return FillNarrowForms(list, count);
}

ResultCode FreeNetworkPrinterList(int count, DiscoveredPrinter* list) {
    if (list == nullptr || count <= 0)
        return kResultBadArgument;
    for (int i = count - 1; i >= 0; --i) {
        DiscoveredPrinter& entry = list[i];
        HeapFree(entry.narrowName);
        HeapFree(entry.narrowAddress);
        HeapFree(entry.narrowVersion);
        HeapFree(entry.wideName);
        HeapFree(entry.wideAddress);
        HeapFree(entry.wideVersion);
        HeapFree(entry.wideDescription);
    }
    HeapFree(list);
    return kResultSuccess;
}
