#include "cli/printer_search.h"

#include "cli/console.h"
#include "discovery/description_parser.h"
#include "discovery/discovery.h"
#include "discovery/range_scan.h"
#include "platform/text_convert.h"
#include "printers/printer_table.h"
#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <map>

namespace {

std::string RangeText(const AddressRange& range) {
    return DottedAddress(range.network) + '/' + std::to_string(range.prefixLength);
}

// The addresses and ranges asked with each community: the run's own first (with --address,
// --range and the lines that give none), then each community of the targets file.
std::vector<ScanGroup> ScanGroups(const SearchScope& scope) {
    std::vector<ScanGroup> groups = {{scope.community, {}, scope.ranges}};
    for (const std::string& address : scope.addresses) {
        uint32_t host = 0;
        if (ParseIpv4Address(address, &host))
            groups.front().addresses.push_back(host);
    }
    for (const TargetLine& line : scope.targetLines) {
        const std::string& community = line.ownCommunity ? line.community : scope.community;
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const ScanGroup& g) { return g.community == community; });
        if (group == groups.end())
            group = groups.insert(groups.end(), {community, {}, {}});
        if (line.single)
            group->addresses.push_back(line.range.network);
        else
            group->ranges.push_back(line.range);
    }
    return groups;
}

// "by broadcast, at 2 addresses and in 10.1.0.0/22 and 1 more"
std::string Where(const ScanPlan& plan) {
    size_t addresses = 0;
    std::vector<AddressRange> ranges;
    for (const ScanGroup& group : plan.groups) {
        addresses += group.addresses.size();
        ranges.insert(ranges.end(), group.ranges.begin(), group.ranges.end());
    }
    std::vector<std::string> parts;
    if (plan.broadcast)
        parts.push_back("by broadcast");
    if (addresses > 0)
        parts.push_back("at " + Grouped(addresses) + (addresses > 1 ? " addresses" : " address"));
    if (!ranges.empty())
        parts.push_back(
            "in " + RangeText(ranges.front()) +
            (ranges.size() > 1 ? " and " + std::to_string(ranges.size() - 1) + " more" : ""));
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

// Each address's description as received, as in the printer table.
using Descriptions = std::map<std::u16string, std::u16string>;

// Appends the results as printer-table entries and keeps their descriptions; false after the
// out-of-memory notice.
bool AddEntries(DiscoveredPrinter* list, int count, PrinterEntry** chain,
                Descriptions* descriptions) {
    const int built = BuildPrinterEntries(list, count, nullptr, chain);
    for (int i = 0; i < count && built != 0; ++i)
        if (list[i].wideAddress != nullptr && list[i].wideDescription != nullptr)
            descriptions->emplace(list[i].wideAddress, list[i].wideDescription);
    if (list != nullptr)
        FreeNetworkPrinterList(count, list);
    return built != 0;
}

std::string PartVersion(std::u16string_view description, int versionKind) {
    char16_t* name = nullptr;
    char16_t* version = nullptr;
    SplitDescription(description, versionKind, &name, &version);
    const std::string text = version != nullptr ? Utf8(WideText(version)) : std::string();
    HeapFree(name);
    HeapFree(version);
    return text;
}

PartVersions VersionsOf(std::u16string_view description) {
    return {PartVersion(description, kVersionController), PartVersion(description, kVersionEngine),
            PartVersion(description, kVersionNetwork)};
}

} // namespace

int SearchPrinters(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                   std::vector<FoundPrinter>* found, const SearchWatch& watch) {
    found->clear();
    ScanPlan plan;
    plan.broadcast = scope.broadcast;
    plan.groups = ScanGroups(scope);
    plan.waitMs = scope.waitMs;
    // A range's silent majority would be asked again for nothing, unless asked for.
    plan.addressRetries = scope.retries.value_or(kDefaultAddressRetries);
    plan.rangeRetries = scope.retries.value_or(0);
    const std::string where = Where(plan);
    const auto cancelled = [&](const ScanProgress& progress) {
        if (watch.status)
            watch.status(ScanStatus(where, progress));
        return watch.cancelled != nullptr && watch.cancelled();
    };
    PrinterEntry* chain = nullptr;
    Descriptions descriptions;
    DiscoveredPrinter* list = nullptr;
    int count = 0;
    int result =
        ScanAddresses(versionKind, plan, models, scope.community.c_str(), &list, &count, cancelled);
    if (!AddEntries(list, count, &chain, &descriptions))
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
        const auto description = descriptions.find(std::u16string(WideText(entry->ipAddress)));
        found->push_back(
            {Utf8(WideText(entry->ipAddress)),
             entry->locked ? std::string() : Utf8(WideText(entry->name)),
             version == u"-" ? std::string() : Utf8(version),
             description != descriptions.end() ? VersionsOf(description->second) : PartVersions{},
             LabelOf(scope, Utf8(WideText(entry->ipAddress)))});
    }
    FreePrinterEntries(chain);
    if (result != kResultSuccess)
        found->clear();
    return result;
}

bool RangeHolds(const AddressRange& range, const std::string& address) {
    AddressRange single{0, 32};
    return ParseIpv4Address(address, &single.network) && RangeContains(range, single);
}

std::string LabelOf(const SearchScope& scope, const std::string& address) {
    for (const TargetLine& line : scope.targetLines)
        if (RangeHolds(line.range, address))
            return line.label;
    return {};
}

std::string SearchFailureText(int code) {
    return code == kResultOutOfMemory ? "the search ran out of memory"
                                      : "the search failed (network error)";
}
