#include "platform/network_interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/route.h>
#include <sys/socket.h>

#include <algorithm>
#include <fstream>
#include <sstream>
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

std::vector<Ipv4Route> Ipv4Routes() {
    std::vector<Ipv4Route> routes;
    // One line per route after a heading: interface, destination, gateway, flags, ..., mask, all
    // numbers in hexadecimal, addresses as the 32 bits in network order.
    std::ifstream table("/proc/net/route");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string name;
        unsigned long destination = 0, gateway = 0, flags = 0, skip = 0, mask = 0;
        fields >> name >> std::hex >> destination >> gateway >> flags >> skip >> skip >> skip >>
            mask;
        if (!fields || (flags & RTF_UP) == 0)
            continue;
        routes.push_back({ntohl(static_cast<uint32_t>(destination)),
                          ntohl(static_cast<uint32_t>(mask)), (flags & RTF_GATEWAY) == 0});
    }
    return routes;
}
