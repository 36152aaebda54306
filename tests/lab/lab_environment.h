#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Helpers for programs that run inside scripts/printer-lab. Linking this file also refuses to
// start the program anywhere else: outside the lab, the printers' addresses could belong to
// real machines.

// True when this process runs in the network namespace that printer-lab made.
bool InsidePrinterLab();

// Where the simulated printers write the jobs they receive.
std::filesystem::path LabJobsDirectory();

// One counter of a /proc/net/snmp style file (a header line naming the columns and a value
// line, both starting with `group`, e.g. "Udp:"); -1 when it is not there.
long SnmpCounter(const std::filesystem::path& file, const std::string& group,
                 const std::string& counter);

// Connection attempts (SYNs sent) so far from this network namespace.
long TcpActiveOpens();

// UDP datagrams the printers of each link have read so far, in link order.
std::vector<long> DatagramsReadPerLink();

// Watches one printer's finished jobs ("<address>-<n>.job"): jobs finished before the watcher
// was made do not count.
class JobWatcher {
  public:
    explicit JobWatcher(std::string address);

    // The bytes of the next finished job, or nothing when none finishes within `timeout`.
    std::optional<std::string> NextJob(std::chrono::milliseconds timeout);

  private:
    std::set<std::filesystem::path> FinishedJobs() const;

    std::string m_address;
    std::set<std::filesystem::path> m_seen;
};
