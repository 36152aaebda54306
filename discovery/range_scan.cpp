#include "discovery/range_scan.h"

#include "discovery/exchange_state.h"
#include "discovery/reply_socket.h"
#include "discovery/result_list.h"
#include "discovery/snmp_codec.h"
#include "discovery/snmp_exchange.h"
#include "platform/network_interfaces.h"
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
constexpr auto kRoutedInterval = std::chrono::nanoseconds(1'000'000'000 / kScanRequestsPerSecond);
constexpr auto kOnLinkInterval = std::chrono::nanoseconds(1'000'000'000 / kOnLinkRequestsPerSecond);
// While the system refuses a request (no room in the queue or the neighbour table), wait this
// long before trying the same request again.
constexpr auto kRefusedSendWait = std::chrono::milliseconds(5);
// Refusals this long in a row mean the system will not take the request at all: an unresolved
// address gives its room back within about 3 s.
constexpr auto kMostRefusedTime = std::chrono::seconds(5);
// A request waiting for its address to be resolved is charged to its socket's send queue until
// the resolution fails (about 3 s): some 256 fit the default queue of 208 KiB. The on-link pace
// keeps about 900 waiting, so requests take turns over this many sockets.
constexpr size_t kScanSockets = 4;
// The longest wait between two looks at the cancel predicate.
constexpr auto kCancelLookInterval = std::chrono::milliseconds(100);

// The request of the broadcast; each group's follows, in the plan's order.
constexpr size_t kBroadcastRequest = 0;

// One address to ask, with which request, and how often it may be asked again while it stays
// silent.
struct Target {
    uint32_t host;
    size_t request;
    int retries;
    bool onLink;
};

// An SNMP request as it goes on the wire.
struct Request {
    uint8_t bytes[kSnmpRequestBufferBytes];
    size_t length;
};

// Whether the most specific route to `host` reaches it directly on a link. Without a known route
// the host is taken to be on a link, whose slower pace is safe either way.
bool OnLink(const std::vector<Ipv4Route>& routes, uint32_t host) {
    const Ipv4Route* best = nullptr;
    for (const Ipv4Route& route : routes) {
        if ((host & route.mask) == route.network && (best == nullptr || route.mask > best->mask))
            best = &route;
    }
    return best == nullptr || best->onLink;
}

// The addresses of the plan, each once per request with the larger of its retries, ascending.
std::vector<Target> UniqueTargets(const ScanPlan& plan) {
    std::vector<Target> targets;
    for (size_t group = 0; group < plan.groups.size(); ++group) {
        const size_t request = kBroadcastRequest + 1 + group;
        for (const uint32_t host : plan.groups[group].addresses)
            targets.push_back({host, request, plan.addressRetries, false});
        for (const AddressRange& range : plan.groups[group].ranges) {
            for (const uint32_t host : HostAddresses(range))
                targets.push_back({host, request, plan.rangeRetries, false});
        }
    }
    std::sort(targets.begin(), targets.end(), [](const Target& a, const Target& b) {
        if (a.host != b.host)
            return a.host < b.host;
        return a.request != b.request ? a.request < b.request : a.retries > b.retries;
    });
    targets.erase(std::unique(targets.begin(), targets.end(),
                              [](const Target& a, const Target& b) {
                                  return a.host == b.host && a.request == b.request;
                              }),
                  targets.end());
    const std::vector<Ipv4Route> routes = Ipv4Routes();
    for (Target& target : targets)
        target.onLink = OnLink(routes, target.host);
    return targets;
}

// The scan's UDP sockets and the replies it has kept.
class Scan {
  public:
    Scan(std::vector<Target> targets, std::vector<Request> requests, const ScanPlan& plan)
        : m_targets(std::move(targets)), m_requests(std::move(requests)),
          m_hosts(DistinctHosts(m_targets)), m_broadcast(plan.broadcast),
          m_wait(std::chrono::milliseconds(plan.waitMs)) {}
    ~Scan() {
        for (const SocketHandle socket : m_sockets)
            CloseSocket(socket);
    }
    Scan(const Scan&) = delete;
    Scan& operator=(const Scan&) = delete;

    ResultCode Run(const ScanCancelled& cancelled);
    AnswerArray& Answers() { return m_answers; }

  private:
    static size_t DistinctHosts(const std::vector<Target>& targets);
    bool Open();
    bool Send(const sockaddr_in& target, const Request& request);
    // The targets still silent that may be asked once more, their retries counted down.
    std::vector<size_t> SilentTargets();
    bool Asked(uint32_t host) const;
    // Reads every queued datagram of `socket`; kResultOutOfMemory when decoding ran out of memory.
    ResultCode Drain(SocketHandle socket);

    std::vector<Target> m_targets; // ascending
    std::vector<Request> m_requests;
    size_t m_hosts; // a host asked with several communities counts once
    bool m_broadcast;
    Clock::duration m_wait;
    std::unordered_set<uint32_t> m_answered;
    AnswerArray m_answers;
    std::vector<SocketHandle> m_sockets;
    size_t m_sent = 0; // requests sent, so the next one knows its socket
};

size_t Scan::DistinctHosts(const std::vector<Target>& targets) {
    size_t hosts = 0;
    for (size_t i = 0; i < targets.size(); ++i)
        hosts += i == 0 || targets[i].host != targets[i - 1].host;
    return hosts;
}

bool Scan::Open() {
    for (size_t i = 0; i < kScanSockets; ++i) {
        const SocketHandle socket = OpenReplySocket();
        if (socket == kInvalidSocket)
            return false;
        m_sockets.push_back(socket);
    }
    return !m_broadcast || AllowBroadcast(m_sockets.front());
}

bool Scan::Send(const sockaddr_in& target, const Request& request) {
    if (target.sin_addr.s_addr == htonl(INADDR_BROADCAST))
        return SendBroadcast(m_sockets.front(), target, request.bytes, request.length);
    if (!SendDatagram(m_sockets[m_sent % m_sockets.size()], target, request.bytes, request.length))
        return false;
    ++m_sent;
    return true;
}

std::vector<size_t> Scan::SilentTargets() {
    std::vector<size_t> silent;
    for (size_t i = 0; i < m_targets.size(); ++i) {
        if (m_targets[i].retries > 0 && !m_answered.count(m_targets[i].host)) {
            --m_targets[i].retries;
            silent.push_back(i);
        }
    }
    return silent;
}

bool Scan::Asked(uint32_t host) const {
    const auto at = std::lower_bound(m_targets.begin(), m_targets.end(), host,
                                     [](const Target& t, uint32_t h) { return t.host < h; });
    return at != m_targets.end() && at->host == host;
}

ResultCode Scan::Drain(SocketHandle socket) {
    uint8_t buffer[kSnmpReceiveBufferBytes];
    for (;;) {
        sockaddr_in sender{};
        // The full length comes back, so an over-long datagram is dropped whole.
        const ssize_t received = ReceiveDatagram(socket, buffer, sizeof(buffer), &sender);
        if (received < 0) {
            if (LastSocketError() == SocketError::kInterrupted)
                continue;
            return kResultSuccess;
        }
        const uint32_t host = ntohl(sender.sin_addr.s_addr);
        // After a broadcast any printer may answer; otherwise only the asked ones.
        if (received == 0 || static_cast<size_t>(received) > sizeof(buffer) ||
            (!m_broadcast && !Asked(host)) || m_answered.count(host))
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

ResultCode Scan::Run(const ScanCancelled& cancelled) {
    if (!Open())
        return kResultNetworkFailure;
    // The first round: the broadcast (an index past the targets), then every target.
    std::vector<size_t> round;
    if (m_broadcast)
        round.push_back(m_targets.size());
    for (size_t i = 0; i < m_targets.size(); ++i)
        round.push_back(i);
    int roundNumber = 0;
    Clock::time_point due = Clock::now(); // when the next request may leave
    Clock::time_point lastRequest = due;
    bool refusing = false;          // the next request has been refused
    Clock::time_point refusedSince; // the first refusal of the request
    size_t next = 0;
    for (;;) {
        if (cancelled && cancelled({next, round.size(), m_answered.size(), roundNumber}))
            return kResultCancelled;
        Clock::time_point now = Clock::now();
        // Request i leaves no earlier than the sum of the intervals before it: never faster than
        // the pace, however late a wake-up comes.
        while (next < round.size() && now >= due) {
            const bool broadcast = round[next] == m_targets.size();
            const Target* target = broadcast ? nullptr : &m_targets[round[next]];
            // A printer that answered the broadcast or an earlier request is not asked again.
            if (target != nullptr && m_answered.count(target->host)) {
                ++next;
                continue;
            }
            sockaddr_in peer{};
            peer.sin_family = AF_INET;
            peer.sin_port = htons(kSnmpPort);
            peer.sin_addr.s_addr = htonl(broadcast ? INADDR_BROADCAST : target->host);
            if (!Send(peer, m_requests[broadcast ? kBroadcastRequest : target->request])) {
                // No link or route takes the broadcast (a computer without a network): skipped,
                // as the window's search skips it, so that the search finds nothing rather than
                // failing.
                if (broadcast) {
                    ++next;
                    continue;
                }
                // Refused (a full queue, a full neighbour table, or anything else): the same
                // request is tried again, never skipped.
                if (!refusing)
                    refusedSince = now;
                refusing = true;
                if (now - refusedSince >= kMostRefusedTime)
                    return kResultNetworkFailure;
                due = now + kRefusedSendWait;
                break;
            }
            refusing = false;
            due += target != nullptr && target->onLink ? kOnLinkInterval : kRoutedInterval;
            lastRequest = now;
            ++next;
        }
        // Without a broadcast, once every target has answered nothing more can come.
        const bool allAnswered = !m_broadcast && m_answered.size() == m_hosts;
        Clock::time_point wake = next == round.size() ? lastRequest + m_wait : due;
        if (allAnswered || (next == round.size() && now >= wake)) {
            round = allAnswered ? std::vector<size_t>() : SilentTargets();
            if (round.empty())
                return kResultSuccess;
            ++roundNumber;
            next = 0;
            due = now;
            continue;
        }
        if (cancelled)
            wake = std::min(wake, now + kCancelLookInterval);
        // Rounded up to whole milliseconds: the requests that fall due meanwhile leave together,
        // still no earlier than their own time.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            std::max(wake - now, Clock::duration::zero()));
        size_t ready = 0;
        const WaitOutcome outcome = WaitReadable(m_sockets, static_cast<int>(wait.count()), &ready);
        if (outcome == WaitOutcome::kFailed)
            return kResultNetworkFailure;
        for (size_t i = 0; outcome == WaitOutcome::kReady && i < m_sockets.size(); ++i) {
            if (Drain(m_sockets[i]) != kResultSuccess)
                return kResultOutOfMemory;
        }
    }
}

} // namespace

ResultCode ScanAddresses(int versionKind, const ScanPlan& plan, const ModelListEntry* models,
                         const char* community, DiscoveredPrinter** list, int* count,
                         const ScanCancelled& cancelled) {
    *count = 0;
    std::vector<Target> targets = UniqueTargets(plan);
    if (targets.empty() && !plan.broadcast)
        return kResultSuccess;
    std::vector<Request> requests(1 + plan.groups.size());
    requests[kBroadcastRequest].length =
        SnmpBuildRequest(community, requests[kBroadcastRequest].bytes);
    for (size_t group = 0; group < plan.groups.size(); ++group) {
        Request& request = requests[kBroadcastRequest + 1 + group];
        request.length = SnmpBuildRequest(plan.groups[group].community.c_str(), request.bytes);
    }
    Scan scan(std::move(targets), std::move(requests), plan);
    ResultCode result = scan.Run(cancelled);
    if (result == kResultSuccess)
        result = ListAcceptedAnswers(scan.Answers(), models, versionKind, list, count);
    return result == kResultSuccess && *count > 0 ? FillNarrowForms(list, count) : result;
}
