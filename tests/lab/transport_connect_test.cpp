#include "tests/lab/transport_lab.h"
#include "tests/support/heap_guard.h"
#include "text/heap.h"
#include "text/notices.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace std::chrono_literals;

struct AddressCase {
    const char* why;
    const char16_t* text;
};

class TransportConnect : public ::testing::Test {
  protected:
    void SetUp() override { InstallTcpTransport(); }
};

TEST_F(TransportConnect, HealthyPrinterGetsExactlyTheBytesSent) {
    HeapLeakGuard guard;
    JobWatcher jobs("10.77.1.1");
    const OpenOutcome open = OpenPrinter(u"10.77.1.1");
    ASSERT_EQ(open.result, kResultSuccess);
    ASSERT_NE(open.connection, nullptr);
    EXPECT_EQ(open.attempts, 1);
    EXPECT_EQ(open.connection->transportIndex, kTcpTransportIndex);
    EXPECT_STREQ(open.connection->printerName, "Lab printer");
    EXPECT_STREQ(open.connection->ipAddress, "10.77.1.1");
    EXPECT_EQ(open.connection->peer.sin_port, htons(9100));

    // Blocks of 256 bytes and a short tail, as the delivery hands them over.
    const std::vector<uint8_t> data = Pattern(100'003);
    for (size_t at = 0; at < data.size(); at += 256) {
        const auto block = static_cast<uint32_t>(std::min<size_t>(256, data.size() - at));
        uint32_t sent = 0;
        ASSERT_EQ(TcpSend(open.connection, data.data() + at, block, &sent), kResultSuccess);
        ASSERT_EQ(sent, block);
    }
    const Milliseconds closing = TimedClose(open.connection);
    EXPECT_GE(closing, 300ms);
    EXPECT_LT(closing, 2s);

    const auto job = jobs.NextJob(10s);
    ASSERT_TRUE(job.has_value()) << "the printer finished no job";
    EXPECT_TRUE(*job == std::string(data.begin(), data.end()))
        << "job of " << job->size() << " bytes differs from the " << data.size() << " sent";
}

TEST_F(TransportConnect, AddressTextIsReadAsInetAddrReadsIt) {
    const AddressCase cases[] = {
        {"dotted quad", u"10.77.1.1"},
        {"three parts: the last fills 16 bits", u"10.77.257"},
        {"octal parts", u"012.0115.01.01"},
        {"one hexadecimal number", u"0x0a4d0101"},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.why);
        HeapLeakGuard guard;
        const OpenOutcome open = OpenPrinter(c.text);
        ASSERT_EQ(open.result, kResultSuccess);
        EXPECT_EQ(open.connection->peer.sin_addr.s_addr, inet_addr("10.77.1.1"));
        TimedClose(open.connection);
    }
}

TEST_F(TransportConnect, UnusableAddressFailsWithoutConnecting) {
    const AddressCase cases[] = {
        {"empty text", u""},
        {"a name, not an address", u"printer-7"},
        {"a part above 255", u"10.77.1.256"},
        {"five parts", u"10.77.1.1.1"},
        {"the limited broadcast address", u"255.255.255.255"},
        {"the all-ones address in hexadecimal", u"0xffffffff"},
    };
    for (const AddressCase& c : cases) {
        SCOPED_TRACE(c.why);
        HeapLeakGuard guard;
        const OpenOutcome open = OpenPrinter(c.text);
        EXPECT_EQ(open.result, kResultNetworkFailure);
        EXPECT_EQ(open.connection, nullptr);
        EXPECT_EQ(open.attempts, 0);
    }
}

TEST_F(TransportConnect, FailedConnectionGivesUpAfterItsPauses) {
    struct Case {
        const char* why;
        const char16_t* address;
        Milliseconds atLeast;
        Milliseconds below;
    };
    // Refused: the reset is there when connect is asked again after the first 100 ms pause,
    // and no further pause follows. Silent: still under way after 100+200+400+800 ms.
    const Case cases[] = {
        {"refused", u"10.77.2.1", 0ms, 500ms},
        {"nothing at the address", u"10.77.9.9", 1400ms, 5s},
        {"printer never accepts", u"10.77.2.2", 1400ms, 5s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        HeapLeakGuard guard;
        const OpenOutcome open = OpenPrinter(c.address);
        EXPECT_EQ(open.result, kResultNetworkFailure);
        EXPECT_EQ(open.connection, nullptr);
        EXPECT_GE(open.elapsed, c.atLeast);
        EXPECT_LT(open.elapsed, c.below);
        // Repeated connect calls only ask about the one attempt; none starts another.
        EXPECT_EQ(open.attempts, 1);
        std::printf("[ figures  ] %s: %.0f ms\n", c.why, open.elapsed.count());
    }
}

TEST_F(TransportConnect, OutOfMemoryAtEachAllocationLeavesNothing) {
    // OpenTransport: narrow name, narrow address; Open: record, name copy, address copy.
    struct Case {
        const char* why;
        long failing;
        int result;
    };
    const Case cases[] = {
        {"narrow printer name", 1, kResultOutOfMemory},
        {"narrow address text", 2, kResultOutOfMemory},
        {"connection record", 3, kResultOutOfMemory},
        {"copy of the printer name", 4, kResultOutOfMemory},
        {"copy of the address text", 5, kResultOutOfMemory},
        {"five allocations in all: a sixth is never asked for", 6, kResultSuccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        HeapLeakGuard guard;
        AllocationHook::FailNth(c.failing);
        const OpenOutcome open = OpenPrinter(u"10.77.1.2");
        EXPECT_EQ(open.result, c.result);
        if (c.result == kResultSuccess) {
            EXPECT_EQ(AllocationHook::Count(), 5);
            TimedClose(open.connection);
            continue;
        }
        EXPECT_EQ(open.connection, nullptr);
        // Memory comes first: no connection is begun that would then be dropped.
        EXPECT_EQ(open.attempts, 0);
    }
}

} // namespace
