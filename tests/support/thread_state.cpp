#include "tests/support/thread_state.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// The state letter of /proc/self/task/<tid>/stat: it follows the command name in parentheses,
// which may itself hold spaces and parentheses.
char ThreadState(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::stringstream text;
    text << stat.rdbuf();
    const std::string line = text.str();
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return '?';
    return line[close + 2];
}

} // namespace

pid_t CurrentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

bool WaitUntilThreadSleeps(pid_t tid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ThreadState(tid) != 'S') {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
