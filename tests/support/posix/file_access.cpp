#include "tests/support/file_access.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

HeldFile::HeldFile(const std::string& path, Holder holder) {
    if (holder == Holder::kThisProcess) {
        // A lock on another open of the file shuts the program out as another program's would.
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0)
            Release();
        return;
    }
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0)
        return;
    if (::pipe(release) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only system calls from here on: the parent may have other threads.
        ::close(ready[0]);
        ::close(release[1]);
        const int fd = ::open(path.c_str(), O_RDONLY);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        char byte;
        (void)!::read(release[0], &byte, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char ok = 'n';
    (void)!::read(ready[0], &ok, 1);
    ::close(ready[0]);
    m_fd = release[1];
    m_child = pid;
    if (ok != 'y')
        Release();
}

HeldFile::~HeldFile() {
    Release();
}

bool HeldFile::Held() const {
    return m_fd >= 0;
}

void HeldFile::Release() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_child > 0)
        ::waitpid(m_child, nullptr, 0);
    m_fd = -1;
    m_child = -1;
}

bool WriterTurnedAway(const std::string& path) {
    // With the program's read lease the open would wait; without blocking it is refused.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;
    ::close(fd);
    return false;
}

bool SetSparseLength(const std::string& path, uint64_t length) {
    return ::truncate(path.c_str(), static_cast<off_t>(length)) == 0;
}
