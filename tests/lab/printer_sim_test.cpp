// The simulated printer's raw port as other lab tests rely on it, driven with plain sockets.
#include "tests/lab/lab_environment.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

using namespace std::chrono_literals;

// Sends `job` to port 9100 of `address` over a blocking socket and closes the connection.
bool SendJob(const char* address, const std::string& job) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(9100);
    ::inet_pton(AF_INET, address, &peer.sin_addr);
    bool sent = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) == 0;
    for (size_t at = 0; sent && at < job.size();) {
        const ssize_t taken = ::send(fd, job.data() + at, job.size() - at, MSG_NOSIGNAL);
        sent = taken > 0;
        at += sent ? static_cast<size_t>(taken) : 0;
    }
    ::close(fd);
    return sent;
}

TEST(PrinterSim, NamesJobsByAddressAndSequence) {
    JobWatcher jobs("10.77.3.1");
    ASSERT_TRUE(SendJob("10.77.3.1", "first job"));
    ASSERT_EQ(jobs.NextJob(10s), "first job");
    ASSERT_TRUE(SendJob("10.77.3.1", "second job"));
    ASSERT_EQ(jobs.NextJob(10s), "second job");
    EXPECT_TRUE(std::filesystem::exists(LabJobsDirectory() / "10.77.3.1-1.job"));
    EXPECT_TRUE(std::filesystem::exists(LabJobsDirectory() / "10.77.3.1-2.job"));
}

TEST(PrinterSim, SlowPrinterReadsAtItsRate) {
    struct Case {
        const char* address;
        size_t bytes;
        std::chrono::milliseconds fastest;
        std::chrono::milliseconds slowest;
    };
    const Case cases[] = {
        {"10.77.3.2", 12 * 1024, 2500ms, 10s}, // 4096 bytes per second: about 3 s
        // 2 MB per second: about 2 s, which a receive buffer of the smallest size would
        // stretch to minutes.
        {"10.77.3.3", 4'000'000, 1500ms, 6s},
    };
    for (const Case& row : cases) {
        std::string job(row.bytes, '\0');
        for (size_t i = 0; i < job.size(); ++i)
            job[i] = static_cast<char>(i * 7);
        JobWatcher jobs(row.address);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(SendJob(row.address, job));
        const auto received = jobs.NextJob(20s);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        ASSERT_TRUE(received.has_value()) << row.address;
        EXPECT_TRUE(*received == job) << row.address;
        EXPECT_GE(elapsed, row.fastest) << row.address;
        EXPECT_LT(elapsed, row.slowest) << row.address;
    }
}

} // namespace
