#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// The printers a simulator plays, read from a description with one printer per line:
//
//   # comment                         a word starting with '#' ends the line
//   jitter=100ms                      only key=value words: a setting for the whole simulator
//   10.77.1.11  raw=ok  desc="Korvil 2950MFP-N;NIC 1.10"
//
// Values may be double-quoted (with \" and \\ inside). Every key is kept in order, so each
// half of the simulator reads the keys it knows and leaves the others alone.

struct Setting {
    std::string key;
    std::string value;
};

struct PrinterDescription {
    std::string address; // dotted IPv4
    std::vector<Setting> settings;
    int line = 0;

    // The value of `key`, or nullptr when the line does not set it.
    const std::string* Find(std::string_view key) const;
};

struct LabDescription {
    std::vector<Setting> globals;
    std::vector<PrinterDescription> printers;

    const std::string* FindGlobal(std::string_view key) const;
};

// Parses a whole description; on failure `error` names the line and the fault.
bool ParseDescription(std::istream& input, LabDescription* description, std::string* error);

// What the raw port (TCP 9100) of one printer does with a connection.
struct RawBehaviour {
    enum class Mode {
        Ok,       // accept, read everything, write it to a job file
        Discard,  // accept, read everything, keep nothing (benchmarks)
        Refuse,   // no listener: connections are refused
        NoAccept, // full listen queue: connection attempts go unanswered
        Stall,    // accept with a tiny receive buffer and never read
        Slow,     // read `amount` bytes per second
        Reset,    // read `amount` bytes, then reset the connection (also when the data ends sooner)
        Close,    // read `amount` bytes, then close the connection
        NoClose,  // read everything and keep it, but never close the connection
    };
    Mode mode = Mode::Ok;
    uint64_t amount = 0;
};

// Parses a raw= value: ok, discard, refuse, noaccept, stall, noclose, slow:N (N > 0), reset:K or
// close:K.
bool ParseRawBehaviour(std::string_view text, RawBehaviour* behaviour, std::string* error);
