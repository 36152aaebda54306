#pragma once

#include "discovery/discovery.h"
#include "printers/printer_records.h"

#include <string_view>

// The lists the main window owns for the printer table.
struct PrinterTableLists {
    ManualPrinter* manualPrinters = nullptr;
    int manualCount = 0;
    PrinterEntry* entries = nullptr;
    ModelListEntry* models = nullptr;
    DiscoveredPrinter* results = nullptr;
    int resultCount = 0;
    DeliveryNode* nodes = nullptr;
    int nodeCount = 0;
};

// Releases the discovery results held since the last search.
void ReleaseDiscoveryResults(PrinterTableLists* lists);

// Releases every list and the delivery history: after an out-of-memory stop, or when the main
// window goes.
void ReleaseTableLists(PrinterTableLists* lists);

// "Add printer...": appends the dotted `address` to the hand-added addresses unless it is
// there already. False after the out-of-memory notice.
bool AddManualPrinter(PrinterTableLists* lists, std::u16string_view address);

enum TableOutcome : int {
    kTableFailed = 0,      // discovery failed; its notice has been shown; no entries
    kTableRebuilt = 1,     // the entry chain was rebuilt
    kTableOutOfMemory = 2, // the lists could not be built: the main window must stop
};

// Searches with the community name and the hand-added addresses and builds the entry chain
// (which must be empty) from the results, which the lists keep until the next search (the
// previous ones are released first).
TableOutcome RunDiscoveryDriver(PrinterTableLists* lists, int versionKind,
                                std::u16string_view community);

// A refresh after the ticked printers were collected: releases the entry chain, searches
// again, lays the delivery history over the new chain and ticks the collected printers again.
TableOutcome RebuildPrinterEntries(PrinterTableLists* lists, int versionKind,
                                   std::u16string_view community, const DeliveryNode* ticked);

// The search itself, replaceable so that the table can be tested without a network.
struct DiscoveryFunctions {
    decltype(&FindNetworkPrinters) find;
    decltype(&FreeNetworkPrinterList) release;
};
// Installs `functions` and returns the ones they replace.
DiscoveryFunctions SetDiscoveryFunctions(DiscoveryFunctions functions);
