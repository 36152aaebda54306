#include "platform/whole_file.h"

#include "platform/text_convert.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace {

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<size_t>(written));
    }
    return ::fsync(fd) == 0;
}

} // namespace

bool WriteFileWhole(std::u16string_view path, std::string_view content) {
    static std::atomic<unsigned> s_serial{0};
    const std::string target = WideToNarrow(path);
    const std::string temporary =
        target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(s_serial++);
    // Created new with the usual permissions (the umask applies), as any file the user saves.
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, content);
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}
