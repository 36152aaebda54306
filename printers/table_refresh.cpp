#include "printers/table_refresh.h"

#include "platform/text_convert.h"
#include "printers/printer_table.h"
#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

DiscoveryFunctions g_discovery{&FindNetworkPrinters, &FreeNetworkPrinterList};

// Writes each hand-added address as narrow text into its own record and lists them in order.
// Returns nullptr after the out-of-memory notice.
const char** NarrowAddresses(PrinterTableLists* lists) {
    auto** addresses = static_cast<const char**>(
        HeapAllocZero(sizeof(char*) * static_cast<size_t>(lists->manualCount)));
    if (addresses == nullptr) {
        ShowOutOfMemory();
        return nullptr;
    }
    int i = 0;
    for (ManualPrinter* manual = lists->manualPrinters; manual != nullptr && i < lists->manualCount;
         manual = manual->next, ++i) {
        const std::string narrow = WideToNarrow(WideText(manual->ipAddress));
        const size_t length = std::min(narrow.size(), static_cast<size_t>(kIpUnits - 1));
        std::memset(manual->narrowIpAddress, 0, sizeof(manual->narrowIpAddress));
        std::memcpy(manual->narrowIpAddress, narrow.data(), length);
        addresses[i] = manual->narrowIpAddress;
    }
    return addresses;
}

} // namespace

void ReleaseDiscoveryResults(PrinterTableLists* lists) {
    if (lists->results != nullptr)
        g_discovery.release(lists->resultCount, lists->results);
    lists->results = nullptr;
    lists->resultCount = 0;
}

void ReleaseTableLists(PrinterTableLists* lists) {
    ReleaseDiscoveryResults(lists);
    FreeModelList(lists->models);
    FreeDeliveryNodes(lists->nodes);
    FreeManualPrinters(lists->manualPrinters);
    FreePrinterEntries(lists->entries);
    *lists = PrinterTableLists{};
    ClearDeliveryHistory();
}

bool AddManualPrinter(PrinterTableLists* lists, std::u16string_view address) {
    ManualPrinter** tail = &lists->manualPrinters;
    for (; *tail != nullptr; tail = &(*tail)->next) {
        if (WideText((*tail)->ipAddress) == address)
            return true;
    }
    auto* printer = HeapNew<ManualPrinter>();
    if (printer == nullptr) {
        ShowOutOfMemory();
        return false;
    }
    CopyWideField(printer->ipAddress, kIpUnits, address);
    *tail = printer;
    ++lists->manualCount;
    return true;
}

TableOutcome RunDiscoveryDriver(PrinterTableLists* lists, int versionKind,
                                std::u16string_view community) {
    ReleaseDiscoveryResults(lists);
    const std::string narrowCommunity = WideToNarrow(community);
    const char** addresses = nullptr;
    int mode = kDiscoverBroadcast;
    if (lists->manualPrinters != nullptr && lists->manualCount > 0) {
        // Without the array there is nothing sound to search with; the search counts as failed.
        addresses = NarrowAddresses(lists);
        if (addresses == nullptr)
            return kTableFailed;
        mode = kDiscoverBroadcast | kDiscoverAddresses;
    }
    DiscoveredPrinter* results = nullptr;
    int count = 0;
    const ResultCode code =
        g_discovery.find(versionKind, addresses, addresses != nullptr ? lists->manualCount : 0,
                         lists->models, narrowCommunity.c_str(), mode, &results, &count);
    lists->results = results;
    lists->resultCount = count;
    TableOutcome outcome = kTableFailed;
    if (code != kResultSuccess) {
        bool continueRun = false;
        ReportPrinterResult(code, false, std::u16string(), false, &continueRun);
    } else {
        outcome = BuildPrinterEntries(lists->results, lists->resultCount, lists->manualPrinters,
                                      &lists->entries) != 0
                      ? kTableRebuilt
                      : kTableOutOfMemory;
    }
    HeapFree(static_cast<void*>(addresses));
    return outcome;
}

TableOutcome RebuildPrinterEntries(PrinterTableLists* lists, int versionKind,
                                   std::u16string_view community, const DeliveryNode* ticked) {
    FreePrinterEntries(lists->entries);
    lists->entries = nullptr;
    const TableOutcome outcome = RunDiscoveryDriver(lists, versionKind, community);
    if (outcome != kTableRebuilt)
        return outcome;
    if (MergeDeliveryHistory(&lists->entries) == 0)
        return kTableOutOfMemory;
    RestoreTicks(lists->entries, ticked);
    return kTableRebuilt;
}

DiscoveryFunctions SetDiscoveryFunctions(DiscoveryFunctions functions) {
    const DiscoveryFunctions previous = g_discovery;
    g_discovery = functions;
    return previous;
}
