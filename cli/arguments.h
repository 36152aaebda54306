#pragma once

#include "discovery/address_range.h"

#include <string>
#include <vector>

enum class CliCommand { Help, Version, Discover, Check, Restore };

constexpr int kDefaultParallel = 8;
constexpr int kMaxParallel = 64;
// Sixteen /16 ranges: about 3.5 minutes of requests at the scan's pace.
constexpr uint32_t kMostScanHosts = 65536 * 16;

// Where discovery looks: the broadcast, single addresses and ranges.
struct SearchScope {
    bool broadcast = true;
    std::vector<std::string> addresses;
    std::vector<AddressRange> ranges;
    std::string community;
};

struct CliArguments {
    CliCommand command = CliCommand::Help;
    std::string file;                 // check, restore
    bool all = false;                 // restore --all
    std::vector<std::string> targets; // restore ADDR..., each once, in the order given
    SearchScope scope;
    bool json = false; // discover --json
    int parallel = kDefaultParallel;
    std::string report; // restore --report
    bool yes = false;
};

// Parses the words after the program name. False with a one-line reason for anything that does
// not fit the interface.
bool ParseArguments(const std::vector<std::string>& words, CliArguments* arguments,
                    std::string* error);

// The usage lines shown after an argument error, and the whole --help text.
std::string UsageText();
std::string HelpText();
