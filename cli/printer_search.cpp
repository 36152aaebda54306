#include "cli/printer_search.h"

#include "discovery/discovery.h"
#include "discovery/range_scan.h"
#include "platform/text_convert.h"
#include "printers/printer_table.h"
#include "text/notices.h"

#include <algorithm>
#include <set>

namespace {

// The exchange reads at most 64 sockets; the broadcast takes one of them.
constexpr size_t kAddressesPerSearch = 63;

// Appends the results as printer-table entries; false after the out-of-memory notice.
bool AddEntries(DiscoveredPrinter* list, int count, PrinterEntry** chain) {
    const int built = BuildPrinterEntries(list, count, nullptr, chain);
    if (list != nullptr)
        FreeNetworkPrinterList(count, list);
    return built != 0;
}

int SearchByExchange(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                     PrinterEntry** chain, bool (*cancelled)()) {
    std::vector<const char*> addresses;
    for (const std::string& address : scope.addresses)
        addresses.push_back(address.c_str());
    bool broadcast = scope.broadcast;
    for (size_t first = 0; broadcast || first < addresses.size(); first += kAddressesPerSearch) {
        if (cancelled != nullptr && cancelled())
            return kResultCancelled;
        const size_t batch = std::min(kAddressesPerSearch, addresses.size() - first);
        const int mode =
            (broadcast ? kDiscoverBroadcast : 0) | (batch > 0 ? kDiscoverAddresses : 0);
        DiscoveredPrinter* list = nullptr;
        int count = 0;
        const int result = FindNetworkPrinters(
            versionKind, batch > 0 ? addresses.data() + first : nullptr, static_cast<int>(batch),
            models, scope.community.c_str(), mode, &list, &count);
        if (!AddEntries(list, count, chain))
            return kResultOutOfMemory;
        if (result != kResultSuccess)
            return result;
        broadcast = false;
    }
    return kResultSuccess;
}

} // namespace

int SearchPrinters(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                   std::vector<FoundPrinter>* found, bool (*cancelled)()) {
    found->clear();
    PrinterEntry* chain = nullptr;
    int result = SearchByExchange(scope, versionKind, models, &chain, cancelled);
    if (result == kResultSuccess && !scope.ranges.empty()) {
        DiscoveredPrinter* list = nullptr;
        int count = 0;
        result = ScanAddressRanges(versionKind, scope.ranges, models, scope.community.c_str(),
                                   &list, &count, cancelled);
        if (!AddEntries(list, count, &chain))
            result = kResultOutOfMemory;
    }
    // A Ctrl-C during the last window of the exchange counts as well.
    if (result == kResultSuccess && cancelled != nullptr && cancelled())
        result = kResultCancelled;
    std::vector<const PrinterEntry*> rows;
    std::set<QString> seen;
    for (const PrinterEntry* entry = chain; entry != nullptr; entry = entry->next) {
        // The first answer from an address wins, as in the exchange itself.
        if (seen.insert(WideText(entry->ipAddress).toString()).second)
            rows.push_back(entry);
    }
    const SortParams byAddress{1, IsTextColumn(1), 1};
    std::stable_sort(rows.begin(), rows.end(), [&](const PrinterEntry* a, const PrinterEntry* b) {
        return ComparePrinterRows(a, b, byAddress) < 0;
    });
    for (const PrinterEntry* entry : rows) {
        // The table locks exactly the rows of printers without a name, and shows "-" for them.
        const QStringView version = WideText(entry->versionText);
        found->push_back({WideText(entry->ipAddress).toString(),
                          entry->locked ? QString() : WideText(entry->name).toString(),
                          version == u"-" ? QString() : version.toString()});
    }
    FreePrinterEntries(chain);
    if (result != kResultSuccess)
        found->clear();
    return result;
}

QString SearchFailureText(int code) {
    return code == kResultOutOfMemory ? QStringLiteral("the search ran out of memory")
                                      : QStringLiteral("the search failed (network error)");
}
