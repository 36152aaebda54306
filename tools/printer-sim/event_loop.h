#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>

// One epoll loop for every socket the simulator holds, so one process can play a thousand
// printers without a thread each. Handlers run on the loop's thread only.
class EventLoop {
  public:
    using Handler = std::function<void(uint32_t events)>;
    using Clock = std::chrono::steady_clock;
    using TimerId = uint64_t;

    EventLoop();
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    bool Valid() const { return m_epoll >= 0; }

    // Calls `handler` with the epoll events whenever `fd` reports one of `events`. A handler
    // may forget its own or any other descriptor.
    bool Watch(int fd, uint32_t events, Handler handler);
    void Forget(int fd);

    // Runs `action` once, `delay` from now.
    TimerId After(std::chrono::milliseconds delay, std::function<void()> action);
    void CancelTimer(TimerId id);

    // Dispatches until Stop; returns false when epoll fails.
    bool Run();
    void Stop() { m_running = false; }

  private:
    void RunDueTimers();
    int MillisecondsToNextTimer() const;

    int m_epoll = -1;
    bool m_running = false;
    uint64_t m_nextWatch = 1;
    std::unordered_map<uint64_t, Handler> m_handlers; // by watch id, the epoll cookie
    std::unordered_map<int, uint64_t> m_watchOfFd;
    TimerId m_nextTimer = 1;
    std::multimap<Clock::time_point, TimerId> m_timerQueue;
    std::unordered_map<TimerId, std::function<void()>> m_timers;
};
