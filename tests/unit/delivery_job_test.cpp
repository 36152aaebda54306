#include "delivery/delivery_job.h"
#include "platform/text_convert.h"
#include "tests/support/delivery_notices.h"
#include "tests/support/fake_transport.h"
#include "tests/support/file_access.h"
#include "tests/support/heap_guard.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/temporary_directory.h"
#ifndef _WIN32
#include "tests/support/thread_state.h"
#endif
#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace delivery_notices;

const char16_t* const kPrinters[] = {u"10.77.3.1", u"10.77.3.2", u"10.77.3.3"};

// Records what the job asks of its dialog.
class FakeView : public DeliveryJobView {
  public:
    void ShowStatusText(const std::u16string& text) override { statusTexts.push_back(text); }
    void SetProgressRange(int lower, int upper) override { range = {lower, upper}; }
    void SetProgressPosition(int position) override { positions.push_back(position); }
    void StartTimer() override { timerRunning = true; }
    void StopTimer() override { timerRunning = false; }
    void CloseWithOk() override {
        closed = true;
        EXPECT_FALSE(timerRunning) << "the job closed with its timer running";
    }

    std::vector<std::u16string> statusTexts;
    std::pair<int, int> range{0, 0};
    std::vector<int> positions;
    bool timerRunning = false;
    bool closed = false;
};

class DeliveryJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Every notice must come while the timer stands still; answers come from m_answers.
        m_recorder.Respond([this](const RecordedMessageBox& box) -> int {
            EXPECT_FALSE(m_view.timerRunning) << "a notice came with the timer running";
            const bool question = (box.flags & MB_TYPEMASK) != MB_OK;
            if (!question || m_answers.empty())
                return IDOK;
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }

    void TearDown() override {
        while (m_nodes != nullptr) {
            DeliveryNode* next = m_nodes->next;
            HeapFree(m_nodes);
            m_nodes = next;
        }
    }

    // Starts a table row afresh: no printers, a new view, no notices.
    void NextCase() {
        TearDown();
        m_view = FakeView{};
        m_recorder.Clear();
    }

    // A file of `length` bytes whose blocks all differ.
    std::string WriteFile(size_t length) {
        m_content.resize(length);
        for (size_t i = 0; i < length; ++i)
            m_content[i] = static_cast<char>((i * 131 + i / 256) & 0xff);
        return m_dir.Write("book.rvk", m_content);
    }

    void AddPrinters(int count) {
        DeliveryNode** tail = &m_nodes;
        for (int i = 0; i < count; ++i) {
            auto* node = HeapNew<DeliveryNode>();
            ASSERT_NE(node, nullptr);
            CopyWideField(node->ipAddress, kNodeIpUnits, kPrinters[i]);
            CopyWideField(node->name, kNameUnits, u"Korvil 2950MFP-N");
            node->sent = 7; // the job must clear it
            *tail = node;
            tail = &node->next;
        }
    }

    void Start(const std::string& path, int transportIndex = 1) {
        m_job.SetBackupFilePath(NarrowToWide(path));
        m_job.SetDeliveryList(m_nodes);
        m_job.SetStatusText(kSending + m_nodes->ipAddress);
        m_job.SetTransportIndex(transportIndex);
        m_job.SetJobFlag(1);
        m_job.Initialise(&m_view);
    }

    // Ticks the job like its timer until it closes (faster than 100 ms: only the order of
    // events matters here).
    void RunToEnd() {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (!m_view.closed && std::chrono::steady_clock::now() < deadline) {
            if (m_view.timerRunning)
                m_job.Tick();
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_TRUE(m_view.closed) << "the job did not end";
    }

    std::vector<int> SentFlags() const {
        std::vector<int> flags;
        for (const DeliveryNode* node = m_nodes; node != nullptr; node = node->next)
            flags.push_back(node->sent);
        return flags;
    }

    std::vector<Box> Boxes() const {
        std::vector<Box> boxes;
        for (const auto& box : m_recorder.Boxes())
            boxes.push_back({box.caption, box.text, box.flags});
        return boxes;
    }

    HeapLeakGuard m_heap;
    TemporaryDirectory m_dir;
    std::string m_content;
    MessageBoxRecorder m_recorder;
    std::deque<int> m_answers;
    FakeView m_view;
    DeliveryNode* m_nodes = nullptr;
    DeliveryJob m_job;
};

std::u16string Ip(int printer) {
    return kPrinters[printer];
}

struct OutcomeCase {
    const char* why;
    std::vector<FakePrinterScript> printers;
    std::vector<int> answers;
    std::vector<Box> boxes;
    std::vector<int> sent;
    int jobFlag;
};

TEST_F(DeliveryJobTest, PrinterOutcomesNoticesAndSentFlags) {
    const FakePrinterScript ok;
    const FakePrinterScript unreachable{.openResult = kResultNetworkFailure};
    const FakePrinterScript resets{.failAfter = 600};
    const FakePrinterScript resetsAtTheEnd{.finishResult = kResultNetworkFailure};
    const FakePrinterScript noMemory{.openResult = kResultOutOfMemory};
    const FakePrinterScript unusable{.openResult = kResultBadArgument};
    const OutcomeCase cases[] = {
        {"one healthy printer: no notice", {ok}, {}, {}, {1}, 1},
        {"three healthy printers", {ok, ok, ok}, {}, {}, {1, 1, 1}, 1},
        {"second unreachable, OK serves the third",
         {ok, unreachable, ok},
         {IDOK},
         {{kSendCaption, kFailed + Ip(1) + kCheckConnection + kNext, kOkCancel}},
         {1, 0, 1},
         1},
        {"second unreachable, Cancel ends the job",
         {ok, unreachable, ok},
         {IDCANCEL},
         {{kSendCaption, kFailed + Ip(1) + kCheckConnection + kNext, kOkCancel}},
         {1, 0, 0},
         1},
        {"last printer unreachable: OK only",
         {ok, unreachable},
         {},
         {{kSendCaption, kFailed + Ip(1) + kCheckConnection, kOkOnly}},
         {1, 0},
         1},
        {"connection lost while sending: communication error",
         {resets, ok},
         {IDOK},
         {{kSendCaption, kFailed + Ip(0) + kCommunication + kNext, kOkCancel}},
         {0, 1},
         1},
        {"every block taken, then a reset instead of the printer's close: not sent",
         {resetsAtTheEnd, ok},
         {IDOK},
         {{kSendCaption, kFailed + Ip(0) + kCommunication + kNext, kOkCancel}},
         {0, 1},
         1},
        {"out of memory opening the third: job flag 0",
         {ok, ok, noMemory},
         {},
         {kOutOfMemory},
         {1, 1, 0},
         0},
        {"out of memory opening the first ends the job at once",
         {noMemory, ok},
         {},
         {kOutOfMemory},
         {0, 0},
         0},
        {"no usable transport: no notice, next printer, never 'sent'",
         {unusable, ok},
         {},
         {},
         {0, 1},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        NextCase();
        m_answers.assign(c.answers.begin(), c.answers.end());
        FakeTransport fake;
        for (size_t i = 0; i < c.printers.size(); ++i)
            fake.Script(kPrinters[i], c.printers[i]);
        AddPrinters(static_cast<int>(c.printers.size()));
        Start(WriteFile(1000));
        RunToEnd();

        EXPECT_EQ(Boxes(), c.boxes);
        EXPECT_EQ(SentFlags(), c.sent);
        EXPECT_EQ(m_job.JobFlag(), c.jobFlag);
        EXPECT_EQ(fake.MaxConcurrent(), 1) << "two printers were served at once";
        for (size_t i = 0; i < c.printers.size(); ++i) {
            const FakePrinterLog log = fake.Log(kPrinters[i]);
            EXPECT_EQ(log.closes, c.printers[i].openResult == kResultSuccess ? log.opens : 0)
                << "every open connection is closed";
            if (c.sent[i] == 1) {
                EXPECT_EQ(log.received, m_content) << "printer " << i;
            }
        }
    }
}

TEST_F(DeliveryJobTest, StatusTextNamesEachPrinterInTurn) {
    FakeTransport fake;
    AddPrinters(3);
    Start(WriteFile(300));
    RunToEnd();
    const std::vector<std::u16string> expected = {kSending + Ip(0), kSending + Ip(1),
                                                  kSending + Ip(2)};
    EXPECT_EQ(m_view.statusTexts, expected);
    EXPECT_EQ(m_job.StatusText(), kSending + Ip(2));
}

TEST_F(DeliveryJobTest, EmptyTransportEntryIsNeverCalled) {
    // Entry 0 has no operations: every printer fails quietly and none counts as sent.
    ASSERT_EQ(TransportTable[0].Open, nullptr);
    AddPrinters(2);
    Start(WriteFile(1000), 0);
    RunToEnd();
    EXPECT_EQ(m_recorder.Count(), 0u);
    EXPECT_EQ(SentFlags(), (std::vector<int>{0, 0}));
    EXPECT_EQ(m_job.JobFlag(), 1);
}

TEST_F(DeliveryJobTest, BlocksAndProgressRange) {
    const struct {
        const char* why;
        size_t length;
        std::vector<uint32_t> blocks;
        int upper;
    } cases[] = {
        {"exactly one block", 256, {256}, 256},
        {"1,000 bytes: three blocks and a short one; range to 768",
         1000,
         {256, 256, 256, 232},
         768},
        {"shorter than a block: the bar still spans one block", 100, {100}, 256},
        {"a single byte", 1, {1}, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TearDown();
        m_view = FakeView{};
        FakeTransport fake;
        AddPrinters(1);
        Start(WriteFile(c.length));
        RunToEnd();
        const FakePrinterLog log = fake.Log(kPrinters[0]);
        EXPECT_EQ(log.blocks, c.blocks);
        EXPECT_EQ(log.received, m_content);
        EXPECT_EQ(m_view.range, std::make_pair(1, c.upper));
        for (int position : m_view.positions) {
            EXPECT_TRUE(position == 0 ||
                        (position >= 256 && position <= c.upper && position % 256 == 0))
                << position;
        }
    }
}

TEST(ProgressScale, MapsBytesSentToTheBar) {
    const struct {
        const char* why;
        uint32_t length;
        uint32_t bytesSent;
        int upper;
        int position;
    } cases[] = {
        {"nothing sent: empty bar", 1000, 0, 768, 0},
        {"part of the first block shows one block", 1000, 1, 768, 256},
        {"255 bytes", 1000, 255, 768, 256},
        {"whole blocks as they are", 1000, 512, 768, 512},
        {"beyond the range: full", 1000, 1000, 768, 768},
        {"exact multiple of 256", 1024, 1024, 1024, 1024},
        {"tiny file: one block wide", 10, 10, 256, 256},
        {"just under 2 GiB fits as is", 0x7FFFFF00u, 0x100u, 0x7FFFFF00, 0x100},
        {"3 GiB file: half scale", 0xC0000000u, 0x80000000u, 0x60000000, 0x40000000},
        {"largest file", 0xFFFFFFFFu, 0xFFFFFFFFu, 0x7FFFFF80, 0x7FFFFF80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const ProgressScale scale(c.length);
        EXPECT_EQ(scale.Upper(), c.upper);
        EXPECT_EQ(scale.Position(c.bytesSent), c.position);
    }
}

TEST_F(DeliveryJobTest, UnreadableFileEndsTheJobWithoutTouchingPrinters) {
    enum class Fault { Missing, Empty, Locked, NoMemory };
    const struct {
        const char* why;
        Fault fault;
        Box box;
    } cases[] = {
        {"file removed after validation", Fault::Missing, kBadUpdateFile},
        {"empty file", Fault::Empty, kBadUpdateFile},
        {"file locked by someone else", Fault::Locked, kBadUpdateFile},
        {"no memory for the file", Fault::NoMemory, kOutOfMemory},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        NextCase();
        FakeTransport fake;
        AddPrinters(2);
        const std::string path = WriteFile(c.fault == Fault::Empty ? 0 : 1000);
        std::optional<HeldFile> other;
        if (c.fault == Fault::Missing)
            std::remove(path.c_str());
        if (c.fault == Fault::Locked) {
            other.emplace(path, HeldFile::Holder::kThisProcess);
            ASSERT_TRUE(other->Held());
        }
        if (c.fault == Fault::NoMemory)
            AllocationHook::FailNth(1);
        Start(path);
        AllocationHook::Reset();
        other.reset();

        EXPECT_TRUE(m_view.closed) << "the job ends before any tick";
        EXPECT_FALSE(m_view.timerRunning);
        EXPECT_EQ(Boxes(), std::vector<Box>{c.box});
        EXPECT_EQ(m_job.JobFlag(), 0);
        EXPECT_EQ(fake.Log(kPrinters[0]).opens, 0);
        m_job.Cancel(); // after the end: no effect, no crash
    }
}

TEST_F(DeliveryJobTest, CancelBeforeTheFirstTick) {
    for (const int answer : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(answer == IDOK ? "OK goes on" : "Cancel ends");
        NextCase();
        m_answers = {answer};
        FakeTransport fake;
        AddPrinters(2);
        Start(WriteFile(1000));
        m_job.Cancel();
        RunToEnd();
        EXPECT_EQ(Boxes(),
                  (std::vector<Box>{{kCancelCaption, kInterrupted + Ip(0) + kNext, kOkCancel}}));
        EXPECT_EQ(fake.Log(kPrinters[0]).opens, 0) << "no connection was attempted";
        EXPECT_EQ(SentFlags(), (std::vector<int>{0, answer == IDOK ? 1 : 0}));
        EXPECT_EQ(fake.Log(kPrinters[1]).opens, answer == IDOK ? 1 : 0);
    }
}

TEST_F(DeliveryJobTest, CancelWhileSendingReachesTheTransport) {
    const struct {
        const char* why;
        FakePrinterScript printer;
        std::vector<int> sendResults;
    } cases[] = {
        {"the printer takes nothing", {.stallSends = true}, {kResultCancelled}},
        {"every block sent, the printer's answer awaited",
         {.stallFinish = true},
         std::vector<int>(4, kResultSuccess)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        NextCase();
        FakeTransport fake;
        fake.Script(kPrinters[0], c.printer);
        AddPrinters(2);
        Start(WriteFile(1000));
        m_job.Tick(); // starts the first worker
        ASSERT_TRUE(fake.WaitUntilStalled(10s));
        m_job.Cancel();
        RunToEnd();
        EXPECT_EQ(Boxes(),
                  (std::vector<Box>{{kCancelCaption, kInterrupted + Ip(0) + kNext, kOkCancel}}));
        const FakePrinterLog stalled = fake.Log(kPrinters[0]);
        EXPECT_EQ(stalled.sendResults, c.sendResults);
        EXPECT_EQ(stalled.closes, 1);
        EXPECT_EQ(SentFlags(), (std::vector<int>{0, 1}));
    }
}

TEST_F(DeliveryJobTest, CancelWhileConnectingWaitsForTheOpen) {
#ifdef _WIN32
    GTEST_SKIP() << "no cheap way here to see that Cancel sleeps on the delivery lock, and a "
                    "fixed delay would race the open";
#else
    const struct {
        const char* why;
        ResultCode openResult;
        Box box;
        std::vector<int> sends;
    } cases[] = {
        {"the open succeeds: the first send is cancelled",
         kResultSuccess,
         {kCancelCaption, kInterrupted + Ip(0) + kNext, kOkCancel},
         {kResultCancelled}},
        {"the open fails: the Cancel has no effect",
         kResultNetworkFailure,
         {kSendCaption, kFailed + Ip(0) + kCheckConnection + kNext, kOkCancel},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        NextCase();
        FakeTransport fake;
        fake.Script(kPrinters[0], {.openResult = c.openResult, .holdOpen = true});
        AddPrinters(2);
        Start(WriteFile(1000));
        m_job.Tick();
        ASSERT_TRUE(fake.WaitUntilOpenHeld(10s));
        // The open ends only once this thread is inside Cancel, asleep on the delivery lock; a
        // fixed delay would let a slow machine reach Cancel after the open had ended.
        const pid_t canceller = CurrentThreadId();
        std::atomic<bool> cancelling{false};
        std::thread opener([&] {
            while (!cancelling.load())
                std::this_thread::yield();
            EXPECT_TRUE(WaitUntilThreadSleeps(canceller, 10s)) << "Cancel never waited";
            fake.ReleaseOpen();
        });
        cancelling.store(true);
        m_job.Cancel(); // waits on the delivery lock until the open has ended
        opener.join();
        RunToEnd();
        EXPECT_EQ(Boxes(), std::vector<Box>{c.box}) << "exactly one notice";
        const FakePrinterLog log = fake.Log(kPrinters[0]);
        EXPECT_EQ(log.received, "");
        EXPECT_EQ(log.sendResults, c.sends) << "the first send is cancelled at once";
        EXPECT_EQ(SentFlags(), (std::vector<int>{0, 1})) << "the second printer is served";
    }
#endif
}

TEST_F(DeliveryJobTest, CancelAfterTheLastBlockCountsAsNotSent) {
    FakeTransport fake;
    fake.Script(kPrinters[0], {.holdClose = true});
    AddPrinters(2);
    Start(WriteFile(1000));
    m_job.Tick();
    ASSERT_TRUE(fake.WaitUntilCloseHeld(10s));
    std::thread closer([&] {
        std::this_thread::sleep_for(50ms);
        fake.ReleaseClose();
    });
    m_job.Cancel(); // the worker closes under the lock: this waits, then records a request
    closer.join();
    RunToEnd();
    EXPECT_EQ(fake.Log(kPrinters[0]).received, m_content) << "all data went out";
    EXPECT_EQ(Boxes(),
              (std::vector<Box>{{kCancelCaption, kInterrupted + Ip(0) + kNext, kOkCancel}}));
    EXPECT_EQ(SentFlags(), (std::vector<int>{0, 1}));
    EXPECT_EQ(fake.MaxConcurrent(), 1);
}

TEST_F(DeliveryJobTest, RunsAgainAfterAFinishedRun) {
    // The main window keeps one job and runs it once per Download.
    FakeTransport fake;
    AddPrinters(1);
    const std::string path = WriteFile(700);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        m_view = FakeView{};
        Start(path);
        RunToEnd();
        EXPECT_EQ(SentFlags(), std::vector<int>{1});
    }
    EXPECT_EQ(fake.Log(kPrinters[0]).received, m_content + m_content);
}

} // namespace
