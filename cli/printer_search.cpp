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
#include <set>

namespace {

// The exchange reads at most 64 sockets; the broadcast takes one of them.
constexpr size_t kAddressesPerSearch = 63;

// Each address's description as received, the first answer's as in the printer table.
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

std::string RangeText(const AddressRange& range) {
    return AddressText(range.network) + '/' + std::to_string(range.prefixLength);
}

// The addresses and ranges asked with one community; the run's own comes first and alone
// carries the broadcast.
struct CommunityGroup {
    std::string community;
    std::vector<std::string> addresses;
    std::vector<AddressRange> ranges;
};

std::vector<CommunityGroup> CommunityGroups(const SearchScope& scope) {
    std::vector<CommunityGroup> groups = {{scope.community, scope.addresses, scope.ranges}};
    for (const TargetLine& line : scope.targetLines) {
        const std::string& community = line.ownCommunity ? line.community : scope.community;
        auto group = std::find_if(groups.begin(), groups.end(), [&](const CommunityGroup& g) {
            return g.community == community;
        });
        if (group == groups.end())
            group = groups.insert(groups.end(), {community, {}, {}});
        const std::string address = AddressText(line.range.network);
        if (!line.single)
            group->ranges.push_back(line.range);
        else if (std::find(group->addresses.begin(), group->addresses.end(), address) ==
                 group->addresses.end())
            group->addresses.push_back(address);
    }
    return groups;
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

int SearchByExchange(const CommunityGroup& group, bool withBroadcast, int versionKind,
                     const ModelListEntry* models, PrinterEntry** chain, Descriptions* descriptions,
                     const SearchWatch& watch) {
    std::vector<const char*> addresses;
    for (const std::string& address : group.addresses)
        addresses.push_back(address.c_str());
    bool broadcast = withBroadcast;
    for (size_t first = 0; broadcast || first < addresses.size(); first += kAddressesPerSearch) {
        if (watch.cancelled != nullptr && watch.cancelled())
            return kResultCancelled;
        const size_t batch = std::min(kAddressesPerSearch, addresses.size() - first);
        if (watch.status)
            watch.status(ExchangeStatus(withBroadcast, first + batch, addresses.size()));
        const int mode =
            (broadcast ? kDiscoverBroadcast : 0) | (batch > 0 ? kDiscoverAddresses : 0);
        DiscoveredPrinter* list = nullptr;
        int count = 0;
        const int result = FindNetworkPrinters(
            versionKind, batch > 0 ? addresses.data() + first : nullptr, static_cast<int>(batch),
            models, group.community.c_str(), mode, &list, &count);
        if (!AddEntries(list, count, chain, descriptions))
            return kResultOutOfMemory;
        if (result != kResultSuccess)
            return result;
        broadcast = false;
    }
    return kResultSuccess;
}

// Searches one community's addresses and ranges into the chain.
int SearchGroup(const CommunityGroup& group, bool broadcast, int versionKind,
                const ModelListEntry* models, PrinterEntry** chain, Descriptions* descriptions,
                const SearchWatch& watch) {
    int result =
        SearchByExchange(group, broadcast, versionKind, models, chain, descriptions, watch);
    if (result != kResultSuccess || group.ranges.empty())
        return result;
    DiscoveredPrinter* list = nullptr;
    int count = 0;
    const auto cancelled = [&](const ScanProgress& progress) {
        if (watch.status)
            watch.status(ScanStatus(group.ranges, progress));
        return watch.cancelled != nullptr && watch.cancelled();
    };
    result = ScanAddressRanges(versionKind, group.ranges, models, group.community.c_str(), &list,
                               &count, cancelled);
    return AddEntries(list, count, chain, descriptions) ? result : kResultOutOfMemory;
}

} // namespace

int SearchPrinters(const SearchScope& scope, int versionKind, const ModelListEntry* models,
                   std::vector<FoundPrinter>* found, const SearchWatch& watch) {
    found->clear();
    PrinterEntry* chain = nullptr;
    Descriptions descriptions;
    const std::vector<CommunityGroup> groups = CommunityGroups(scope);
    int result = kResultSuccess;
    for (size_t i = 0; i < groups.size() && result == kResultSuccess; ++i)
        result = SearchGroup(groups[i], i == 0 && scope.broadcast, versionKind, models, &chain,
                             &descriptions, watch);
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

std::string AddressText(uint32_t a) {
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xFF) + '.' +
           std::to_string((a >> 8) & 0xFF) + '.' + std::to_string(a & 0xFF);
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
