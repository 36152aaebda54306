#pragma once

#include "discovery/address_range.h"
#include "discovery/discovery.h"
#include "discovery/model_list.h"
#include "text/result_code.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Requests to hosts behind a router leave at most this often, so that a wide scan does not flood
// a routed link.
constexpr int kScanRequestsPerSecond = 5000;
// Requests to hosts on a link of this computer leave at most this often. Each new host costs an
// entry in the neighbour table, which holds 1,024 for the whole machine (Linux's gc_thresh3), and
// an unanswered one stays unresolved about 3 s (three probes a second apart); beyond 1,024 / 3 s,
// about 340 a second, the table fills and sends are refused. 300 leaves room for the operator's
// other connections. Windows' neighbour cache gets the same pace.
constexpr int kOnLinkRequestsPerSecond = 300;
// Replies are collected until this long after the last request, unless told otherwise.
constexpr int kScanReplyWindowMs = 1000;

// Hosts asked directly with one community.
struct ScanGroup {
    std::string community;
    std::vector<uint32_t> addresses;  // single hosts, host byte order
    std::vector<AddressRange> ranges; // every host address of each
};

// What a scan asks, and how patiently.
struct ScanPlan {
    bool broadcast = false;          // ask by limited broadcast first (never again)
    std::vector<ScanGroup> groups;   // each host with its group's community
    int waitMs = kScanReplyWindowMs; // after the last request of each round
    int addressRetries = 0;          // rounds for a single host still silent
    int rangeRetries = 0;            // rounds for a range's host still silent
};

// How far a scan has come.
struct ScanProgress {
    size_t asked = 0;    // requests sent in this round
    size_t hosts = 0;    // addresses to ask in this round
    size_t answered = 0; // addresses that sent a description, of any model
    int round = 0;       // 0 for the first asking, then one per retry
};

// Asked with the progress so far; true cancels the scan.
using ScanCancelled = std::function<bool(const ScanProgress&)>;

// Asks the broadcast (with `community`), then every address and every host address of the ranges
// of each group with the group's community (a host named twice with one community once; a range
// wider than /16 has none) for its description by unicast from a few sockets, paced, and
// keeps one reply per address (the first read): from any sender after a broadcast, else from asked
// addresses only. An address still silent when the wait ends is asked again, as often as its
// retries allow; one that answered, to the broadcast or directly, is never asked (again). Without
// a broadcast the scan ends as soon as every address has answered. The replies go through the
// decoder, model filter and description split of FindNetworkPrinters and come back as its result
// list, with the same result codes and the same ownership: release the list with
// FreeNetworkPrinterList. A broadcast no interface takes is skipped; a request to an address the
// system keeps refusing for several seconds ends the scan with kResultNetworkFailure. `cancelled`,
// when given, is asked at least ten times a second; once it says true the scan ends with
// kResultCancelled and no list.
ResultCode ScanAddresses(int versionKind, const ScanPlan& plan, const ModelListEntry* models,
                         const char* community, DiscoveredPrinter** list, int* count,
                         const ScanCancelled& cancelled = {});
