#include "discovery/address_range.h"

#include <charconv>
#include <string>

bool ParseIpv4Address(std::string_view text, uint32_t* address) {
    // Exactly four decimal parts from 0 to 255, none with a leading zero, the same on every
    // system: no octal, hexadecimal or shortened forms, which inet_addr would also read.
    uint32_t value = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.')
                return false;
            text.remove_prefix(1);
        }
        unsigned number = 0;
        const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
        const size_t digits = static_cast<size_t>(end - text.data());
        if (failure != std::errc() || digits > 3 || number > 255 || (digits > 1 && text[0] == '0'))
            return false;
        value = (value << 8) | number;
        text.remove_prefix(digits);
    }
    if (!text.empty())
        return false;
    *address = value;
    return true;
}

namespace {

uint32_t Mask(int prefixLength) {
    return prefixLength == 0 ? 0 : ~uint32_t{0} << (32 - prefixLength);
}

bool Listable(const AddressRange& range) {
    return range.prefixLength >= kWidestRangePrefix && range.prefixLength <= 32;
}

} // namespace

RangeText ParseAddressRange(std::string_view text, AddressRange* range) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return RangeText::NotCidr;
    uint32_t address = 0;
    if (!ParseIpv4Address(text.substr(0, slash), &address))
        return RangeText::NotCidr;
    const std::string_view prefix = text.substr(slash + 1);
    int length = -1;
    const auto [end, error] = std::from_chars(prefix.data(), prefix.data() + prefix.size(), length);
    if (prefix.empty() || prefix.size() > 2 || error != std::errc() ||
        end != prefix.data() + prefix.size() || length < 0 || length > 32)
        return RangeText::NotCidr;
    if (length < kWidestRangePrefix)
        return RangeText::TooWide;
    range->network = address & Mask(length);
    range->prefixLength = length;
    return RangeText::Valid;
}

uint32_t HostCount(const AddressRange& range) {
    if (!Listable(range))
        return 0;
    const uint32_t size = uint32_t{1} << (32 - range.prefixLength);
    return size > 2 ? size - 2 : size;
}

std::vector<uint32_t> HostAddresses(const AddressRange& range) {
    const uint32_t count = HostCount(range);
    const uint32_t first = range.network + (range.prefixLength < 31 ? 1 : 0);
    std::vector<uint32_t> hosts;
    hosts.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        hosts.push_back(first + i);
    return hosts;
}

bool RangeContains(const AddressRange& outer, const AddressRange& inner) {
    return outer.prefixLength <= inner.prefixLength &&
           (inner.network & Mask(outer.prefixLength)) == outer.network;
}

std::string DottedAddress(uint32_t address) {
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.' +
           std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}
