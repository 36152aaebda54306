#include "discovery/snmp_codec.h"

#include "text/heap.h"
#include "text/notices.h"

#include <cstring>

namespace {

uint8_t g_receiveBuffer[kSnmpReceiveBufferBytes];

constexpr uint8_t kRequestHead[] = {0x30, 0x21, 0x02, 0x01, 0x00, 0x04};

// GetRequest-PDU {request-id 1, error 0, index 0, {{1.3.6.1.2.1.1.1.0, 06 01 00}}}. The value is
// the three bytes 06 01 00 rather than NULL; the lengths around it count those three bytes.
constexpr uint8_t kRequestPdu[] = {0xA0, 0x1A, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01,
                                   0x00, 0x30, 0x0F, 0x30, 0x0D, 0x06, 0x08, 0x2B, 0x06, 0x01,
                                   0x02, 0x01, 0x01, 0x01, 0x00, 0x06, 0x01, 0x00};
static_assert(sizeof(kRequestHead) + kSnmpCommunityMaxBytes + sizeof(kRequestPdu) + 1 ==
              kSnmpRequestBufferBytes);

constexpr uint8_t kGetResponseTag = 0xA2;
constexpr uint8_t kLongForm = 0x80;
constexpr uint8_t kLongFormOneByte = 0x81;

// A cursor over one received datagram. Every byte is checked against the received length
// before it is read, whatever the lengths inside the reply claim.
class ReplyCursor {
  public:
    ReplyCursor(const uint8_t* buffer, size_t length) : m_buffer(buffer), m_length(length) {}

    size_t Position() const { return m_cursor; }
    void MoveTo(size_t position) { m_cursor = position; }

    bool Peek(size_t offset, uint8_t* value) const {
        if (m_cursor + offset >= m_length)
            return false;
        *value = m_buffer[m_cursor + offset];
        return true;
    }

    // Moves past an element by its length byte taken as it stands, then checks that the cursor
    // has not left the datagram (a cursor exactly at its end passes).
    bool Skip() {
        uint8_t length = 0;
        if (!Peek(1, &length))
            return false;
        m_cursor += 2 + size_t{length};
        return m_cursor <= m_length;
    }

    // Header size by the short form or the one-byte long form (81 xx); 0 for any other long
    // form, which only a description over 255 bytes would need.
    size_t HeaderSize(uint8_t lengthByte) const {
        if ((lengthByte & kLongForm) == 0)
            return 2;
        return lengthByte == kLongFormOneByte ? 3 : 0;
    }

    bool PassHeader() {
        uint8_t lengthByte = 0;
        if (!Peek(1, &lengthByte))
            return false;
        const size_t size = HeaderSize(lengthByte);
        m_cursor += size;
        return size != 0;
    }

    const uint8_t* Data() const { return m_buffer; }
    size_t Length() const { return m_length; }

  private:
    const uint8_t* m_buffer;
    size_t m_length;
    size_t m_cursor = 0;
};

// Walks the reply up to the value of the first binding. Returns false for an ignored reply;
// otherwise the value's content is at `start` with `length` bytes, all inside the datagram.
bool LocateDescription(ReplyCursor& reply, size_t* start, size_t* length) {
    // Message header: its tag is not examined.
    if (!reply.PassHeader())
        return false;
    // Version and community are taken as they come.
    if (!reply.Skip() || !reply.Skip())
        return false;
    uint8_t tag = 0;
    if (!reply.Peek(0, &tag) || tag != kGetResponseTag || !reply.PassHeader())
        return false;
    if (!reply.Skip()) // request-id
        return false;
    uint8_t errorStatus = 0;
    if (!reply.Peek(2, &errorStatus) || errorStatus != 0 || !reply.Skip())
        return false;
    if (!reply.Skip()) // error-index
        return false;
    // Binding list, first binding, its name.
    if (!reply.PassHeader() || !reply.PassHeader() || !reply.Skip())
        return false;

    uint8_t lengthByte = 0;
    if (!reply.Peek(1, &lengthByte))
        return false;
    const size_t headerSize = reply.HeaderSize(lengthByte);
    if (headerSize == 0)
        return false;
    *start = reply.Position() + headerSize;
    if (*start > reply.Length())
        return false;
    *length = headerSize == 2 ? lengthByte : reply.Data()[reply.Position() + 2];
    // A value that runs past the datagram is a damaged reply, not a shorter description.
    return *length <= reply.Length() - *start;
}

} // namespace

uint8_t* SnmpReceiveBuffer() {
    return g_receiveBuffer;
}

size_t SnmpBuildRequest(const char* community, uint8_t* out) {
    const char* chosen = community != nullptr ? community : kSnmpDefaultCommunity;
    const size_t n = strnlen(chosen, kSnmpCommunityMaxBytes);
    std::memcpy(out, kRequestHead, sizeof(kRequestHead));
    out[1] = static_cast<uint8_t>(out[1] + n);
    out[6] = static_cast<uint8_t>(n);
    std::memcpy(out + sizeof(kRequestHead) + 1, chosen, n);
    std::memcpy(out + sizeof(kRequestHead) + 1 + n, kRequestPdu, sizeof(kRequestPdu));
    return sizeof(kRequestHead) + 1 + n + sizeof(kRequestPdu);
}

ResultCode SnmpParseResponse(size_t length, char** description) {
    if (length > kSnmpReceiveBufferBytes)
        length = kSnmpReceiveBufferBytes;
    return SnmpParseResponseBytes(g_receiveBuffer, length, description);
}

ResultCode SnmpParseResponseBytes(const uint8_t* buffer, size_t length, char** description) {
    *description = nullptr;
    ReplyCursor reply(buffer, length);
    size_t start = 0;
    size_t valueLength = 0;
    if (!LocateDescription(reply, &start, &valueLength))
        return kResultSuccess;
    auto* block = static_cast<char*>(HeapAllocZero(valueLength + 1));
    if (block == nullptr)
        return kResultOutOfMemory;
    std::memcpy(block, buffer + start, valueLength);
    *description = block;
    return kResultSuccess;
}
