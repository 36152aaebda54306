#pragma once

#include "discovery/address_range.h"

#include <optional>
#include <string>
#include <vector>

enum class CliCommand { Help, Version, Discover, Check, Restore };

constexpr int kDefaultParallel = 8;
constexpr int kMaxParallel = 64;
// A printer busy with another job may take nothing for minutes; an unattended run still ends
// the same day.
constexpr int kDefaultStallSeconds = 300;
constexpr int kMostStallSeconds = 86400;
// Sixteen /16 ranges: about 3.5 minutes of requests at the scan's pace behind a router.
constexpr uint32_t kMostScanHosts = 65536 * 16;

// How long replies are collected after the last request of a search, and how often a silent
// address is asked again; single addresses get one more chance unless told otherwise.
constexpr int kDefaultWaitMs = 1000;
constexpr int kLeastWaitMs = 200;
constexpr int kMostWaitMs = 30000;
constexpr int kMostRetries = 5;
constexpr int kDefaultAddressRetries = 1;

// One printer or range of a targets file, asked with the line's own community when it gives
// one.
struct TargetLine {
    AddressRange range;  // a single address is a /32
    bool single = false; // ADDRESS rather than CIDR
    bool ownCommunity = false;
    std::string community;
    std::string label;
};

// Where discovery looks: the broadcast, single addresses and ranges.
struct SearchScope {
    bool broadcast = true;
    std::vector<std::string> addresses;
    std::vector<AddressRange> ranges;
    std::vector<TargetLine> targetLines; // --targets, read by ReadTargets
    std::string community;
    std::string communityFile;   // --community-file, read by ResolveCommunity
    bool communityGiven = false; // --community
    int waitMs = kDefaultWaitMs; // --wait
    std::optional<int> retries;  // --retries; unset: kDefaultAddressRetries, ranges 0
};

struct CliArguments {
    CliCommand command = CliCommand::Help;
    std::string file;                 // check, restore
    bool all = false;                 // restore --all
    std::vector<std::string> targets; // restore ADDR..., each once, in the order given
    std::string targetsFile;          // --targets, read by ReadTargets
    SearchScope scope;
    bool json = false; // discover --json
    int parallel = kDefaultParallel;
    int stallSeconds = kDefaultStallSeconds; // restore: 0 waits without limit
    std::string report;                      // restore --report
    bool yes = false;
    bool dryRun = false;    // restore --dry-run
    std::string onlyFailed; // restore --only-failed REPORT.json
    bool force = false;     // with --only-failed: a report for another file, or without its digest
};

// Parses the words after the program name. False with a one-line reason for anything that does
// not fit the interface.
bool ParseArguments(const std::vector<std::string>& words, CliArguments* arguments,
                    std::string* error);

// Settles the community name of a search (discover, restore): --community, else the first line
// of --community-file, else `environment` (TOLVANE_COMMUNITY) when set and not empty, else the
// built-in default. False with a one-line reason when the file cannot be read or the name is too
// long. Commands that do not search are left alone.
bool ResolveCommunity(CliArguments* arguments, const char* environment, std::string* error);

// Reads --targets FILE into the search scope. False with "FILE line N: reason" (never quoting
// the file, which may hold communities) for a bad line, or a reason when it cannot be read.
bool ReadTargets(CliArguments* arguments, std::string* error);

// The usage lines shown after an argument error, and the whole --help text.
std::string UsageText();
std::string HelpText();
