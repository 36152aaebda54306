#include "discovery/range_scan.h"

#include "discovery/exchange_state.h"
#include "discovery/reply_socket.h"
#include "discovery/result_list.h"
#include "discovery/snmp_codec.h"
#include "discovery/snmp_exchange.h"
#include "platform/sockets.h"
#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRequestInterval = std::chrono::nanoseconds(1'000'000'000 / kScanRequestsPerSecond);
constexpr auto kReplyWindow = std::chrono::milliseconds(kScanReplyWindowMs);
// While the kernel has no room for a request, wait this long for it before trying again.
constexpr auto kSendRoomWait = std::chrono::milliseconds(5);
// The longest wait between two looks at the cancel predicate.
constexpr auto kCancelLookInterval = std::chrono::milliseconds(100);

std::vector<uint32_t> UniqueHosts(std::span<const AddressRange> ranges) {
    std::vector<uint32_t> hosts;
    for (const AddressRange& range : ranges) {
        const std::vector<uint32_t> more = HostAddresses(range);
        hosts.insert(hosts.end(), more.begin(), more.end());
    }
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());
    return hosts;
}

// The scan's one UDP socket and the replies it has kept.
class Scan {
  public:
    explicit Scan(std::vector<uint32_t> hosts) : m_hosts(std::move(hosts)) {}
    ~Scan() { CloseSocket(m_socket); }
    Scan(const Scan&) = delete;
    Scan& operator=(const Scan&) = delete;

    ResultCode Run(const uint8_t* request, size_t length, const ScanCancelled& cancelled);
    AnswerArray& Answers() { return m_answers; }

  private:
    bool Open();
    // False when the kernel has no room for the request now; any other failure skips the
    // address, which then simply does not answer.
    bool Send(uint32_t host, const uint8_t* request, size_t length);
    // Reads every queued datagram; kResultOutOfMemory when decoding ran out of memory.
    ResultCode Drain();

    std::vector<uint32_t> m_hosts; // ascending
    std::unordered_set<uint32_t> m_answered;
    AnswerArray m_answers;
    SocketHandle m_socket = kInvalidSocket;
};

bool Scan::Open() {
    m_socket = OpenReplySocket();
    return m_socket != kInvalidSocket;
}

bool Scan::Send(uint32_t host, const uint8_t* request, size_t length) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(kSnmpPort);
    target.sin_addr.s_addr = htonl(host);
    if (SendDatagram(m_socket, target, request, length))
        return true;
    const SocketError error = LastSocketError();
    return error != SocketError::kWouldBlock && error != SocketError::kInterrupted;
}

ResultCode Scan::Drain() {
    uint8_t buffer[kSnmpReceiveBufferBytes];
    for (;;) {
        sockaddr_in sender{};
        // The full length comes back, so an over-long datagram is dropped whole.
        const ssize_t received = ReceiveDatagram(m_socket, buffer, sizeof(buffer), &sender);
        if (received < 0) {
            if (LastSocketError() == SocketError::kInterrupted)
                continue;
            return kResultSuccess;
        }
        const uint32_t host = ntohl(sender.sin_addr.s_addr);
        if (received == 0 || static_cast<size_t>(received) > sizeof(buffer) ||
            !std::binary_search(m_hosts.begin(), m_hosts.end(), host) || m_answered.count(host))
            continue;
        char* description = nullptr;
        if (SnmpParseResponseBytes(buffer, static_cast<size_t>(received), &description) !=
            kResultSuccess)
            return kResultOutOfMemory;
        if (description == nullptr)
            continue;
        m_answered.insert(host);
        m_answers.push_back(std::make_unique<PrinterData>(DeviceTextToWide(description),
                                                          NarrowToWide(PeerAddressText(sender))));
        HeapFree(description);
    }
}

ResultCode Scan::Run(const uint8_t* request, size_t length, const ScanCancelled& cancelled) {
    if (!Open())
        return kResultNetworkFailure;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastRequest = start;
    size_t next = 0;
    for (;;) {
        if (cancelled && cancelled({next, m_hosts.size(), m_answered.size()}))
            return kResultCancelled;
        Clock::time_point now = Clock::now();
        bool noRoom = false;
        // Request i leaves no earlier than start + i intervals: never more than the rate,
        // however late a wake-up comes.
        while (next < m_hosts.size() &&
               now >= start + static_cast<Clock::rep>(next) * kRequestInterval) {
            if (!Send(m_hosts[next], request, length)) {
                noRoom = true;
                break;
            }
            lastRequest = now;
            ++next;
        }
        const bool allSent = next == m_hosts.size();
        Clock::time_point wake = allSent ? lastRequest + kReplyWindow
                                         : start + static_cast<Clock::rep>(next) * kRequestInterval;
        if (noRoom)
            wake = now + kSendRoomWait;
        if (allSent && now >= wake)
            return kResultSuccess;
        if (cancelled)
            wake = std::min(wake, now + kCancelLookInterval);
        // Rounded up to whole milliseconds: the requests that fall due meanwhile leave together,
        // still no earlier than their own time.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            std::max(wake - now, Clock::duration::zero()));
        size_t ready = 0;
        const WaitOutcome outcome =
            WaitReadable(std::span(&m_socket, 1), static_cast<int>(wait.count()), &ready);
        if (outcome == WaitOutcome::kFailed)
            return kResultNetworkFailure;
        if (outcome == WaitOutcome::kReady && Drain() != kResultSuccess)
            return kResultOutOfMemory;
    }
}

} // namespace

ResultCode ScanAddressRanges(int versionKind, std::span<const AddressRange> ranges,
                             const ModelListEntry* models, const char* community,
                             DiscoveredPrinter** list, int* count, const ScanCancelled& cancelled) {
    *count = 0;
    std::vector<uint32_t> hosts = UniqueHosts(ranges);
    if (hosts.empty())
        return kResultSuccess;
    uint8_t request[kSnmpRequestBufferBytes];
    const size_t length = SnmpBuildRequest(community, request);
    Scan scan(std::move(hosts));
    ResultCode result = scan.Run(request, length, cancelled);
    if (result == kResultSuccess)
        result = ListAcceptedAnswers(scan.Answers(), models, versionKind, list, count);
    return result == kResultSuccess && *count > 0 ? FillNarrowForms(list, count) : result;
}
