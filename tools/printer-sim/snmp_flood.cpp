#include "snmp_flood.h"

#include "snmp_agent.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// Short enough that the flood reads as steady to a receiver that waits for each datagram.
constexpr std::chrono::milliseconds kTick{2};
constexpr size_t kBatch = 64;

} // namespace

bool ParseFloodSettings(const std::string* datagrams, const std::string* length,
                        const std::string* junk, FloodSettings* settings, std::string* error) {
    *settings = FloodSettings{};
    if (datagrams != nullptr) {
        char* end = nullptr;
        errno = 0;
        settings->datagrams = std::strtol(datagrams->c_str(), &end, 10);
        if (datagrams->empty() || *end != '\0' || errno == ERANGE || settings->datagrams < 0) {
            *error = "bad flood value '" + *datagrams + "' (datagrams per broadcast request)";
            return false;
        }
    }
    if (length != nullptr && !ParseDuration(*length, &settings->length, error))
        return false;
    // The flood is spread over its length, which must therefore have one.
    if (settings->length <= decltype(settings->length)::zero()) {
        *error = "bad flood-time '" + (length != nullptr ? *length : std::string()) +
                 "' (must be longer than zero)";
        return false;
    }
    if (junk != nullptr) {
        std::istringstream files(*junk);
        std::string file;
        while (std::getline(files, file, ','))
            if (!file.empty())
                settings->junkFiles.push_back(file);
    }
    return true;
}

SnmpFlood::SnmpFlood(EventLoop& loop, int socket, FloodSettings settings)
    : m_loop(loop), m_socket(socket), m_settings(std::move(settings)) {}

bool SnmpFlood::Load(std::string* error) {
    for (const std::string& path : m_settings.junkFiles) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            *error = "cannot read flood-junk file " + path;
            return false;
        }
        m_junk.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return true;
}

void SnmpFlood::Start(std::vector<FloodSource> sources, const std::vector<uint8_t>& oversized,
                      const sockaddr_in& peer) {
    if (!Enabled() || sources.empty())
        return;
    m_junk.resize(m_settings.junkFiles.size());
    m_junk.push_back(oversized);
    m_junk.emplace_back();
    m_sources = std::move(sources);
    m_peer = peer;
    m_start = EventLoop::Clock::now();
    m_sent = 0;
    // A broadcast during a flood starts it over towards the new requester, on the same timer.
    if (m_running)
        return;
    m_running = true;
    SendDue();
}

const std::vector<uint8_t>& SnmpFlood::Payload(long index) const {
    const auto count = static_cast<long>(m_sources.size());
    const long sourceIndex = index % count;
    const FloodSource& source = m_sources[static_cast<size_t>(sourceIndex)];
    const long round = index / count;
    if (!source.reply.empty())
        return round % 2 == 0 ? source.reply : source.otherReply;
    // Each kind of junk comes first from some address, since a receiver keeps only the first
    // reply of each sender.
    return m_junk[static_cast<size_t>(round + sourceIndex) % m_junk.size()];
}

void SnmpFlood::SendDue() {
    const auto elapsed = EventLoop::Clock::now() - m_start;
    const double share = std::chrono::duration<double>(elapsed) / m_settings.length;
    const long due = share >= 1
                         ? m_settings.datagrams
                         : static_cast<long>(static_cast<double>(m_settings.datagrams) * share);
    std::array<mmsghdr, kBatch> messages{};
    std::array<iovec, kBatch> vectors{};
    struct alignas(cmsghdr) Control {
        char bytes[CMSG_SPACE(sizeof(in_pktinfo))];
    };
    std::array<Control, kBatch> controls{};
    while (m_sent < due) {
        const size_t count = std::min<size_t>(kBatch, static_cast<size_t>(due - m_sent));
        for (size_t i = 0; i < count; ++i) {
            const long index = m_sent + static_cast<long>(i);
            const std::vector<uint8_t>& payload = Payload(index);
            vectors[i] = iovec{const_cast<uint8_t*>(payload.data()), payload.size()};
            msghdr& message = messages[i].msg_hdr;
            message = msghdr{};
            message.msg_name = &m_peer;
            message.msg_namelen = sizeof(m_peer);
            message.msg_iov = &vectors[i];
            message.msg_iovlen = 1;
            message.msg_control = controls[i].bytes;
            message.msg_controllen = sizeof(controls[i].bytes);
            cmsghdr* header = CMSG_FIRSTHDR(&message);
            header->cmsg_level = IPPROTO_IP;
            header->cmsg_type = IP_PKTINFO;
            header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
            in_pktinfo info{};
            info.ipi_spec_dst = m_sources[static_cast<size_t>(index) % m_sources.size()].address;
            std::memcpy(CMSG_DATA(header), &info, sizeof(info));
        }
        const int sent = ::sendmmsg(m_socket, messages.data(), static_cast<unsigned>(count), 0);
        if (sent > 0) {
            m_sent += sent;
            continue;
        }
        // A full send queue: the rest waits for the next tick. Any other failure ends the flood.
        if (errno != EAGAIN && errno != ENOBUFS && errno != EINTR) {
            std::fprintf(stderr, "printer-sim: flood: %s\n", std::strerror(errno));
            m_running = false;
            return;
        }
        break;
    }
    if (m_sent < m_settings.datagrams) {
        m_loop.After(kTick, [this] { SendDue(); });
        return;
    }
    m_running = false;
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(EventLoop::Clock::now() - m_start);
    std::fprintf(stderr, "printer-sim: flood of %ld datagrams from %zu addresses in %lld ms\n",
                 m_sent, m_sources.size(), static_cast<long long>(took.count()));
}
