#include "raw_port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

using Mode = RawBehaviour::Mode;

constexpr size_t kReadChunk = 64 * 1024;
constexpr std::chrono::milliseconds kSlowTick{100};

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

sockaddr_in PortAddress(const std::string& address, uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr);
    return socketAddress;
}

} // namespace

RawPort::RawPort(EventLoop& loop, std::filesystem::path jobsDirectory)
    : m_loop(loop), m_jobs(std::move(jobsDirectory)), m_buffer(kReadChunk) {}

RawPort::~RawPort() {
    for (auto& [fd, connection] : m_connections) {
        m_loop.Forget(fd);
        m_loop.CancelTimer(connection->slowTimer);
        ::close(fd);
        if (connection->file >= 0)
            ::close(connection->file);
    }
    for (auto& printer : m_printers) {
        if (printer->listener >= 0) {
            m_loop.Forget(printer->listener);
            ::close(printer->listener);
        }
        if (printer->queueFiller >= 0)
            ::close(printer->queueFiller);
    }
}

bool RawPort::AddPrinter(const std::string& address, const RawBehaviour& behaviour,
                         std::string* error) {
    auto printer = std::make_unique<Printer>();
    printer->address = address;
    printer->behaviour = behaviour;
    Printer& added = *printer;
    m_printers.push_back(std::move(printer));
    // Nothing listening: the kernel answers every attempt with a reset.
    if (behaviour.mode == Mode::Refuse)
        return true;

    added.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (added.listener < 0) {
        *error = SystemError("socket");
        return false;
    }
    const int on = 1;
    ::setsockopt(added.listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    if (behaviour.mode == Mode::Stall || behaviour.mode == Mode::Slow) {
        // Set before listen so that accepted sockets inherit it and the window stays small:
        // the sender feels the printer's pace at once instead of after megabytes. A slow
        // printer still needs room for one tick's worth, or the buffer and not the rate
        // would set its pace (the kernel raises tiny values to its minimum).
        const int room = behaviour.mode == Mode::Slow
                             ? static_cast<int>(std::min<uint64_t>(
                                   behaviour.amount * kSlowTick.count() / 1000, 1 << 24))
                             : 1;
        ::setsockopt(added.listener, SOL_SOCKET, SO_RCVBUF, &room, sizeof(room));
    }
    const sockaddr_in local = PortAddress(address, kPort);
    if (::bind(added.listener, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) {
        *error = SystemError("bind " + address + ":" + std::to_string(kPort));
        return false;
    }
    // A printer that never answers: with a backlog of 0 one finished connection fills the
    // accept queue, and Linux then drops every further SYN without a reply, so the caller's
    // connect stays pending exactly as with a switched-off printer whose address still
    // resolves.
    const bool noAccept = behaviour.mode == Mode::NoAccept;
    if (::listen(added.listener, noAccept ? 0 : SOMAXCONN) != 0) {
        *error = SystemError("listen " + address);
        return false;
    }
    if (noAccept) {
        added.queueFiller = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (added.queueFiller < 0 ||
            ::connect(added.queueFiller, reinterpret_cast<const sockaddr*>(&local),
                      sizeof(local)) != 0) {
            *error = SystemError("filling the listen queue of " + address);
            return false;
        }
        return true;
    }
    if (!m_loop.Watch(added.listener, EPOLLIN, [this, &added](uint32_t) { Accept(added); })) {
        *error = SystemError("epoll " + address);
        return false;
    }
    return true;
}

void RawPort::Accept(Printer& printer) {
    while (true) {
        const int fd = ::accept4(printer.listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return; // EAGAIN, or a connection that died in the queue
        Start(printer, fd);
    }
}

void RawPort::Start(Printer& printer, int fd) {
    auto connection = std::make_unique<Connection>();
    connection->printer = &printer;
    connection->fd = fd;
    const unsigned sequence = ++printer.jobs;
    const Mode mode = printer.behaviour.mode;
    if (mode != Mode::Discard) {
        connection->jobPath = m_jobs / (printer.address + "-" + std::to_string(sequence) + ".job");
        std::filesystem::path part = connection->jobPath;
        part += ".part";
        connection->file = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (connection->file < 0)
            std::fprintf(stderr, "printer-sim: %s\n", SystemError(part.string()).c_str());
    }
    Connection& started = *connection;
    m_connections.emplace(fd, std::move(connection));

    if (mode == Mode::Slow) {
        started.slowTimer = m_loop.After(kSlowTick, [this, &started] { SlowTick(started); });
        return;
    }
    const bool limited = mode == Mode::Reset || mode == Mode::Close;
    if (limited && printer.behaviour.amount == 0) {
        Finish(started, mode == Mode::Reset);
        return;
    }
    if (mode == Mode::Stall) {
        // A stalled printer never reads and does not answer the end of the data either; it
        // only notices a connection that failed (only error and hang-up events can come for
        // this watch).
        m_loop.Watch(fd, 0, [this, &started](uint32_t) { Finish(started, false); });
        return;
    }
    m_loop.Watch(fd, EPOLLIN, [this, &started](uint32_t) { Readable(started); });
}

bool RawPort::ReadSome(Connection& connection, uint64_t limit) {
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(limit, m_buffer.size()));
    const ssize_t got = ::recv(connection.fd, m_buffer.data(), wanted, 0);
    if (got < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (got == 0)
        return false;
    connection.received += static_cast<uint64_t>(got);
    if (connection.file >= 0 &&
        !WriteAll(connection.file, m_buffer.data(), static_cast<size_t>(got)))
        return false;
    return true;
}

void RawPort::Readable(Connection& connection) {
    const RawBehaviour& behaviour = connection.printer->behaviour;
    const bool limited = behaviour.mode == Mode::Reset || behaviour.mode == Mode::Close;
    const uint64_t limit = limited ? behaviour.amount - connection.received : m_buffer.size();
    if (!ReadSome(connection, limit)) {
        if (behaviour.mode == Mode::NoClose) {
            // The job is over for the sender, but this printer's side stays open until the
            // simulator ends.
            KeepJob(connection);
            m_loop.Forget(connection.fd);
            return;
        }
        Finish(connection, behaviour.mode == Mode::Reset);
        return;
    }
    if (limited && connection.received == behaviour.amount)
        Finish(connection, behaviour.mode == Mode::Reset);
}

void RawPort::SlowTick(Connection& connection) {
    const double perSecond = static_cast<double>(connection.printer->behaviour.amount);
    // Credit for at most one second, so an idle spell is not followed by a burst.
    connection.slowCredit =
        std::min(connection.slowCredit + perSecond * kSlowTick.count() / 1000.0, perSecond);
    // Several reads when the credit is larger than one read takes; stop when nothing waits.
    for (auto whole = static_cast<uint64_t>(connection.slowCredit); whole > 0;
         whole = static_cast<uint64_t>(connection.slowCredit)) {
        const uint64_t before = connection.received;
        if (!ReadSome(connection, whole)) {
            Finish(connection, false);
            return;
        }
        if (connection.received == before)
            break;
        connection.slowCredit -= static_cast<double>(connection.received - before);
    }
    connection.slowTimer = m_loop.After(kSlowTick, [this, &connection] { SlowTick(connection); });
}

void RawPort::KeepJob(Connection& connection) {
    if (connection.file < 0)
        return;
    ::close(connection.file);
    connection.file = -1;
    std::filesystem::path part = connection.jobPath;
    part += ".part";
    std::error_code ignored;
    std::filesystem::rename(part, connection.jobPath, ignored);
}

void RawPort::Finish(Connection& connection, bool reset) {
    KeepJob(connection);
    if (reset) {
        // A zero linger time makes close send a reset instead of a FIN.
        const linger abort{1, 0};
        ::setsockopt(connection.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
    }
    m_loop.Forget(connection.fd);
    m_loop.CancelTimer(connection.slowTimer);
    const int fd = connection.fd;
    ::close(fd);
    m_connections.erase(fd); // destroys `connection`
}
