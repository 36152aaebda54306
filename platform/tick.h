#pragma once

#include <cstdint>

// A 32-bit millisecond count from a monotonic clock; it wraps after about 49.7 days, and
// callers that measure intervals with it must allow for that.
uint32_t GetTickCount();

using TickSource = uint32_t (*)();

// Replaces the clock (tests drive the wrap-around with it); returns the one it replaces.
// Passing nullptr restores the monotonic clock.
TickSource SetTickSource(TickSource source);
