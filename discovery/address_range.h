#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// An IPv4 network in CIDR notation, "10.20.0.0/22"; addresses in host byte order.
struct AddressRange {
    uint32_t network; // the first address, host bits cleared
    int prefixLength; // 0 to 32
};

// Parses "a.b.c.d/n" (n from 0 to 32, the address in strict dotted-decimal form). Host bits
// set in the address are cleared. False for anything else.
bool ParseAddressRange(std::string_view text, AddressRange* range);

// The host addresses of the range in ascending order: without the network and broadcast
// addresses, except for /31 and /32, which have none to spare.
std::vector<uint32_t> HostAddresses(const AddressRange& range);

// Parses a strict dotted-decimal IPv4 address into host byte order.
bool ParseIpv4Address(std::string_view text, uint32_t* address);
