#pragma once

#include <cstdint>
#include <vector>

// The indexes of the IPv4 interfaces a limited broadcast can leave by: up, broadcast-capable,
// not loopback, and holding an IPv4 address. Each index appears once, in the system's order;
// the list is empty when the system cannot give it.
std::vector<unsigned> BroadcastInterfaces();

// One IPv4 route (host byte order): whether the hosts it covers are reached directly on a link,
// each through an entry of the neighbour table, or through a router.
struct Ipv4Route {
    uint32_t network;
    uint32_t mask;
    bool onLink;
};

// The system's IPv4 routes; empty when the system cannot give them.
std::vector<Ipv4Route> Ipv4Routes();
