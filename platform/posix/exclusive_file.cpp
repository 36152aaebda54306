#include "platform/exclusive_file.h"

#include "platform/text_convert.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A read lease is refused while any process has the file open for writing, which the advisory
// lock cannot see. False only for that refusal: where leases are not to be had (the file
// belongs to someone else and we lack CAP_LEASE, or the file system has none), the lock stands
// alone.
bool NoWriterHoldsIt(int fd) {
    // A writer that opens the file while we hold the lease waits until we close it (or the
    // system's lease-break time ends), and the system tells us with a signal: SIGIO unless
    // asked otherwise, and SIGIO ends the process. SIGURG is ignored unless caught.
    if (::fcntl(fd, F_SETSIG, SIGURG) != 0)
        return true;
    return ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0 || errno != EAGAIN;
}

} // namespace

ExclusiveFile::~ExclusiveFile() {
    Close();
}

bool ExclusiveFile::Open(std::u16string_view path) {
    Close();
    if (path.empty() || path.find(u'\0') != std::u16string_view::npos)
        return false;
    const std::string name = WideToNarrow(path);
    // Non-blocking so that a FIFO cannot hang the open; it is refused below anyway.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        !NoWriterHoldsIt(fd)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

uint64_t ExclusiveFile::Length() const {
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return 0;
    return static_cast<uint64_t>(info.st_size);
}

bool ExclusiveFile::ReadWhole(uint8_t* buffer, uint32_t length) {
    // One read call may return less than asked (large files, signals); keep going until the
    // file or the buffer ends.
    uint32_t done = 0;
    while (m_fd >= 0 && done < length) {
        const ssize_t got = ::pread(m_fd, buffer + done, length - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<uint32_t>(got);
    }
    return done == length;
}

void ExclusiveFile::Close() {
    if (m_fd >= 0) {
        // Closing also ends the lease, which lets a waiting writer go on.
        ::close(m_fd);
        m_fd = -1;
    }
}
