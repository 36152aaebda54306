#include "lab_environment.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// Runs before main, so no test, benchmark or application code gets a chance to connect.
[[maybe_unused]] const bool g_labChecked = [] {
    if (!InsidePrinterLab()) {
        std::fputs("This program must run inside the printer lab: scripts/printer-lab "
                   "--printers FILE -- PROGRAM\n",
                   stderr);
        std::_Exit(2);
    }
    return true;
}();

} // namespace

bool InsidePrinterLab() {
    const char* expected = std::getenv("TOLVANE_LAB_NETNS");
    if (expected == nullptr)
        return false;
    std::error_code error;
    const auto actual = std::filesystem::read_symlink("/proc/self/ns/net", error);
    return !error && actual.string() == expected;
}

std::filesystem::path LabJobsDirectory() {
    const char* jobs = std::getenv("TOLVANE_LAB_JOBS");
    return jobs == nullptr ? std::filesystem::path() : std::filesystem::path(jobs);
}

// One counter of a /proc/net/snmp style file, which has a header line naming the columns and a
// value line, both starting with `group`.
long SnmpCounter(const std::filesystem::path& file, const std::string& group,
                 const std::string& counter) {
    std::ifstream snmp(file);
    std::string header;
    std::string values;
    std::string line;
    while (std::getline(snmp, line)) {
        if (line.rfind(group, 0) != 0)
            continue;
        if (header.empty())
            header = line;
        else
            values = line;
    }
    std::istringstream names(header);
    std::istringstream numbers(values);
    std::string name;
    std::string number;
    while (names >> name && numbers >> number) {
        if (name == counter)
            return std::stol(number);
    }
    return -1;
}

long TcpActiveOpens() {
    return SnmpCounter("/proc/net/snmp", "Tcp:", "ActiveOpens");
}

std::vector<long> DatagramsReadPerLink() {
    std::vector<long> counts;
    const char* pids = std::getenv("TOLVANE_LAB_PRINTER_PIDS");
    std::istringstream list(pids != nullptr ? pids : "");
    std::string pid;
    // A process's own net entry shows the counters of its network namespace.
    while (list >> pid)
        counts.push_back(SnmpCounter("/proc/" + pid + "/net/snmp", "Udp:", "InDatagrams"));
    return counts;
}

JobWatcher::JobWatcher(std::string address) : m_address(std::move(address)) {
    m_seen = FinishedJobs();
}

std::set<std::filesystem::path> JobWatcher::FinishedJobs() const {
    std::set<std::filesystem::path> jobs;
    const std::string prefix = m_address + "-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(LabJobsDirectory(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && entry.path().extension() == ".job")
            jobs.insert(entry.path());
    }
    return jobs;
}

std::optional<std::string> JobWatcher::NextJob(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        for (const auto& job : FinishedJobs()) {
            if (m_seen.insert(job).second) {
                std::ifstream file(job, std::ios::binary);
                return std::string(std::istreambuf_iterator<char>(file), {});
            }
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
