#include "delivery/transport.h"
#include "tests/support/heap_guard.h"
#include "text/notices.h"

#include "platform/socket_startup.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/resource.h>
#endif

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

namespace {

// What the fake entry's Open saw of the request.
struct FakeOpenCall {
    int index;
    std::optional<std::string> narrowName;
    std::optional<std::string> narrowIpAddress;
};
std::optional<FakeOpenCall> g_fakeCall;
ResultCode g_fakeResult = kResultSuccess;

ResultCode FakeOpen(int index, OpenRequest* request, ConnectionData** connection) {
    auto text = [](const char* narrow) {
        return narrow == nullptr ? std::nullopt : std::optional<std::string>(narrow);
    };
    g_fakeCall = FakeOpenCall{index, text(request->narrowName), text(request->narrowIpAddress)};
    *connection = nullptr;
    return g_fakeResult;
}

// Each test starts with an empty table and leaves it as it was.
class TransportTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::copy(std::begin(TransportTable), std::end(TransportTable), std::begin(m_saved));
        std::fill(std::begin(TransportTable), std::end(TransportTable), TransportEntry{});
        g_fakeCall.reset();
        g_fakeResult = kResultSuccess;
    }
    void TearDown() override {
        std::copy(std::begin(m_saved), std::end(m_saved), std::begin(TransportTable));
    }

    static int Open(int index, ConnectionData** connection) {
        OpenRequest request{};
        request.wideName = u"Empfang 2.OG";
        request.wideIpAddress = u"127.0.0.1";
        const int result = OpenTransport(index, &request, connection);
        EXPECT_EQ(request.narrowName, nullptr) << "narrow name left behind";
        EXPECT_EQ(request.narrowIpAddress, nullptr) << "narrow address left behind";
        return result;
    }

    TransportEntry m_saved[kTransportCount];
};

// Makes every new socket fail for the life of the object: no descriptors left here, the
// socket library stopped on Windows.
class NoDescriptorsLeft {
  public:
#ifdef _WIN32
    NoDescriptorsLeft() {
        ::WSACleanup();
    }
    ~NoDescriptorsLeft() {
        AfxSocketInit();
    }
#else
    NoDescriptorsLeft() {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit none = m_saved;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_NOFILE, &none);
    }
    ~NoDescriptorsLeft() {
        ::setrlimit(RLIMIT_NOFILE, &m_saved);
    }
#endif
    NoDescriptorsLeft(const NoDescriptorsLeft&) = delete;
    NoDescriptorsLeft& operator=(const NoDescriptorsLeft&) = delete;

#ifndef _WIN32
  private:
    rlimit m_saved{};
#endif
};

TEST_F(TransportTableTest, NoUsableTransportGivesThreeAndTouchesNothing) {
    struct Case {
        const char* why;
        int index;
        bool installed;
    };
    const Case cases[] = {
        {"entry 0 never has operations", 0, true},
        {"entry 1 never has operations", 1, true},
        {"entry 2 before start-up installed it", 2, false},
        {"one past the table", 3, true},
        {"far past the table", 1000, true},
        {"a negative index", -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        HeapLeakGuard guard;
        std::fill(std::begin(TransportTable), std::end(TransportTable), TransportEntry{});
        if (c.installed)
            InstallTcpTransport();
        ConnectionData sentinel{};
        ConnectionData* connection = &sentinel;
        EXPECT_EQ(Open(c.index, &connection), kResultBadArgument);
        EXPECT_EQ(connection, nullptr);
        EXPECT_EQ(AllocationHook::Count(), 0) << "allocated for an unusable transport";
    }
}

TEST_F(TransportTableTest, EntriesOneAndTwoGetNarrowTextsEntryZeroDoesNot) {
    struct Case {
        const char* why;
        int index;
        bool converted;
    };
    const Case cases[] = {
        {"entry 0 takes the request as it is", 0, false},
        {"entry 1 gets narrow texts", 1, true},
        {"entry 2 gets narrow texts", 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        HeapLeakGuard guard;
        TransportTable[c.index].Open = FakeOpen;
        g_fakeResult = kResultNetworkFailure;
        ConnectionData* connection = nullptr;
        EXPECT_EQ(Open(c.index, &connection), kResultNetworkFailure) << "result passed on";
        ASSERT_TRUE(g_fakeCall.has_value());
        EXPECT_EQ(g_fakeCall->index, c.index);
        if (c.converted) {
            EXPECT_EQ(g_fakeCall->narrowName, "Empfang 2.OG");
            EXPECT_EQ(g_fakeCall->narrowIpAddress, "127.0.0.1");
        } else {
            EXPECT_FALSE(g_fakeCall->narrowName.has_value());
            EXPECT_FALSE(g_fakeCall->narrowIpAddress.has_value());
        }
    }
}

TEST_F(TransportTableTest, NoMemoryForNarrowTextsSkipsOpen) {
    TransportTable[1].Open = FakeOpen;
    for (long failing : {1L, 2L}) {
        SCOPED_TRACE(failing == 1 ? "narrow name" : "narrow address");
        HeapLeakGuard guard;
        g_fakeCall.reset();
        AllocationHook::FailNth(failing);
        ConnectionData* connection = nullptr;
        EXPECT_EQ(Open(1, &connection), kResultOutOfMemory);
        EXPECT_FALSE(g_fakeCall.has_value()) << "Open called without its texts";
    }
}

TEST_F(TransportTableTest, ProbeAndOpenFailWhenNoSocketCanBeMade) {
    InstallTcpTransport();
    EXPECT_EQ(TransportProbe(), 1);
    HeapLeakGuard guard;
    NoDescriptorsLeft noDescriptors;
    EXPECT_EQ(TransportProbe(), 0);
    ConnectionData* connection = nullptr;
    EXPECT_EQ(Open(kTcpTransportIndex, &connection), kResultNetworkFailure);
    EXPECT_EQ(connection, nullptr);
}

TEST_F(TransportTableTest, OperationsOnNoConnection) {
    uint32_t sent = 7;
    const uint8_t byte = 0;
    EXPECT_EQ(TcpSend(nullptr, &byte, 1, &sent), kResultBadArgument);
    EXPECT_EQ(sent, 0u);
    EXPECT_EQ(TcpCancel(nullptr), kResultSuccess);
    EXPECT_EQ(TcpFinish(nullptr), kResultBadArgument);
    EXPECT_EQ(TcpClose(nullptr), kResultSuccess);
}

} // namespace
