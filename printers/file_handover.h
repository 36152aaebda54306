#pragma once

#include "delivery/backup_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A second start hands the backup file named on its command line to the running window. The
// message carries the path's UTF-16 code units, little-endian, and nothing else: no terminator.
// Both windows take it as a dropped file, once no dialog of theirs is open.

// Marks the message as ours: WM_COPYDATA's dwData, and the first bytes of a frame on the local
// socket.
constexpr uint32_t kHandoverTag = 0x31564C54; // "TLV1"

// The longest path handed over: what the delivery's path slot keeps.
constexpr size_t kHandoverMaxUnits = kPathUnits - 1;

// How long a second start waits for the running window to take its file.
constexpr int kHandoverWaitMs = 5000;

// The payload for `path`.
std::string HandoverPayload(std::u16string_view path);

// The path a payload carries; nothing when it is not whole code units, is empty, is longer than
// kHandoverMaxUnits or holds a NUL.
std::optional<std::u16string> HandedOverPath(const void* payload, size_t bytes);

// On a byte stream a frame is the tag and the payload's length in bytes, both 32-bit
// little-endian, then the payload. An empty payload only asks for the window.
constexpr size_t kHandoverHeaderBytes = 8;
std::string HandoverFrame(std::u16string_view path);

enum class FrameState { Incomplete, Malformed, Complete };
// Reads the frame at the start of `bytes`. Complete puts its path (empty for a bare request) in
// `path`; Incomplete wants more bytes; Malformed is never completed by more.
FrameState ReadHandoverFrame(std::string_view bytes, std::u16string* path);
