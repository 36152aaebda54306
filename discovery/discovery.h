#pragma once

#include "discovery/model_list.h"

#include <cstdint>

// One discovered printer. Every field is its own zero-terminated heap text owned by the list.
struct DiscoveredPrinter {
    char* narrowName;
    char* narrowAddress;
    char* narrowVersion;
    char16_t* wideName;
    char16_t* wideAddress;
    char16_t* wideVersion;
};

enum DiscoveryMode : int {
    kDiscoverBroadcast = 1,
    kDiscoverAddresses = 2,
};

// Finds the printers of the accepted models; result codes as in text/notices.h. On 0 the out
// list and count describe the entries (count 0: none found). On 5 a partly filled list may be
// handed over, to be released with FreeNetworkPrinterList.
int FindNetworkPrinters(int versionKind, const char* const* addresses, int addressCount,
                        const ModelListEntry* models, const char* community, int mode,
                        DiscoveredPrinter** list, int* count);

// Releases a list of FindNetworkPrinters; returns 0, or 3 for no list or a count of 0.
int FreeNetworkPrinterList(int count, DiscoveredPrinter* list);
