#include "cli/printer_search.h"

#include "cli/console.h"
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

std::string RangeText(const AddressRange& range) {
    const uint32_t a = range.network;
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xFF) + '.' +
           std::to_string((a >> 8) & 0xFF) + '.' + std::to_string(a & 0xFF) + '/' +
           std::to_string(range.prefixLength);
}

// "by broadcast and at 300 addresses: 126 of 300 asked"; the count only when it takes several
// exchanges.
std::string ExchangeStatus(bool broadcast, size_t asked, size_t addresses) {
    std::string text = "searching ";
    if (broadcast)
        text += "by broadcast";
    if (broadcast && addresses > 0)
        text += " and ";
    if (addresses > 0)
        text += "at " + Grouped(addresses) + (addresses > 1 ? " addresses" : " address");
    if (addresses > kAddressesPerSearch)
        text += ": " + Grouped(asked) + " of " + Grouped(addresses) + " asked";
    return text;
}

std::string ScanStatus(const std::vector<AddressRange>& ranges, const ScanProgress& progress) {
    std::string where = RangeText(ranges.front());
    if (ranges.size() > 1)
        where += " and " + std::to_string(ranges.size() - 1) + " more";
    return "searching " + where + ": " + Grouped(progress.asked) + " of " +
           Grouped(progress.hosts) + " asked, " + Grouped(progress.answered) + " answered";
}

int SearchByExchange(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                     PrinterEntry** chain, const SearchWatch& watch) {
    std::vector<const char*> addresses;
    for (const std::string& address : scope.addresses)
        addresses.push_back(address.c_str());
    bool broadcast = scope.broadcast;
    for (size_t first = 0; broadcast || first < addresses.size(); first += kAddressesPerSearch) {
        if (watch.cancelled != nullptr && watch.cancelled())
            return kResultCancelled;
        const size_t batch = std::min(kAddressesPerSearch, addresses.size() - first);
        if (watch.status)
            watch.status(ExchangeStatus(scope.broadcast, first + batch, addresses.size()));
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
                   std::vector<FoundPrinter>* found, const SearchWatch& watch) {
    found->clear();
    PrinterEntry* chain = nullptr;
    int result = SearchByExchange(scope, versionKind, models, &chain, watch);
    if (result == kResultSuccess && !scope.ranges.empty()) {
        DiscoveredPrinter* list = nullptr;
        int count = 0;
        const auto cancelled = [&](const ScanProgress& progress) {
            if (watch.status)
                watch.status(ScanStatus(scope.ranges, progress));
            return watch.cancelled != nullptr && watch.cancelled();
        };
        result = ScanAddressRanges(versionKind, scope.ranges, models, scope.community.c_str(),
                                   &list, &count, cancelled);
        if (!AddEntries(list, count, &chain))
            result = kResultOutOfMemory;
    }
    // A Ctrl-C during the last window of the exchange counts as well.
    if (result == kResultSuccess && watch.cancelled != nullptr && watch.cancelled())
        result = kResultCancelled;
    std::vector<const PrinterEntry*> rows;
    std::set<std::u16string_view> seen;
    for (const PrinterEntry* entry = chain; entry != nullptr; entry = entry->next) {
        // The first answer from an address wins, as in the exchange itself.
        if (seen.insert(WideText(entry->ipAddress)).second)
            rows.push_back(entry);
    }
    const SortParams byAddress{1, IsTextColumn(1), 1};
    std::stable_sort(rows.begin(), rows.end(), [&](const PrinterEntry* a, const PrinterEntry* b) {
        return ComparePrinterRows(a, b, byAddress) < 0;
    });
    for (const PrinterEntry* entry : rows) {
        // The table locks exactly the rows of printers without a name, and shows "-" for them.
        const std::u16string_view version = WideText(entry->versionText);
        found->push_back({Utf8(WideText(entry->ipAddress)),
                          entry->locked ? std::string() : Utf8(WideText(entry->name)),
                          version == u"-" ? std::string() : Utf8(version)});
    }
    FreePrinterEntries(chain);
    if (result != kResultSuccess)
        found->clear();
    return result;
}

std::string SearchFailureText(int code) {
    return code == kResultOutOfMemory ? "the search ran out of memory"
                                      : "the search failed (network error)";
}
