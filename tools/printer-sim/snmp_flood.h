#pragma once

#include "event_loop.h"

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// A hostile network: once a broadcast request arrives, every address of the simulator sends
// datagrams back to the requester for a while, paced over the flood's length. Printers with a
// description repeat their reply, half of them under another request id; the other addresses
// send malformed replies (files, e.g. a fuzz corpus), oversized replies and empty datagrams.
struct FloodSettings {
    long datagrams = 0; // per broadcast request; 0: no flood
    std::chrono::milliseconds length{1000};
    std::vector<std::string> junkFiles;
};

// One address the flood sends from: a printer's own reply, or none for an address that only
// sends junk.
struct FloodSource {
    in_addr address{};
    std::vector<uint8_t> reply;      // answering the request as it came
    std::vector<uint8_t> otherReply; // the same under another request id
};

class SnmpFlood {
  public:
    // `socket` is the agent's UDP socket (port 161, IP_PKTINFO on).
    SnmpFlood(EventLoop& loop, int socket, FloodSettings settings);

    // Reads the junk files; false with a reason when one cannot be read.
    bool Load(std::string* error);

    // Starts a flood towards `peer`; one under way starts over towards it.
    void Start(std::vector<FloodSource> sources, const std::vector<uint8_t>& oversized,
               const sockaddr_in& peer);

    bool Enabled() const { return m_settings.datagrams > 0; }

  private:
    void SendDue();
    const std::vector<uint8_t>& Payload(long index) const;

    EventLoop& m_loop;
    int m_socket;
    FloodSettings m_settings;
    std::vector<std::vector<uint8_t>> m_junk; // the files, then an oversized reply, then empty
    std::vector<FloodSource> m_sources;
    sockaddr_in m_peer{};
    EventLoop::Clock::time_point m_start;
    long m_sent = 0;
    bool m_running = false;
};

// Reads the settings flood=N, flood-time=DURATION and flood-junk="FILE,FILE...".
bool ParseFloodSettings(const std::string* datagrams, const std::string* length,
                        const std::string* junk, FloodSettings* settings, std::string* error);
