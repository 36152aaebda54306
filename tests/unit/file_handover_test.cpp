#include "printers/file_handover.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Bytes as a second start of another build, or another program, might send them.
std::string Header(uint32_t tag, uint32_t length) {
    std::string bytes;
    for (uint32_t value : {tag, length}) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return bytes;
}

const std::u16string kLongest =
    u"C:\\" + std::u16string(kHandoverMaxUnits - 7, u'\u00e9') + u".rvk";

TEST(HandoverFrame, ReadAsSentOrRefused) {
    struct {
        const char* why;
        std::string bytes;
        FrameState state;
        std::u16string path = {}; // when Complete
    } const rows[] = {
        {"the longest path", HandoverFrame(kLongest), FrameState::Complete, kLongest},
        {"surrogate pair", HandoverFrame(u"C:\\\U0001F5A8.rvk"), FrameState::Complete,
         u"C:\\\U0001F5A8.rvk"},
        {"no path: only the window asked for", HandoverFrame(u""), FrameState::Complete, u""},
        {"half a header", HandoverFrame(u"/b.rvk").substr(0, 6), FrameState::Incomplete},
        {"payload still coming", HandoverFrame(u"/b.rvk").substr(0, 13), FrameState::Incomplete},
        {"another tag", Header(0x31564C55, 2) + "a", FrameState::Malformed},
        {"one unit more than the slot, refused before it arrives",
         Header(kHandoverTag, 2 * (kHandoverMaxUnits + 1)), FrameState::Malformed},
        {"odd length", Header(kHandoverTag, 3) + "abc", FrameState::Malformed},
        {"NUL inside the path", Header(kHandoverTag, 4) + std::string("a\0\0\0", 4),
         FrameState::Malformed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        std::u16string path = u"untouched";
        EXPECT_EQ(ReadHandoverFrame(row.bytes, &path), row.state);
        EXPECT_EQ(path, row.state == FrameState::Complete ? row.path : u"untouched");
    }
}

} // namespace
