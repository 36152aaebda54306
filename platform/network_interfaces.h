#pragma once

#include <vector>

// The indexes of the IPv4 interfaces a limited broadcast can leave by: up, broadcast-capable,
// not loopback, and holding an IPv4 address. Each index appears once, in the system's order;
// the list is empty when the system cannot give it.
std::vector<unsigned> BroadcastInterfaces();
