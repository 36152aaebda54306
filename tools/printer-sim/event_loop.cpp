#include "event_loop.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

EventLoop::EventLoop() : m_epoll(::epoll_create1(EPOLL_CLOEXEC)) {}

EventLoop::~EventLoop() {
    if (m_epoll >= 0)
        ::close(m_epoll);
}

bool EventLoop::Watch(int fd, uint32_t events, Handler handler) {
    // Watch ids are never reused, so an event queued for a descriptor that was forgotten and
    // reopened under the same number in one batch is dropped instead of misrouted.
    const uint64_t id = m_nextWatch++;
    epoll_event event{};
    event.events = events;
    event.data.u64 = id;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) != 0)
        return false;
    m_handlers.emplace(id, std::move(handler));
    m_watchOfFd[fd] = id;
    return true;
}

void EventLoop::Forget(int fd) {
    const auto found = m_watchOfFd.find(fd);
    if (found == m_watchOfFd.end())
        return;
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    m_handlers.erase(found->second);
    m_watchOfFd.erase(found);
}

EventLoop::TimerId EventLoop::After(std::chrono::milliseconds delay, std::function<void()> action) {
    const TimerId id = m_nextTimer++;
    m_timerQueue.emplace(Clock::now() + delay, id);
    m_timers.emplace(id, std::move(action));
    return id;
}

void EventLoop::CancelTimer(TimerId id) {
    // The queue entry stays and is skipped when it comes due.
    m_timers.erase(id);
}

void EventLoop::RunDueTimers() {
    const auto now = Clock::now();
    while (!m_timerQueue.empty() && m_timerQueue.begin()->first <= now) {
        const TimerId id = m_timerQueue.begin()->second;
        m_timerQueue.erase(m_timerQueue.begin());
        const auto found = m_timers.find(id);
        if (found == m_timers.end())
            continue;
        const auto action = std::move(found->second);
        m_timers.erase(found);
        action();
    }
}

int EventLoop::MillisecondsToNextTimer() const {
    if (m_timerQueue.empty())
        return -1;
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(m_timerQueue.begin()->first - Clock::now());
    return wait.count() < 0 ? 0 : static_cast<int>(wait.count());
}

bool EventLoop::Run() {
    m_running = true;
    std::vector<epoll_event> events(256);
    while (m_running) {
        const int ready = ::epoll_wait(m_epoll, events.data(), static_cast<int>(events.size()),
                                       MillisecondsToNextTimer());
        if (ready < 0 && errno != EINTR)
            return false;
        for (int i = 0; i < ready; ++i) {
            const auto found = m_handlers.find(events[static_cast<size_t>(i)].data.u64);
            if (found == m_handlers.end())
                continue;
            // A copy: the handler may forget its own watch while it runs.
            const Handler handler = found->second;
            handler(events[static_cast<size_t>(i)].events);
        }
        RunDueTimers();
    }
    return true;
}
