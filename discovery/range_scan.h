#pragma once

#include "discovery/address_range.h"
#include "discovery/discovery.h"
#include "discovery/model_list.h"
#include "text/result_code.h"

#include <cstddef>
#include <functional>
#include <span>

// Requests leave at most this often, so that a wide scan does not flood a routed link.
constexpr int kScanRequestsPerSecond = 5000;
// Replies are collected until this long after the last request.
constexpr int kScanReplyWindowMs = 1000;

// How far a scan has come.
struct ScanProgress {
    size_t asked = 0;    // requests sent
    size_t hosts = 0;    // addresses to ask
    size_t answered = 0; // addresses that sent a description, of any model
};

// Asked with the progress so far; true cancels the scan.
using ScanCancelled = std::function<bool(const ScanProgress&)>;

// Asks every host address of `ranges` (duplicates once; a range wider than /16 has none) for its
// description by unicast from one socket, paced, and keeps the replies of asked addresses only, one
// per address (the first read). The replies go through the decoder, model filter and description
// split of FindNetworkPrinters and come back as its result list, with the same result codes and the
// same ownership: release the list with FreeNetworkPrinterList. `cancelled`, when given, is
// asked at least ten times a second; once it says true the scan ends with kResultCancelled and
// no list.
ResultCode ScanAddressRanges(int versionKind, std::span<const AddressRange> ranges,
                             const ModelListEntry* models, const char* community,
                             DiscoveredPrinter** list, int* count,
                             const ScanCancelled& cancelled = {});
