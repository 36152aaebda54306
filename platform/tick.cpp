#include "platform/tick.h"

#include <chrono>

namespace {

uint32_t MonotonicTick() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TickSource g_tickSource = MonotonicTick;

} // namespace

uint32_t GetTickCount() {
    return g_tickSource();
}

TickSource SetTickSource(TickSource source) {
    TickSource previous = g_tickSource;
    g_tickSource = source ? source : MonotonicTick;
    return previous;
}
