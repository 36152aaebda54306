#include "discovery/snmp_codec.h"
#include "discovery/snmp_exchange.h"
#include "platform/sockets.h"
#include "platform/tick.h"
#include "tests/support/heap_guard.h"
#include "tests/support/loopback_sockets.h"
#include "tests/unit/snmp_test_replies.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using snmp_test::Bytes;
using snmp_test::Reply;

// A scripted tick counter: each read returns the next value; the last one repeats.
std::vector<uint32_t> g_ticks;
size_t g_tickReads = 0;

uint32_t ScriptedTick() {
    const uint32_t value = g_ticks[std::min(g_tickReads, g_ticks.size() - 1)];
    ++g_tickReads;
    return value;
}

// Drives SnmpReceiveAnswers directly over loopback sockets placed in the exchange's socket
// array, with the clock under the test's control.
class ReceiveWindow : public ::testing::Test {
  protected:
    void SetUp() override { m_previousTick = SetTickSource(ScriptedTick); }

    void TearDown() override {
        SetTickSource(m_previousTick);
        for (const auto& socketData : DiscoverySockets())
            CloseSocket(socketData->socket);
        DiscoverySockets().clear();
        DiscoveryAnswers().clear();
        for (const auto& [address, handle] : m_senders)
            CloseSocket(handle);
    }

    static void Ticks(std::vector<uint32_t> ticks) {
        g_ticks = std::move(ticks);
        g_tickReads = 0;
    }

    // Ticks that advance 1 ms per read, enough for any of these short windows.
    static void SteadyTicks() {
        std::vector<uint32_t> ticks(200);
        for (uint32_t i = 0; i < ticks.size(); ++i)
            ticks[i] = 5000 + i;
        Ticks(std::move(ticks));
    }

    // Adds a socket to the exchange, as a sent request would; returns its index.
    size_t AddSocket() {
        const SocketHandle handle = OpenLoopbackDatagram("127.0.0.1");
        EXPECT_NE(handle, kInvalidSocket);
        EXPECT_TRUE(SetNonBlocking(handle));
        DiscoverySockets().push_back(std::make_unique<SocketData>(handle));
        return DiscoverySockets().size() - 1;
    }

    // Sends `datagram` from `from` (a loopback address) to socket `index`; loopback delivers
    // it into that socket's queue before sendto returns.
    void Send(size_t index, const Bytes& datagram, const char* from = "127.0.0.2") {
        ASSERT_TRUE(SendDatagram(Sender(from), LocalAddress(DiscoverySockets()[index]->socket),
                                 datagram.data(), datagram.size()));
    }

    static size_t Queued(size_t index) {
        size_t count = 0;
        uint8_t byte = 0;
        sockaddr_in sender{};
        while (ReceiveDatagram(DiscoverySockets()[index]->socket, &byte, 1, &sender) >= 0)
            ++count;
        return count;
    }

    static int Done(size_t index) { return DiscoverySockets()[index]->done; }

    static std::vector<std::pair<std::u16string, std::u16string>> Answers() {
        std::vector<std::pair<std::u16string, std::u16string>> answers;
        for (const auto& answer : DiscoveryAnswers())
            answers.emplace_back(answer->address, answer->description);
        return answers;
    }

  private:
    SocketHandle Sender(const std::string& from) {
        if (m_senders.count(from) == 0) {
            m_senders[from] = OpenLoopbackDatagram(from);
            EXPECT_NE(m_senders[from], kInvalidSocket);
        }
        return m_senders[from];
    }

    TickSource m_previousTick = nullptr;
    std::map<std::string, SocketHandle> m_senders;
};

TEST_F(ReceiveWindow, ZeroByteDatagramLeavesTheSocketOpen) {
    const size_t socket = AddSocket();
    Send(socket, {});
    Send(socket, {});
    Ticks({0, 10, 20, 1000});
    EXPECT_EQ(SnmpReceiveAnswers(true), 0);
    // Both were read without marking the socket, so early stop could not end the window.
    EXPECT_EQ(Done(socket), 0);
    EXPECT_EQ(Queued(socket), 0u);
    EXPECT_TRUE(Answers().empty());
}

TEST_F(ReceiveWindow, EarlyStopEndsOnceEverySocketIsDone) {
    if (UnderWine())
        GTEST_SKIP() << kWineLoopbackBind;
    const size_t first = AddSocket();
    const size_t second = AddSocket();
    Send(first, Reply("one"), "127.0.0.2");
    Send(second, Reply("two"), "127.0.0.3");
    Send(second, Reply("late"), "127.0.0.4");
    SteadyTicks();
    EXPECT_EQ(SnmpReceiveAnswers(true), 0);
    using Answer = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(Answers(), (std::vector<Answer>{{u"127.0.0.2", u"one"}, {u"127.0.0.3", u"two"}}));
    EXPECT_EQ(Queued(second), 1u);
}

TEST_F(ReceiveWindow, FirstReplyFromAnAddressWins) {
    if (UnderWine())
        GTEST_SKIP() << kWineLoopbackBind;
    const size_t first = AddSocket();
    const size_t second = AddSocket();
    Send(first, Reply("A"), "127.0.0.2");
    Send(first, Reply("C"), "127.0.0.3");
    Send(second, Reply("B"), "127.0.0.2");
    // Three wake-ups, then the window is over; without early stop the first socket is read
    // until it is empty, being first in array order.
    Ticks({0, 1, 2, 3, 1000});
    EXPECT_EQ(SnmpReceiveAnswers(false), 0);
    using Answer = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(Answers(), (std::vector<Answer>{{u"127.0.0.2", u"A"}, {u"127.0.0.3", u"C"}}));
    EXPECT_EQ(Queued(second), 0u);
}

TEST_F(ReceiveWindow, OverlongDatagramIsDiscarded) {
    if (UnderWine())
        GTEST_SKIP() << kWineLoopbackBind;
    const size_t overlong = AddSocket();
    const size_t fitting = AddSocket();
    Bytes big = Reply("too long");
    big.resize(kSnmpReceiveBufferBytes + 1);
    Bytes exact = Reply("fits");
    exact.resize(kSnmpReceiveBufferBytes);
    Send(overlong, big, "127.0.0.2");
    Send(fitting, exact, "127.0.0.3");
    SteadyTicks();
    EXPECT_EQ(SnmpReceiveAnswers(true), 0);
    EXPECT_EQ(Done(overlong), 1);
    using Answer = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(Answers(), (std::vector<Answer>{{u"127.0.0.3", u"fits"}}));
}

TEST_F(ReceiveWindow, IgnoredReplyMarksTheSocketDone) {
    const size_t socket = AddSocket();
    Send(socket, Reply("Korvil 2950MFP-N", {.errorStatus = 2}));
    SteadyTicks();
    EXPECT_EQ(SnmpReceiveAnswers(true), 0);
    EXPECT_EQ(Done(socket), 1);
    EXPECT_TRUE(Answers().empty());
}

TEST_F(ReceiveWindow, OutOfMemoryWhileDecodingEndsTheWindow) {
    HeapLeakGuard guard;
    const size_t socket = AddSocket();
    Send(socket, Reply("one"), "127.0.0.2");
    Send(socket, Reply("two"), "127.0.0.3");
    SteadyTicks();
    AllocationHook::FailNth(1);
    EXPECT_EQ(SnmpReceiveAnswers(false), 5);
    EXPECT_TRUE(Answers().empty());
    EXPECT_EQ(Queued(socket), 1u);
}

TEST_F(ReceiveWindow, WindowEndsAThousandMillisecondsAfterTheCounterWraps) {
    const size_t socket = AddSocket();
    for (int i = 0; i < 5; ++i)
        Send(socket, {});
    // Opened 512 ms before the wrap: measured across the wrap the third wake-up would already
    // be 1511 ms in; counted from the wrap it is at 999 ms, and 1000 ends the window.
    Ticks({0xFFFFFE00u, 0xFFFFFF00u, 0x10u, 0x3E7u, 0x3E8u});
    EXPECT_EQ(SnmpReceiveAnswers(false), 0);
    EXPECT_EQ(g_tickReads, 5u);
    EXPECT_EQ(Queued(socket), 2u);
}

TEST_F(ReceiveWindow, OnlyTheFirstSixtyFourSocketsAreWatched) {
    for (size_t i = 0; i < kMaxReadSockets + 1; ++i)
        Send(AddSocket(), Reply("same printer"));
    std::vector<uint32_t> ticks;
    for (uint32_t i = 0; i <= kMaxReadSockets; ++i)
        ticks.push_back(i);
    ticks.push_back(kReceiveWindowMs);
    Ticks(std::move(ticks));
    EXPECT_EQ(SnmpReceiveAnswers(true), 0);
    for (size_t i = 0; i < kMaxReadSockets; ++i)
        EXPECT_EQ(Done(i), 1) << i;
    // The 65th socket is never read, so early stop could not end the window before its end.
    EXPECT_EQ(Done(kMaxReadSockets), 0);
    EXPECT_EQ(Queued(kMaxReadSockets), 1u);
    EXPECT_EQ(Answers().size(), 1u);
}

} // namespace
