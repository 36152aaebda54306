#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// SNMP replies built by the tests themselves, independent of the codec under test.
namespace snmp_test {

using Bytes = std::vector<uint8_t>;

// One element; lengths above 127 use the one-byte long form (81 xx).
inline Bytes Tlv(uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    if (content.size() > 127)
        out.push_back(0x81);
    out.push_back(static_cast<uint8_t>(content.size()));
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

struct ReplyShape {
    uint8_t pduTag = 0xA2;
    uint8_t errorStatus = 0;
    uint8_t requestId = 1;
    std::string_view community = "orchid";
};

inline const Bytes kSysDescrOid{0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00};

// A GetResponse whose first binding carries `description` as an OCTET STRING.
inline Bytes Reply(std::string_view description, const ReplyShape& shape = {}) {
    const Bytes binding =
        Tlv(0x30, Concat({Tlv(0x06, kSysDescrOid), Tlv(0x04, Text(description))}));
    const Bytes pdu =
        Tlv(shape.pduTag, Concat({Tlv(0x02, {shape.requestId}), Tlv(0x02, {shape.errorStatus}),
                                  Tlv(0x02, {0}), Tlv(0x30, binding)}));
    return Tlv(0x30, Concat({Tlv(0x02, {0}), Tlv(0x04, Text(shape.community)), pdu}));
}

} // namespace snmp_test
