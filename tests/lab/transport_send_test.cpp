#include "tests/lab/transport_lab.h"
#include "tests/support/heap_guard.h"
#include "text/notices.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// More than the socket buffers on both sides can hold, so the printer's pace decides.
constexpr size_t kLargeJob = 16u << 20;

class TransportSend : public ::testing::Test {
  protected:
    void SetUp() override { InstallTcpTransport(); }
    HeapLeakGuard m_guard;
};

TEST_F(TransportSend, NothingToSendSucceedsAtOnce) {
    const OpenOutcome open = OpenPrinter(u"10.77.1.2");
    ASSERT_EQ(open.result, kResultSuccess);
    uint32_t sent = 99;
    EXPECT_EQ(TcpSend(open.connection, nullptr, 0, &sent), kResultSuccess);
    EXPECT_EQ(sent, 0u);
    TimedClose(open.connection);
}

TEST_F(TransportSend, CancelBeforeSendingSendsNothing) {
    JobWatcher jobs("10.77.1.2");
    const OpenOutcome open = OpenPrinter(u"10.77.1.2");
    ASSERT_EQ(open.result, kResultSuccess);
    EXPECT_EQ(TcpCancel(open.connection), kResultSuccess);
    const std::vector<uint8_t> data = Pattern(1000);
    uint32_t sent = 99;
    EXPECT_EQ(TcpSend(open.connection, data.data(), 1000, &sent), kResultCancelled);
    EXPECT_EQ(sent, 0u);
    EXPECT_EQ(open.connection->socketHandle, kInvalidSocket);
    // Close still releases the record (the guard checks) and still pauses.
    const Milliseconds closing = TimedClose(open.connection);
    EXPECT_GE(closing, 300ms);
    EXPECT_LT(closing, 2s);
    const auto job = jobs.NextJob(10s);
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(job->size(), 0u);
}

TEST_F(TransportSend, CancelReachesASendWaitingOnAStalledPrinter) {
    const OpenOutcome open = OpenPrinter(u"10.77.2.3");
    ASSERT_EQ(open.result, kResultSuccess);
    const std::vector<uint8_t> data = Pattern(kLargeJob);
    uint32_t sent = 0;
    int result = -1;
    std::chrono::steady_clock::time_point returned;
    std::thread sender([&] {
        result = TcpSend(open.connection, data.data(), static_cast<uint32_t>(data.size()), &sent);
        returned = std::chrono::steady_clock::now();
    });
    // Give the send time to fill the buffers and start waiting; not part of any assertion.
    std::this_thread::sleep_for(500ms);
    const auto cancelled = std::chrono::steady_clock::now();
    TcpCancel(open.connection);
    sender.join();
    const Milliseconds reaction = returned - cancelled;
    std::printf("[ figures  ] cancel noticed after %.0f ms, %u bytes taken\n", reaction.count(),
                sent);
    EXPECT_EQ(result, kResultCancelled);
    EXPECT_LT(reaction, 1s);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, data.size());
    EXPECT_EQ(open.connection->socketHandle, kInvalidSocket);
    TimedClose(open.connection);
}

TEST_F(TransportSend, LostConnectionFailsWithTheCountSoFar) {
    struct Case {
        const char* why;
        const char* address;
        const char16_t* wideAddress;
    };
    const Case cases[] = {
        {"printer resets after 1000 bytes", "10.77.2.4", u"10.77.2.4"},
        {"printer closes after 1000 bytes", "10.77.2.5", u"10.77.2.5"},
    };
    // Without MSG_NOSIGNAL a send on the dead connection would end this process.
    const auto previous = std::signal(SIGPIPE, SIG_DFL);
    const std::vector<uint8_t> data = Pattern(kLargeJob);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        JobWatcher jobs(c.address);
        const OpenOutcome open = OpenPrinter(c.wideAddress);
        ASSERT_EQ(open.result, kResultSuccess);
        uint32_t sent = 0;
        EXPECT_EQ(TcpSend(open.connection, data.data(), static_cast<uint32_t>(data.size()), &sent),
                  kResultNetworkFailure);
        EXPECT_GE(sent, 1000u);
        EXPECT_LT(sent, data.size());
        // The socket stays open until Close; sending again fails the same way.
        EXPECT_NE(open.connection->socketHandle, kInvalidSocket);
        EXPECT_EQ(TcpSend(open.connection, data.data(), 256, &sent), kResultNetworkFailure);
        EXPECT_EQ(sent, 0u);
        TimedClose(open.connection);
        const auto job = jobs.NextJob(10s);
        ASSERT_TRUE(job.has_value());
        EXPECT_TRUE(*job == std::string(data.begin(), data.begin() + 1000));
    }
    std::signal(SIGPIPE, previous);
}

} // namespace
