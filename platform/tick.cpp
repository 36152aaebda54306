#include "platform/tick.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>

namespace {

uint32_t MonotonicTick() {
#ifdef _WIN32
    return ::GetTickCount();
#else
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
#endif
}

TickSource g_tickSource = MonotonicTick;

} // namespace

uint32_t TickCount() {
    return g_tickSource();
}

TickSource SetTickSource(TickSource source) {
    TickSource previous = g_tickSource;
    g_tickSource = source ? source : MonotonicTick;
    return previous;
}
