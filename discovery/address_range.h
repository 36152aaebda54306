#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An IPv4 network in CIDR notation, "10.20.0.0/22"; addresses in host byte order.
struct AddressRange {
    uint32_t network; // the first address, host bits cleared
    int prefixLength; // kWidestRangePrefix to 32
};

// The widest range asked host by host: a /16 holds 65,534 hosts, about 13 s of requests at the
// scan's pace behind a router, about 3.6 minutes on the computer's own link.
constexpr int kWidestRangePrefix = 16;

enum class RangeText { Valid, NotCidr, TooWide };

// Parses "a.b.c.d/n" (n from kWidestRangePrefix to 32, the address in strict dotted-decimal
// form). Host bits set in the address are cleared. TooWide for a shorter prefix, NotCidr for
// anything else.
RangeText ParseAddressRange(std::string_view text, AddressRange* range);

// How many host addresses the range has: without the network and broadcast addresses, except
// for /31 and /32, which have none to spare. 0 for a range wider than kWidestRangePrefix.
uint32_t HostCount(const AddressRange& range);

// Those host addresses in ascending order; none for a range wider than kWidestRangePrefix.
std::vector<uint32_t> HostAddresses(const AddressRange& range);

// True when every address of `inner` lies in `outer`.
bool RangeContains(const AddressRange& outer, const AddressRange& inner);

// Parses a strict dotted-decimal IPv4 address into host byte order.
bool ParseIpv4Address(std::string_view text, uint32_t* address);

// An address in host byte order as its four bytes in decimal, most significant first.
std::string DottedAddress(uint32_t address);
