#pragma once

#include "event_loop.h"
#include "printer_config.h"
#include "snmp_flood.h"

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// What one printer's SNMP agent does with a GetRequest for sysDescr.0.
struct SnmpBehaviour {
    enum class Mode {
        Answer,    // a proper GetResponse
        Silent,    // never answers
        Deaf,      // answers only requests sent to its own address, not broadcasts
        Error,     // error-status 2 (noSuchName)
        WrongPdu,  // the response under another PDU tag (`pduTag`)
        Empty,     // a datagram of zero bytes
        Oversize,  // the proper response padded to 1400 bytes
        LongForm,  // the value's length as 81 xx
        LongForm2, // the value's length as 82 00 xx
        Truncated, // the response cut in the middle of the value
        Twice,     // the response, then a second one with the `desc2=` description
        From,      // the response sent from another address of this host (`from`)
    };
    Mode mode = Mode::Answer;
    uint8_t pduTag = 0xA2;
    std::string from;
};

// Parses an snmp= value: ok, silent, deaf, error, pdu:A0 (any hex tag), empty, oversize,
// longform, longform2, truncated, twice or from:ADDRESS.
bool ParseSnmpBehaviour(std::string_view text, SnmpBehaviour* behaviour, std::string* error);

// Parses a duration: "250ms", "1.2s" or a plain number of milliseconds.
bool ParseDuration(std::string_view text, std::chrono::milliseconds* duration, std::string* error);

struct SnmpPrinter {
    std::string address;
    std::string description;
    std::string secondDescription; // Twice: the second reply's description
    SnmpBehaviour behaviour;
    std::chrono::milliseconds delay{0};
    unsigned ignored = 0; // requests still to be ignored before it answers (ignore=N)
    std::optional<std::string> community; // when set, requests with another one go unanswered
};

// Reads a printer's SNMP keys: desc= (no description: it never answers), desc2=, snmp=, delay=,
// ignore=N (the first N requests that reach it with its community, broadcast or direct, go
// unanswered), community=.
bool ReadSnmpPrinter(const PrinterDescription& line, SnmpPrinter* printer, std::string* error);

// The SNMP agents (UDP 161) of every simulated printer, on one socket bound to all addresses.
// IP_PKTINFO tells which address a request was sent to and sets each reply's source address,
// so every printer answers from its own address. Replies that wait are timers in the event
// loop, so a thousand printers answering one broadcast cost no threads.
class SnmpAgent {
  public:
    static constexpr uint16_t kPort = 161;

    // `jitter` spreads every reply by a random extra delay in [0, jitter]; `flood` answers each
    // broadcast with a flood as well.
    SnmpAgent(EventLoop& loop, std::chrono::milliseconds jitter, FloodSettings flood = {});
    ~SnmpAgent();
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;

    void AddPrinter(SnmpPrinter printer);
    bool Start(std::string* error);

    // What a reply echoes from its request.
    struct Request {
        std::vector<uint8_t> community;
        std::vector<uint8_t> requestId; // the INTEGER's content bytes
    };

  private:
    void Readable();
    void StartFlood(const Request& request, const sockaddr_in& peer);
    void Schedule(SnmpPrinter& printer, const Request& request, const sockaddr_in& peer);
    void Reply(const SnmpPrinter& printer, const Request& request, const sockaddr_in& peer);
    void Send(const std::vector<uint8_t>& datagram, const std::string& source,
              const sockaddr_in& peer);

    EventLoop& m_loop;
    std::chrono::milliseconds m_jitter;
    FloodSettings m_floodSettings;
    std::optional<SnmpFlood> m_flood;
    std::mt19937 m_random{2950};
    int m_socket = -1;
    std::vector<SnmpPrinter> m_printers;
    std::unordered_map<uint32_t, size_t> m_printerOfAddress; // network order -> index
};
