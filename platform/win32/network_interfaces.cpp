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

} // namespace

std::vector<unsigned> BroadcastInterfaces() {
    std::vector<unsigned> indexes;
    const IpHelper* ipHelper = LoadIpHelper();
    if (ipHelper == nullptr)
        return indexes;
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list's size is only known by asking; it may grow between the two calls.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = ipHelper->getAdaptersAddresses(
            AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
            &size);
    }
    if (result != NO_ERROR)
        return indexes;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || !CarriesBroadcast(*adapter) ||
            adapter->FirstUnicastAddress == nullptr || adapter->IfIndex == 0)
            continue;
        const unsigned index = adapter->IfIndex;
        if (std::find(indexes.begin(), indexes.end(), index) == indexes.end())
            indexes.push_back(index);
    }
    return indexes;
}
