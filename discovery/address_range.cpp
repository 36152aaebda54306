#include "discovery/address_range.h"

#include <arpa/inet.h>

#include <charconv>
#include <string>

bool ParseIpv4Address(std::string_view text, uint32_t* address) {
    // inet_pton takes exactly four decimal parts, unlike inet_addr, which also reads octal,
    // hexadecimal and shortened forms.
    in_addr parsed{};
    if (text.size() > 15 || ::inet_pton(AF_INET, std::string(text).c_str(), &parsed) != 1)
        return false;
    *address = ntohl(parsed.s_addr);
    return true;
}

bool ParseAddressRange(std::string_view text, AddressRange* range) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    uint32_t address = 0;
    if (!ParseIpv4Address(text.substr(0, slash), &address))
        return false;
    const std::string_view prefix = text.substr(slash + 1);
    int length = -1;
    const auto [end, error] = std::from_chars(prefix.data(), prefix.data() + prefix.size(), length);
    if (prefix.empty() || prefix.size() > 2 || error != std::errc() ||
        end != prefix.data() + prefix.size() || length < 0 || length > 32)
        return false;
    const uint32_t mask = length == 0 ? 0 : ~uint32_t{0} << (32 - length);
    range->network = address & mask;
    range->prefixLength = length;
    return true;
}

std::vector<uint32_t> HostAddresses(const AddressRange& range) {
    const uint64_t size = uint64_t{1} << (32 - range.prefixLength);
    uint64_t first = range.network;
    uint64_t last = first + size - 1;
    if (size > 2) {
        ++first;
        --last;
    }
    std::vector<uint32_t> hosts;
    hosts.reserve(static_cast<size_t>(last - first + 1));
    for (uint64_t host = first; host <= last; ++host)
        hosts.push_back(static_cast<uint32_t>(host));
    return hosts;
}
