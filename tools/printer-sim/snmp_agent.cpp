#include "snmp_agent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

namespace {

using Bytes = std::vector<uint8_t>;
using Mode = SnmpBehaviour::Mode;

constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kOctetString = 0x04;
constexpr uint8_t kObjectId = 0x06;
constexpr uint8_t kGetRequest = 0xA0;
constexpr uint8_t kGetResponse = 0xA2;
constexpr uint8_t kNoSuchName = 2;
const Bytes kSysDescr{0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00};
constexpr size_t kOversize = 1400;

// --- decoding a request, by full BER lengths and with every length checked ---

struct Element {
    uint8_t tag = 0;
    const uint8_t* content = nullptr;
    size_t length = 0;
};

class BerReader {
  public:
    BerReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit BerReader(const Element& element) : BerReader(element.content, element.length) {}

    std::optional<Element> Next() {
        if (m_size - m_at < 2)
            return std::nullopt;
        Element element;
        element.tag = m_data[m_at++];
        size_t length = m_data[m_at++];
        if (length & 0x80) {
            const size_t count = length & 0x7F;
            if (count == 0 || count > 2 || m_size - m_at < count)
                return std::nullopt;
            length = 0;
            for (size_t i = 0; i < count; ++i)
                length = length << 8 | m_data[m_at++];
        }
        if (m_size - m_at < length)
            return std::nullopt;
        element.content = m_data + m_at;
        element.length = length;
        m_at += length;
        return element;
    }

    std::optional<Element> Next(uint8_t tag) {
        auto element = Next();
        if (!element || element->tag != tag)
            return std::nullopt;
        return element;
    }

  private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

Bytes ContentOf(const Element& element) {
    return Bytes(element.content, element.content + element.length);
}

// A GetRequest whose first binding names sysDescr.0; anything else gets no answer.
std::optional<SnmpAgent::Request> DecodeRequest(const uint8_t* data, size_t size) {
    BerReader datagram(data, size);
    const auto message = datagram.Next(kSequence);
    if (!message)
        return std::nullopt;
    BerReader fields(*message);
    const auto version = fields.Next(kInteger);
    const auto community = fields.Next(kOctetString);
    const auto pdu = fields.Next(kGetRequest);
    if (!version || !community || !pdu)
        return std::nullopt;
    BerReader pduFields(*pdu);
    const auto requestId = pduFields.Next(kInteger);
    const auto errorStatus = pduFields.Next(kInteger);
    const auto errorIndex = pduFields.Next(kInteger);
    const auto bindings = pduFields.Next(kSequence);
    if (!requestId || !errorStatus || !errorIndex || !bindings)
        return std::nullopt;
    BerReader bindingList(*bindings);
    const auto binding = bindingList.Next(kSequence);
    if (!binding)
        return std::nullopt;
    BerReader bindingFields(*binding);
    const auto name = bindingFields.Next(kObjectId);
    if (!name || ContentOf(*name) != kSysDescr)
        return std::nullopt;
    return SnmpAgent::Request{ContentOf(*community), ContentOf(*requestId)};
}

// --- encoding a reply ---

enum class LengthForm { Minimal, OneByte, TwoBytes };

Bytes Tlv(uint8_t tag, const Bytes& content, LengthForm form = LengthForm::Minimal) {
    const size_t length = content.size();
    Bytes out{tag};
    if (form == LengthForm::Minimal)
        form = length < 0x80    ? LengthForm::Minimal
               : length < 0x100 ? LengthForm::OneByte
                                : LengthForm::TwoBytes;
    if (form == LengthForm::OneByte)
        out.push_back(0x81);
    if (form == LengthForm::TwoBytes) {
        out.push_back(0x82);
        out.push_back(static_cast<uint8_t>(length >> 8));
    }
    out.push_back(static_cast<uint8_t>(length));
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Response(const std::string& description, const Bytes& community, const Bytes& requestId,
               const SnmpBehaviour& behaviour) {
    const LengthForm valueForm = behaviour.mode == Mode::LongForm    ? LengthForm::OneByte
                                 : behaviour.mode == Mode::LongForm2 ? LengthForm::TwoBytes
                                                                     : LengthForm::Minimal;
    const bool error = behaviour.mode == Mode::Error;
    const uint8_t pduTag = behaviour.mode == Mode::WrongPdu ? behaviour.pduTag : kGetResponse;
    const Bytes value = Tlv(kOctetString, Bytes(description.begin(), description.end()), valueForm);
    const Bytes binding = Tlv(kSequence, Join({Tlv(kObjectId, kSysDescr), value}));
    const Bytes pdu = Tlv(
        pduTag, Join({Tlv(kInteger, requestId), Tlv(kInteger, {error ? kNoSuchName : uint8_t{0}}),
                      Tlv(kInteger, {error ? uint8_t{1} : uint8_t{0}}), Tlv(kSequence, binding)}));
    Bytes message = Tlv(kSequence, Join({Tlv(kInteger, {0}), Tlv(kOctetString, community), pdu}));
    if (behaviour.mode == Mode::Truncated)
        message.resize(message.size() - std::max<size_t>(1, description.size() / 2));
    else if (behaviour.mode == Mode::Oversize)
        message.resize(kOversize, 0);
    return message;
}

} // namespace

bool ParseSnmpBehaviour(std::string_view text, SnmpBehaviour* behaviour, std::string* error) {
    static const std::pair<std::string_view, Mode> kPlain[] = {
        {"ok", Mode::Answer},           {"silent", Mode::Silent},
        {"deaf", Mode::Deaf},           {"error", Mode::Error},
        {"empty", Mode::Empty},         {"oversize", Mode::Oversize},
        {"longform", Mode::LongForm},   {"longform2", Mode::LongForm2},
        {"truncated", Mode::Truncated}, {"twice", Mode::Twice},
    };
    *behaviour = SnmpBehaviour{};
    for (const auto& [name, mode] : kPlain) {
        if (text == name) {
            behaviour->mode = mode;
            return true;
        }
    }
    if (text.starts_with("pdu:")) {
        const std::string_view hex = text.substr(4);
        unsigned tag = 0;
        const auto [end, fault] = std::from_chars(hex.data(), hex.data() + hex.size(), tag, 16);
        if (fault == std::errc() && end == hex.data() + hex.size() && tag <= 0xFF) {
            behaviour->mode = Mode::WrongPdu;
            behaviour->pduTag = static_cast<uint8_t>(tag);
            return true;
        }
    }
    in_addr address{};
    if (text.starts_with("from:") &&
        inet_pton(AF_INET, std::string(text.substr(5)).c_str(), &address) == 1) {
        behaviour->mode = Mode::From;
        behaviour->from = std::string(text.substr(5));
        return true;
    }
    *error = "bad snmp value '" + std::string(text) +
             "' (ok, silent, deaf, error, pdu:TAG, empty, oversize, longform, longform2, "
             "truncated, twice, from:ADDRESS)";
    return false;
}

bool ParseDuration(std::string_view text, std::chrono::milliseconds* duration, std::string* error) {
    double scale = 1;
    std::string_view number = text;
    if (number.ends_with("ms")) {
        number.remove_suffix(2);
    } else if (number.ends_with("s")) {
        number.remove_suffix(1);
        scale = 1000;
    }
    double value = 0;
    const auto [end, fault] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || fault != std::errc() || end != number.data() + number.size() ||
        value < 0) {
        *error = "bad duration '" + std::string(text) + "' (250ms, 1.2s or milliseconds)";
        return false;
    }
    *duration = std::chrono::milliseconds(static_cast<long long>(value * scale + 0.5));
    return true;
}

bool ReadSnmpPrinter(const PrinterDescription& line, SnmpPrinter* printer, std::string* error) {
    printer->address = line.address;
    if (const std::string* description = line.Find("desc"))
        printer->description = *description;
    if (const std::string* second = line.Find("desc2"))
        printer->secondDescription = *second;
    const std::string* behaviour = line.Find("snmp");
    if (behaviour != nullptr && !ParseSnmpBehaviour(*behaviour, &printer->behaviour, error))
        return false;
    if (const std::string* ignore = line.Find("ignore")) {
        const auto [end, fault] =
            std::from_chars(ignore->data(), ignore->data() + ignore->size(), printer->ignored);
        if (ignore->empty() || fault != std::errc() || end != ignore->data() + ignore->size()) {
            *error = "bad ignore value '" + *ignore + "' (a number of requests)";
            return false;
        }
    }
    if (const std::string* community = line.Find("community"))
        printer->community = *community;
    const std::string* delay = line.Find("delay");
    return delay == nullptr || ParseDuration(*delay, &printer->delay, error);
}

SnmpAgent::SnmpAgent(EventLoop& loop, std::chrono::milliseconds jitter, FloodSettings flood)
    : m_loop(loop), m_jitter(jitter), m_floodSettings(std::move(flood)) {}

SnmpAgent::~SnmpAgent() {
    if (m_socket >= 0) {
        m_loop.Forget(m_socket);
        ::close(m_socket);
    }
}

void SnmpAgent::AddPrinter(SnmpPrinter printer) {
    in_addr address{};
    inet_pton(AF_INET, printer.address.c_str(), &address);
    m_printerOfAddress[address.s_addr] = m_printers.size();
    m_printers.push_back(std::move(printer));
}

bool SnmpAgent::Start(std::string* error) {
    m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    // A thousand replies may leave at once; the send queue must hold them.
    const int sendQueue = 4 * 1024 * 1024;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(kPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (m_socket < 0 || ::setsockopt(m_socket, IPPROTO_IP, IP_PKTINFO, &on, sizeof(on)) != 0 ||
        ::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on)) != 0 ||
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
        *error = std::string("SNMP port: ") + std::strerror(errno);
        return false;
    }
    ::setsockopt(m_socket, SOL_SOCKET, SO_SNDBUF, &sendQueue, sizeof(sendQueue));
    m_flood.emplace(m_loop, m_socket, m_floodSettings);
    if (!m_flood->Load(error))
        return false;
    return m_loop.Watch(m_socket, EPOLLIN, [this](uint32_t) { Readable(); });
}

void SnmpAgent::Readable() {
    for (;;) {
        uint8_t datagram[2048];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
        sockaddr_in peer{};
        iovec vector{datagram, sizeof(datagram)};
        msghdr message{};
        message.msg_name = &peer;
        message.msg_namelen = sizeof(peer);
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        const ssize_t received = ::recvmsg(m_socket, &message, MSG_DONTWAIT);
        if (received < 0)
            return;
        std::optional<in_addr> destination;
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
             header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(header), sizeof(info));
                destination = info.ipi_addr;
            }
        }
        const auto request = DecodeRequest(datagram, static_cast<size_t>(received));
        if (!destination || !request)
            continue;
        // A request to one printer's address reaches that printer; any other destination that
        // arrives here is a broadcast and reaches them all.
        const auto addressed = m_printerOfAddress.find(destination->s_addr);
        if (addressed != m_printerOfAddress.end()) {
            Schedule(m_printers[addressed->second], *request, peer);
            continue;
        }
        for (SnmpPrinter& printer : m_printers) {
            if (printer.behaviour.mode != Mode::Deaf)
                Schedule(printer, *request, peer);
        }
        if (m_flood->Enabled())
            StartFlood(*request, peer);
    }
}

void SnmpAgent::StartFlood(const Request& request, const sockaddr_in& peer) {
    // A longer request id never equals the one the request carried.
    Bytes otherId = request.requestId;
    otherId.push_back(1);
    std::vector<FloodSource> sources(m_printers.size());
    std::string padded;
    for (size_t i = 0; i < m_printers.size(); ++i) {
        const SnmpPrinter& printer = m_printers[i];
        inet_pton(AF_INET, printer.address.c_str(), &sources[i].address);
        if (printer.description.empty() || printer.behaviour.mode != Mode::Answer)
            continue;
        sources[i].reply = Response(printer.description, request.community, request.requestId, {});
        sources[i].otherReply = Response(printer.description, request.community, otherId, {});
        if (padded.empty())
            padded = printer.description;
    }
    // A printer's own reply, padded past what a receiver may take: sent from an address that
    // is no printer, it would show up as one if it were read cut.
    SnmpBehaviour oversize;
    oversize.mode = Mode::Oversize;
    m_flood->Start(std::move(sources),
                   Response(padded, request.community, request.requestId, oversize), peer);
}

void SnmpAgent::Schedule(SnmpPrinter& printer, const Request& request, const sockaddr_in& peer) {
    if (printer.description.empty() || printer.behaviour.mode == Mode::Silent ||
        (printer.community && !std::ranges::equal(*printer.community, request.community)))
        return;
    if (printer.ignored > 0) {
        --printer.ignored;
        return;
    }
    std::chrono::milliseconds delay = printer.delay;
    if (m_jitter.count() > 0)
        delay += std::chrono::milliseconds(
            std::uniform_int_distribution<long long>(0, m_jitter.count())(m_random));
    if (delay.count() == 0) {
        Reply(printer, request, peer);
        return;
    }
    // Printers are never removed while the loop runs, so the reference stays valid.
    m_loop.After(delay, [this, &printer, request, peer] { Reply(printer, request, peer); });
}

void SnmpAgent::Reply(const SnmpPrinter& printer, const Request& request, const sockaddr_in& peer) {
    const SnmpBehaviour& behaviour = printer.behaviour;
    const std::string& source = behaviour.mode == Mode::From ? behaviour.from : printer.address;
    if (behaviour.mode == Mode::Empty) {
        Send({}, source, peer);
        return;
    }
    Send(Response(printer.description, request.community, request.requestId, behaviour), source,
         peer);
    if (behaviour.mode == Mode::Twice) {
        const std::string& second =
            printer.secondDescription.empty() ? printer.description : printer.secondDescription;
        Send(Response(second, request.community, request.requestId, behaviour), source, peer);
    }
}

void SnmpAgent::Send(const Bytes& datagram, const std::string& source, const sockaddr_in& peer) {
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    iovec vector{const_cast<uint8_t*>(datagram.data()), datagram.size()};
    msghdr message{};
    sockaddr_in target = peer;
    message.msg_name = &target;
    message.msg_namelen = sizeof(target);
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    inet_pton(AF_INET, source.c_str(), &info.ipi_spec_dst);
    std::memcpy(CMSG_DATA(header), &info, sizeof(info));
    // The socket does not block, and a full send queue would lose this reply; wait for room
    // instead, as a printer's own stack would.
    while (::sendmsg(m_socket, &message, 0) < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd room{m_socket, POLLOUT, 0};
        ::poll(&room, 1, 100);
    }
}
