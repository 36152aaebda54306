#pragma once

#include <cstdint>

// A 32-bit millisecond count from a monotonic clock; it wraps after about 49.7 days, and
// callers that measure intervals with it must allow for that.
// (The system's GetTickCount on Windows, under a name of its own that does not clash with it.)
uint32_t TickCount();

using TickSource = uint32_t (*)();

// Replaces the clock (tests drive the wrap-around with it); returns the one it replaces.
// Passing nullptr restores the monotonic clock.
TickSource SetTickSource(TickSource source);
