#include "discovery/snmp_exchange.h"

#include "discovery/description_parser.h"
#include "discovery/result_list.h"
#include "discovery/snmp_codec.h"
#include "platform/text_convert.h"
#include "platform/tick.h"
#include "text/heap.h"
#include "text/notices.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

SocketArray g_sockets;
AnswerArray g_answers;
uint16_t g_destinationPort = kSnmpPort;

// Printers answer a broadcast almost at once and the window reads one datagram per wake-up, so
// the socket must queue a burst of replies. A small reply costs the queue about 832 bytes of
// kernel accounting; the kernel doubles the request and caps it at net.core.rmem_max (208 KiB
// on a stock system, which still holds 512 replies rather than the default 256).
constexpr int kReplyQueueBytes = 1000 * 1024;

void CloseSockets() {
    for (const auto& socketData : g_sockets)
        close(socketData->socket);
    g_sockets.clear();
}

bool KnownSender(const QString& address) {
    return std::any_of(g_answers.begin(), g_answers.end(),
                       [&](const auto& answer) { return answer->address == address; });
}

// Reads one datagram from `socketData`. Returns 5 when decoding ran out of memory, else 0.
int ReadOneDatagram(SocketData& socketData) {
    uint8_t* buffer = SnmpReceiveBuffer();
    sockaddr_in sender{};
    socklen_t senderLength = sizeof(sender);
    // MSG_TRUNC makes recvfrom report a datagram's real length, so one longer than the buffer
    // is seen and discarded rather than decoded cut.
    const ssize_t received = recvfrom(socketData.socket, buffer, kSnmpReceiveBufferBytes, MSG_TRUNC,
                                      reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (received < 0 || static_cast<size_t>(received) > kSnmpReceiveBufferBytes) {
        socketData.done = 1;
        return kResultSuccess;
    }
    if (received == 0)
        return kResultSuccess;
    char* description = nullptr;
    if (SnmpParseResponse(static_cast<size_t>(received), &description) != kResultSuccess)
        return kResultOutOfMemory;
    if (description != nullptr) {
        const QString address = QString::fromLatin1(inet_ntoa(sender.sin_addr));
        if (!KnownSender(address))
            g_answers.push_back(std::make_unique<PrinterData>(NarrowToWide(description), address));
        HeapFree(description);
    }
    socketData.done = 1;
    return kResultSuccess;
}

bool AllDone() {
    return std::all_of(g_sockets.begin(), g_sockets.end(),
                       [](const auto& socketData) { return socketData->done != 0; });
}

// The read set: each distinct socket in array order, at most kMaxReadSockets of them. `owner`
// maps an entry back to the first SocketData holding that socket.
size_t BuildReadSet(pollfd* set, SocketData** owner) {
    size_t count = 0;
    for (const auto& socketData : g_sockets) {
        if (count == kMaxReadSockets)
            break;
        const bool present = std::any_of(
            set, set + count, [&](const pollfd& entry) { return entry.fd == socketData->socket; });
        if (present)
            continue;
        set[count] = pollfd{socketData->socket, POLLIN, 0};
        owner[count] = socketData.get();
        ++count;
    }
    return count;
}

} // namespace

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

int SnmpSendRequest(const char* address, const uint8_t* request, size_t length, int* socketOut) {
    *socketOut = -1;
    const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (handle < 0)
        return kResultNetworkFailure;
    int on = 1;
    ioctl(handle, FIONBIO, &on);
    // A larger queue only helps; the exchange works without it.
    setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &kReplyQueueBytes, sizeof(kReplyQueueBytes));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    if (bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
        close(handle);
        return kResultNetworkFailure;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(g_destinationPort);
    if (address != nullptr) {
        target.sin_addr.s_addr = inet_addr(address);
    } else {
        target.sin_addr.s_addr = htonl(INADDR_BROADCAST);
        if (setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on)) != 0) {
            close(handle);
            return kResultNetworkFailure;
        }
    }
    if (sendto(handle, request, length, 0, reinterpret_cast<sockaddr*>(&target), sizeof(target)) <
        0) {
        close(handle);
        return kResultNetworkFailure;
    }
    *socketOut = handle;
    return kResultSuccess;
}

int SnmpReceiveAnswers(bool earlyStop) {
    uint32_t start = GetTickCount();
    pollfd readSet[kMaxReadSockets];
    SocketData* owner[kMaxReadSockets];
    // The sockets do not change during the window, so the set is built once; poll leaves its
    // request flags as they are.
    const size_t readCount = BuildReadSet(readSet, owner);
    for (;;) {
        if (earlyStop && AllDone())
            return kResultSuccess;
        const uint32_t now = GetTickCount();
        // After the 32-bit counter wraps, the window runs until 1000 ms past the wrap.
        if (now < start)
            start = 0;
        const uint32_t elapsed = now - start;
        if (elapsed >= kReceiveWindowMs)
            return kResultSuccess;
        const int ready = poll(readSet, readCount, static_cast<int>(kReceiveWindowMs - elapsed));
        if (ready == 0)
            return kResultSuccess;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return kResultNetworkFailure;
        }
        const pollfd* readable = std::find_if(
            readSet, readSet + readCount, [](const pollfd& entry) { return entry.revents != 0; });
        if (ReadOneDatagram(*owner[readable - readSet]) != kResultSuccess)
            return kResultOutOfMemory;
    }
}

int SnmpDiscover(int versionKind, const char* const* addresses, int addressCount,
                 const ModelListEntry* models, const char* community, int mode,
                 DiscoveredPrinter** list, int* count) {
    *count = 0;
    uint8_t request[kSnmpRequestBufferBytes];
    const size_t length = SnmpBuildRequest(community, request);
    int handle = -1;
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
    int result = kResultSuccess;
    if (!g_sockets.empty()) {
        // The broadcast socket gathers any number of replies, so only without it can the
        // window end once every socket has answered.
        result = SnmpReceiveAnswers((mode & kDiscoverBroadcast) == 0);
        CloseSockets();
        if (result == kResultSuccess && !g_answers.empty())
            result = FilterAnswersByModel(models, g_answers);
        if (result == kResultSuccess) {
            std::erase_if(g_answers, [](const auto& answer) { return answer->matched == 0; });
            if (!g_answers.empty())
                result = BuildResultList(g_answers, versionKind, list, count);
        }
    }
    g_sockets.clear();
    g_answers.clear();
    return result;
}

int FindNetworkPrinters(int versionKind, const char* const* addresses, int addressCount,
                        const ModelListEntry* models, const char* community, int mode,
                        DiscoveredPrinter** list, int* count) {
    const int result =
        SnmpDiscover(versionKind, addresses, addressCount, models, community, mode, list, count);
    if (result != kResultSuccess || *count == 0)
        return result;
    return FillNarrowForms(list, count);
}

int FreeNetworkPrinterList(int count, DiscoveredPrinter* list) {
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
    }
    HeapFree(list);
    return kResultSuccess;
}
