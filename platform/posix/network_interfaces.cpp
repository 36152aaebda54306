#include "platform/network_interfaces.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <string>

std::vector<unsigned> BroadcastInterfaces() {
    std::vector<unsigned> indexes;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return indexes;
    constexpr unsigned kWanted = IFF_UP | IFF_BROADCAST;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & kWanted) != kWanted || (entry->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        // An address with a label ("eth0:1") is listed under it; the device is the part before
        // the colon.
        const std::string name(entry->ifa_name);
        const unsigned index = ::if_nametoindex(name.substr(0, name.find(':')).c_str());
        if (index != 0 && std::find(indexes.begin(), indexes.end(), index) == indexes.end())
            indexes.push_back(index);
    }
    ::freeifaddrs(list);
    return indexes;
}
