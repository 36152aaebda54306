#pragma once

#include <chrono>
#include <string>

// A line on standard error that says what the tool does now, redrawn in place on a terminal at
// most ten times a second and removed when the work ends; nothing at all where standard error
// cannot redraw (a log, a console without VT codes), so logs keep only the outcome.
class StatusLine {
  public:
    StatusLine();
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    void Show(const std::string& text);

  private:
    bool m_terminal;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_drawn;
};
