#include "printers/file_handover.h"

namespace {

uint32_t ReadLittleEndian32(std::string_view bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

void AppendLittleEndian32(std::string* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

std::string HandoverPayload(std::u16string_view path) {
    std::string payload;
    payload.reserve(path.size() * 2);
    for (char16_t unit : path) {
        payload.push_back(static_cast<char>(unit & 0xFF));
        payload.push_back(static_cast<char>(unit >> 8));
    }
    return payload;
}

std::optional<std::u16string> HandedOverPath(const void* payload, size_t bytes) {
    if (payload == nullptr || bytes == 0 || bytes % 2 != 0 || bytes / 2 > kHandoverMaxUnits)
        return std::nullopt;
    const auto* data = static_cast<const unsigned char*>(payload);
    std::u16string path(bytes / 2, u'\0');
    for (size_t i = 0; i < path.size(); ++i) {
        path[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        // Windows would cut the path there.
        if (path[i] == u'\0')
            return std::nullopt;
    }
    return path;
}

std::string HandoverFrame(std::u16string_view path) {
    const std::string payload = HandoverPayload(path);
    std::string frame;
    AppendLittleEndian32(&frame, kHandoverTag);
    AppendLittleEndian32(&frame, static_cast<uint32_t>(payload.size()));
    return frame + payload;
}

FrameState ReadHandoverFrame(std::string_view bytes, std::u16string* path) {
    if (bytes.size() >= 4 && ReadLittleEndian32(bytes) != kHandoverTag)
        return FrameState::Malformed;
    if (bytes.size() < kHandoverHeaderBytes)
        return FrameState::Incomplete;
    const uint32_t length = ReadLittleEndian32(bytes.substr(4));
    if (length > 2 * kHandoverMaxUnits || length % 2 != 0)
        return FrameState::Malformed;
    if (bytes.size() < kHandoverHeaderBytes + length)
        return FrameState::Incomplete;
    if (length == 0) {
        path->clear();
        return FrameState::Complete;
    }
    const std::optional<std::u16string> carried =
        HandedOverPath(bytes.data() + kHandoverHeaderBytes, length);
    if (!carried)
        return FrameState::Malformed;
    *path = *carried;
    return FrameState::Complete;
}
