#include "cli/status_line.h"

#include "cli/console.h"
#include "cli/terminal.h"

#include <cstdio>

namespace {

constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);
// Back to the start of the line and erase it.
constexpr const char* kEraseLine = "\r\x1b[2K";

} // namespace

StatusLine::StatusLine() : m_terminal(RedrawsInPlace(stderr)) {}

StatusLine::~StatusLine() {
    if (m_shown) {
        std::fputs(kEraseLine, stderr);
        std::fflush(stderr);
    }
}

void StatusLine::Show(const std::string& text) {
    const auto now = std::chrono::steady_clock::now();
    if (!m_terminal || (m_shown && now - m_drawn < kRedrawPeriod))
        return;
    std::fputs((kEraseLine + Inert(text)).c_str(), stderr);
    std::fflush(stderr);
    m_shown = true;
    m_drawn = now;
}
