#pragma once

#include "discovery/model_list.h"
#include "text/result_code.h"

#include <cstdint>

// One discovered printer. Every field is its own zero-terminated heap text owned by the list.
struct DiscoveredPrinter {
    char* narrowName;
    char* narrowAddress;
    char* narrowVersion;
    char16_t* wideName;
    char16_t* wideAddress;
    char16_t* wideVersion;
    // The description as received, for callers that take more from it than the one version.
    char16_t* wideDescription;
};

enum DiscoveryMode : int {
    kDiscoverBroadcast = 1,
    kDiscoverAddresses = 2,
};

// Finds the printers of the accepted models. On kResultSuccess the out list and count describe
// the entries (count 0: none found). On kResultOutOfMemory a partly filled list may be handed
// over, to be released with FreeNetworkPrinterList.
ResultCode FindNetworkPrinters(int versionKind, const char* const* addresses, int addressCount,
                               const ModelListEntry* models, const char* community, int mode,
                               DiscoveredPrinter** list, int* count);

// Releases a list of FindNetworkPrinters; returns kResultSuccess, or kResultBadArgument for no
// list or a count of 0.
ResultCode FreeNetworkPrinterList(int count, DiscoveredPrinter* list);
