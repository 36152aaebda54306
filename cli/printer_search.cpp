#include "cli/printer_search.h"

#include "cli/console.h"
#include "discovery/discovery.h"
#include "discovery/range_scan.h"
#include "platform/text_convert.h"
#include "printers/printer_table.h"
#include "text/notices.h"

#include <algorithm>

namespace {

std::string RangeText(const AddressRange& range) {
    const uint32_t a = range.network;
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xFF) + '.' +
           std::to_string((a >> 8) & 0xFF) + '.' + std::to_string(a & 0xFF) + '/' +
           std::to_string(range.prefixLength);
}

// "by broadcast, at 2 addresses and in 10.1.0.0/22 and 1 more"
std::string Where(const SearchScope& scope) {
    std::vector<std::string> parts;
    if (scope.broadcast)
        parts.push_back("by broadcast");
    if (!scope.addresses.empty())
        parts.push_back("at " + Grouped(scope.addresses.size()) +
                        (scope.addresses.size() > 1 ? " addresses" : " address"));
    if (!scope.ranges.empty())
        parts.push_back("in " + RangeText(scope.ranges.front()) +
                        (scope.ranges.size() > 1
                             ? " and " + std::to_string(scope.ranges.size() - 1) + " more"
                             : ""));
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return text;
}

std::string ScanStatus(const std::string& where, const ScanProgress& progress) {
    return "searching " + where + ": " + Grouped(progress.asked) + " of " +
           Grouped(progress.hosts) +
           (progress.round > 0 ? " silent ones asked again, " : " asked, ") +
           Grouped(progress.answered) + " answered";
}

// Appends the results as printer-table entries; false after the out-of-memory notice.
bool AddEntries(DiscoveredPrinter* list, int count, PrinterEntry** chain) {
    const int built = BuildPrinterEntries(list, count, nullptr, chain);
    if (list != nullptr)
        FreeNetworkPrinterList(count, list);
    return built != 0;
}

} // namespace

int SearchPrinters(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                   std::vector<FoundPrinter>* found, const SearchWatch& watch) {
    found->clear();
    ScanPlan plan;
    plan.broadcast = scope.broadcast;
    for (const std::string& address : scope.addresses) {
        uint32_t host = 0;
        if (ParseIpv4Address(address, &host))
            plan.addresses.push_back(host);
    }
    plan.ranges = scope.ranges;
    plan.waitMs = scope.waitMs;
    // A range's silent majority would be asked again for nothing, unless asked for.
    plan.addressRetries = scope.retries.value_or(kDefaultAddressRetries);
    plan.rangeRetries = scope.retries.value_or(0);
    const std::string where = Where(scope);
    const auto cancelled = [&](const ScanProgress& progress) {
        if (watch.status)
            watch.status(ScanStatus(where, progress));
        return watch.cancelled != nullptr && watch.cancelled();
    };
    PrinterEntry* chain = nullptr;
    DiscoveredPrinter* list = nullptr;
    int count = 0;
    int result =
        ScanAddresses(versionKind, plan, models, scope.community.c_str(), &list, &count, cancelled);
    if (!AddEntries(list, count, &chain))
        result = kResultOutOfMemory;
    // A Ctrl-C during the last wait counts as well.
    if (result == kResultSuccess && watch.cancelled != nullptr && watch.cancelled())
        result = kResultCancelled;
    // The scan keeps one answer per address, so each printer is one row.
    std::vector<const PrinterEntry*> rows;
    for (const PrinterEntry* entry = chain; entry != nullptr; entry = entry->next)
        rows.push_back(entry);
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
