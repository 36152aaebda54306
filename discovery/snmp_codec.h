#pragma once

#include "text/result_code.h"

#include <cstddef>
#include <cstdint>

// SNMPv1 GetRequest for sysDescr.0 and the matching GetResponse decoder.

constexpr size_t kSnmpReceiveBufferBytes = 1280;
constexpr size_t kSnmpRequestBufferBytes = 67; // 35 bytes of frame + a 32-byte community
constexpr size_t kSnmpCommunityMaxBytes = 32;
constexpr char kSnmpDefaultCommunity[] = "orchid";

// The one receive buffer of discovery; only the main thread runs discovery, so it is not locked.
uint8_t* SnmpReceiveBuffer();

// Writes the request for `community` (nullptr: the default community; "" stays empty) into
// `out`, which holds kSnmpRequestBufferBytes; returns its length, 35 + community length.
// Communities longer than 32 bytes are cut to 32.
size_t SnmpBuildRequest(const char* community, uint8_t* out);

// Decodes the first `length` bytes of the receive buffer. Returns kResultSuccess with
// *description set to a heap block (the value bytes and a terminator, at most 255 + 1 bytes)
// when the reply was decoded or with nullptr when it is ignored, kResultOutOfMemory when the
// block cannot be allocated.
ResultCode SnmpParseResponse(size_t length, char** description);

// The same over any buffer; never reads at or beyond buffer[length].
ResultCode SnmpParseResponseBytes(const uint8_t* buffer, size_t length, char** description);
