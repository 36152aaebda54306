#include "discovery/snmp_codec.h"
#include "tests/support/heap_guard.h"
#include "tests/unit/snmp_test_replies.h"
#include "text/heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

using snmp_test::Bytes;
using snmp_test::Concat;
using snmp_test::Reply;
using snmp_test::Text;
using snmp_test::Tlv;

const Bytes kRequestPdu{0xA0, 0x1A, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01,
                        0x00, 0x30, 0x0F, 0x30, 0x0D, 0x06, 0x08, 0x2B, 0x06, 0x01,
                        0x02, 0x01, 0x01, 0x01, 0x00, 0x06, 0x01, 0x00};

Bytes BuildRequest(const char* community) {
    Bytes out(kSnmpRequestBufferBytes, 0xEE);
    out.resize(SnmpBuildRequest(community, out.data()));
    return out;
}

// Decodes from an exactly sized heap copy, so a read past the end is caught by ASan.
std::optional<std::string> Decode(const Bytes& reply, size_t length) {
    auto copy = std::make_unique<uint8_t[]>(length == 0 ? 1 : length);
    std::memcpy(copy.get(), reply.data(), length);
    char* description = nullptr;
    EXPECT_EQ(SnmpParseResponseBytes(copy.get(), length, &description), 0);
    if (description == nullptr)
        return std::nullopt;
    std::string text(description);
    HeapFree(description);
    return text;
}

std::optional<std::string> Decode(const Bytes& reply) {
    return Decode(reply, reply.size());
}

TEST(SnmpRequest, EmptyCommunityStaysEmpty) {
    const Bytes expected = Concat({{0x30, 0x21, 0x02, 0x01, 0x00, 0x04, 0x00}, kRequestPdu});
    EXPECT_EQ(BuildRequest(""), expected);
}

TEST(SnmpRequest, NoCommunityUsesOrchid) {
    const Bytes expected =
        Concat({{0x30, 0x27, 0x02, 0x01, 0x00, 0x04, 0x06}, Text("orchid"), kRequestPdu});
    EXPECT_EQ(BuildRequest(nullptr), expected);
}

TEST(SnmpRequest, LongestCommunityFillsTheBuffer) {
    const std::string community(32, 'c');
    const Bytes expected =
        Concat({{0x30, 0x41, 0x02, 0x01, 0x00, 0x04, 0x20}, Text(community), kRequestPdu});
    EXPECT_EQ(BuildRequest(community.c_str()), expected);
}

TEST(SnmpRequest, OverlongCommunityIsCutToTheLimit) {
    const std::string community = std::string(32, 'c') + "overflow";
    const Bytes request = BuildRequest(community.c_str());
    ASSERT_EQ(request.size(), kSnmpRequestBufferBytes);
    EXPECT_EQ(request[6], 0x20);
}

struct ReplyCase {
    const char* why;
    Bytes reply;
    std::optional<std::string> description;
};

Bytes OctetString200() {
    Bytes value{0x04, 0x81, 0xC8};
    for (int i = 0; i < 200; ++i)
        value.push_back(static_cast<uint8_t>('a' + i % 26));
    return value;
}

// A reply assembled by hand around a given value element and message header form.
Bytes ReplyWithValue(const Bytes& value, bool longMessageHeader = false) {
    const Bytes binding = Concat({Tlv(0x06, snmp_test::kSysDescrOid), value});
    const Bytes pdu = Tlv(0xA2, Concat({Tlv(0x02, {1}), Tlv(0x02, {0}), Tlv(0x02, {0}),
                                        Tlv(0x30, Tlv(0x30, binding))}));
    const Bytes body = Concat({Tlv(0x02, {0}), Tlv(0x04, Text("orchid")), pdu});
    if (!longMessageHeader)
        return Tlv(0x30, body);
    return Concat({{0x30, 0x81, static_cast<uint8_t>(body.size())}, body});
}

Bytes Tail(const Bytes& bytes, size_t from) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
}

std::string Letters200() {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

TEST(SnmpReply, DecodesOrIgnoresByShape) {
    const ReplyCase cases[] = {
        {"ordinary reply", Reply("Korvil 2950MFP-N"), "Korvil 2950MFP-N"},
        {"GetRequest PDU is not an answer", Reply("x", {.pduTag = 0xA0}), std::nullopt},
        {"trap PDU is not an answer", Reply("x", {.pduTag = 0xA4}), std::nullopt},
        {"noSuchName error", Reply("Korvil 2950MFP-N", {.errorStatus = 2}), std::nullopt},
        {"request-id and community are not checked",
         Reply("Korvil", {.requestId = 77, .community = "public"}), "Korvil"},
        {"empty value is an empty description", Reply(""), ""},
        {"81 C8 value length", ReplyWithValue(OctetString200()), Letters200()},
        {"30 81 message header", ReplyWithValue(Tlv(0x04, Text("abc")), true), "abc"},
        {"value type is not checked", ReplyWithValue(Tlv(0x02, Text("42"))), "42"},
        {"zero byte inside the value ends the text", Reply(std::string_view("ab\0cd", 5)), "ab"},
        {"value of 255 bytes", Reply(std::string(255, 'z')), std::string(255, 'z')},
        // Length forms beyond 81 xx only appear for descriptions over 255 bytes.
        {"82 long form on the value", ReplyWithValue({0x04, 0x82, 0x00, 0x01, 'a'}), std::nullopt},
        {"80 length byte on the value", ReplyWithValue({0x04, 0x80, 'a', 0x00, 0x00}),
         std::nullopt},
        {"82 long form on the message header", Concat({{0x30, 0x82, 0x00}, Tail(Reply("abc"), 2)}),
         std::nullopt},
        // A value that claims more bytes than arrived is a damaged reply, not a short name.
        {"value runs past the datagram", ReplyWithValue({0x04, 0x05, 'a', 'b'}), std::nullopt},
        {"long-form value runs past the datagram", ReplyWithValue({0x04, 0x81, 0x90, 'a'}),
         std::nullopt},
        {"community length beyond the datagram", Bytes{0x30, 0x10, 0x02, 0x01, 0x00, 0x04, 0x7F},
         std::nullopt},
        {"one byte", Bytes{0x30}, std::nullopt},
    };
    HeapLeakGuard guard;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Decode(c.reply), c.description);
    }
}

TEST(SnmpReply, ACutReplyIsIgnoredAtEveryLength) {
    const Bytes replies[] = {
        Reply("Korvil 2950MFP-N"),
        ReplyWithValue(OctetString200(), true),
        Reply(""),
    };
    HeapLeakGuard guard;
    for (const Bytes& reply : replies) {
        ASSERT_TRUE(Decode(reply).has_value());
        for (size_t length = 0; length < reply.size(); ++length) {
            SCOPED_TRACE(length);
            EXPECT_EQ(Decode(reply, length), std::nullopt);
        }
    }
}

TEST(SnmpReply, ReadsTheSharedReceiveBuffer) {
    HeapLeakGuard guard;
    const Bytes reply = Reply("Korvil 2950MFP-D");
    // Bytes after the datagram's length are left from an earlier, longer datagram.
    std::memset(SnmpReceiveBuffer(), 0x41, kSnmpReceiveBufferBytes);
    std::memcpy(SnmpReceiveBuffer(), reply.data(), reply.size());
    char* description = nullptr;
    ASSERT_EQ(SnmpParseResponse(reply.size(), &description), 0);
    ASSERT_NE(description, nullptr);
    EXPECT_STREQ(description, "Korvil 2950MFP-D");
    HeapFree(description);
    EXPECT_EQ(SnmpParseResponse(reply.size() - 1, &description), 0);
    EXPECT_EQ(description, nullptr);
}

TEST(SnmpReply, OutOfMemoryGivesNoDescription) {
    HeapLeakGuard guard;
    const Bytes reply = Reply("Korvil 2950MFP-D");
    char* description = reinterpret_cast<char*>(1);
    AllocationHook::FailNth(1);
    EXPECT_EQ(SnmpParseResponseBytes(reply.data(), reply.size(), &description), 5);
    EXPECT_EQ(description, nullptr);
}

} // namespace
