#pragma once

#include "event_loop.h"
#include "printer_config.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The raw print port (TCP 9100) of every simulated printer. Each accepted connection is one
// job: its bytes go to "<address>-<n>.job.part" in the jobs directory, renamed to
// "<address>-<n>.job" once the connection has ended, so a finished job file is complete.
class RawPort {
  public:
    static constexpr uint16_t kPort = 9100;

    RawPort(EventLoop& loop, std::filesystem::path jobsDirectory);
    ~RawPort();
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    // Opens the port of the printer at `address` (which must be assigned to this host).
    bool AddPrinter(const std::string& address, const RawBehaviour& behaviour, std::string* error);

  private:
    struct Printer {
        std::string address;
        RawBehaviour behaviour;
        int listener = -1;
        int queueFiller = -1; // NoAccept: the connection that keeps the listen queue full
        unsigned jobs = 0;
    };
    struct Connection {
        Printer* printer = nullptr;
        int fd = -1;
        int file = -1;
        std::filesystem::path jobPath;
        uint64_t received = 0;
        double slowCredit = 0; // Slow: bytes it may still read
        EventLoop::TimerId slowTimer = 0;
    };

    void Accept(Printer& printer);
    void Start(Printer& printer, int fd);
    void Readable(Connection& connection);
    void SlowTick(Connection& connection);
    // Reads at most `limit` bytes into the job; false once the connection is over.
    bool ReadSome(Connection& connection, uint64_t limit);
    // Closes the job file and gives it its finished name.
    void KeepJob(Connection& connection);
    void Finish(Connection& connection, bool reset);

    EventLoop& m_loop;
    std::filesystem::path m_jobs;
    std::vector<std::unique_ptr<Printer>> m_printers;
    std::unordered_map<int, std::unique_ptr<Connection>> m_connections;
    std::vector<char> m_buffer;
};
