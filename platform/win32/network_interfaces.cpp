#include "platform/network_interfaces.h"

#include "platform/win32/ip_helper.h"

#include <algorithm>
#include <vector>

namespace {

// Windows names no broadcast flag: the links that carry one are these kinds, not tunnels or
// dial-up lines.
bool CarriesBroadcast(const IP_ADAPTER_ADDRESSES& adapter) {
    return adapter.IfType == IF_TYPE_ETHERNET_CSMACD || adapter.IfType == IF_TYPE_IEEE80211 ||
           adapter.IfType == IF_TYPE_ISO88025_TOKENRING || adapter.IfType == IF_TYPE_IEEE1394;
}

// The adapters with their IPv4 addresses; empty when the system cannot give them. The list's
// size is only known by asking; it may grow between the two calls.
std::vector<unsigned char> AdapterList(const IpHelper& ipHelper) {
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = ipHelper.getAdaptersAddresses(
            AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
            &size);
    }
    if (result != NO_ERROR)
        buffer.clear();
    return buffer;
}

const IP_ADAPTER_ADDRESSES* FirstAdapter(const std::vector<unsigned char>& buffer) {
    return buffer.empty() ? nullptr : reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
}

} // namespace

std::vector<unsigned> BroadcastInterfaces() {
    std::vector<unsigned> indexes;
    const IpHelper* ipHelper = LoadIpHelper();
    if (ipHelper == nullptr)
        return indexes;
    const std::vector<unsigned char> buffer = AdapterList(*ipHelper);
    for (const IP_ADAPTER_ADDRESSES* adapter = FirstAdapter(buffer); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || !CarriesBroadcast(*adapter) ||
            adapter->FirstUnicastAddress == nullptr || adapter->IfIndex == 0)
            continue;
        const unsigned index = adapter->IfIndex;
        if (std::find(indexes.begin(), indexes.end(), index) == indexes.end())
            indexes.push_back(index);
    }
    return indexes;
}

std::vector<Ipv4Route> Ipv4Routes() {
    std::vector<Ipv4Route> routes;
    const IpHelper* ipHelper = LoadIpHelper();
    if (ipHelper == nullptr)
        return routes;
    // The table's size is only known by asking; it may grow between the two calls.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    DWORD result = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < 3 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        buffer.resize(size);
        result = ipHelper->getIpForwardTable(reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.data()),
                                             &size, FALSE);
    }
    if (result != NO_ERROR)
        return routes;
    const auto* table = reinterpret_cast<const MIB_IPFORWARDTABLE*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IPFORWARDROW& row = table->table[i];
        routes.push_back({ntohl(row.dwForwardDest), ntohl(row.dwForwardMask),
                          row.dwForwardType == MIB_IPROUTE_TYPE_DIRECT});
    }
    return routes;
}
