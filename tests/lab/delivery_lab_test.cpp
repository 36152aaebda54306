// The delivery through the progress dialog against simulated printers on the real port 9100.
#include "delivery/backup_file.h"
#include "delivery/transport.h"
#include "platform/text_convert.h"
#include "printers/printer_table.h"
#include "tests/lab/lab_environment.h"
#include "tests/support/delivery_notices.h"
#include "tests/support/heap_guard.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/thread_state.h"
#include "text/heap.h"
#include "text/notices.h"
#include "ui/qt_text.h"
#include "ui/sending_dialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace delivery_notices;
using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// The TCP operations in entry 1 with a record of what the job did through them: the open under
// way, the blocks and results of Send, when Send, Open and Close returned, and an optional
// exhausted heap for the Nth open. With holdFirstOpen the first open, once made, does not
// return before a click has begun and left the user-interface thread asleep on the delivery
// lock, so that the click is known to have come while the open ran.
struct TcpRecorder {
    std::atomic<bool> opening{false};
    std::atomic<int> opens{0};
    std::atomic<int> failingOpen{0};
    std::atomic<bool> holdFirstOpen{false};
    std::atomic<bool> clickStarted{false};
    pid_t uiThread = 0;
    std::mutex mutex;
    std::vector<uint32_t> blocks;
    std::vector<int> sendResults;
    std::atomic<bool> finishing{false};
    Clock::time_point cancelledSendReturned;
    Clock::time_point lastSendReturned;
    Clock::time_point finishStarted;
    Clock::time_point finishReturned;
    Clock::time_point lastCloseReturned;
    Clock::time_point firstOpenReturned;
};
TcpRecorder* g_tcp = nullptr;

ResultCode RecordingOpen(int index, OpenRequest* request, ConnectionData** connection) {
    g_tcp->opening = true;
    if (++g_tcp->opens == g_tcp->failingOpen)
        AllocationHook::FailNth(1);
    const ResultCode result = TcpOpen(index, request, connection);
    AllocationHook::Reset();
    if (g_tcp->holdFirstOpen && g_tcp->opens == 1) {
        const auto deadline = Clock::now() + 10s;
        while (!g_tcp->clickStarted && Clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        EXPECT_TRUE(g_tcp->clickStarted) << "no click came while the open ran";
        EXPECT_TRUE(WaitUntilThreadSleeps(g_tcp->uiThread, 10s)) << "the click never waited";
    }
    if (g_tcp->opens == 1) {
        std::lock_guard lock(g_tcp->mutex);
        g_tcp->firstOpenReturned = Clock::now();
    }
    g_tcp->opening = false;
    return result;
}

ResultCode RecordingSend(ConnectionData* connection, const uint8_t* data, uint32_t length,
                         uint32_t* sent) {
    const ResultCode result = TcpSend(connection, data, length, sent);
    std::lock_guard lock(g_tcp->mutex);
    g_tcp->blocks.push_back(length);
    g_tcp->sendResults.push_back(result);
    if (result == kResultCancelled)
        g_tcp->cancelledSendReturned = Clock::now();
    g_tcp->lastSendReturned = Clock::now();
    return result;
}

ResultCode RecordingFinish(ConnectionData* connection) {
    {
        std::lock_guard lock(g_tcp->mutex);
        g_tcp->finishStarted = Clock::now();
    }
    g_tcp->finishing = true;
    const ResultCode result = TcpFinish(connection);
    g_tcp->finishing = false;
    std::lock_guard lock(g_tcp->mutex);
    g_tcp->finishReturned = Clock::now();
    return result;
}

ResultCode RecordingClose(ConnectionData* connection) {
    const ResultCode result = TcpClose(connection);
    std::lock_guard lock(g_tcp->mutex);
    g_tcp->lastCloseReturned = Clock::now();
    return result;
}

constexpr int kRecordedTcp = 1;

// A printer-table entry's outcome fields.
struct EntryState {
    int32_t status;
    int32_t ticked;
    int32_t locked;
    bool operator==(const EntryState&) const = default;
};
constexpr EntryState kRowSent{kStatusSent, 0, 1};
constexpr EntryState kRowFailed{kStatusFailed, 1, 0};
constexpr EntryState kRowUntouched{kStatusNotCompleted, 1, 0};

void PrintTo(const EntryState& state, std::ostream* out) {
    *out << "{status " << state.status << ", ticked " << state.ticked << ", locked " << state.locked
         << "}";
}

struct RunOutcome {
    int exitCode;
    int32_t jobFlag;
    bool recorded;
    Milliseconds duration;
    Clock::time_point ended;
};

class DeliveryLab : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallTcpTransport();
        m_tcp.opens = 0;
        m_tcp.failingOpen = 0;
        m_tcp.holdFirstOpen = false;
        m_tcp.finishing = false;
        m_tcp.clickStarted = false;
        m_tcp.uiThread = CurrentThreadId();
        m_tcp.firstOpenReturned = {};
        m_tcp.blocks.clear();
        m_tcp.sendResults.clear();
        g_tcp = &m_tcp;
        TransportTable[kRecordedTcp] = TransportEntry{RecordingOpen, RecordingSend, RecordingFinish,
                                                      TcpCancel, RecordingClose};
    }

    void TearDown() override {
        TransportTable[kRecordedTcp] = TransportEntry{};
        g_tcp = nullptr;
        FreeDeliveryNodes(m_nodes);
        FreePrinterEntries(m_entries);
        m_nodes = nullptr;
        m_entries = nullptr;
        m_rows.clear();
        ClearDeliveryHistory();
    }

    // Starts the next row of a table-driven test afresh.
    void NextCase() {
        TearDown();
        m_recorder.Clear();
        SetUp();
    }

    // A file of `length` bytes whose blocks all differ.
    QString WriteFile(size_t length) {
        m_content.resize(length);
        for (size_t i = 0; i < length; ++i)
            m_content[i] = static_cast<char>((i * 131 + i / 256) & 0xff);
        return WriteContent(m_content);
    }

    QString WriteContent(const std::string& content) {
        m_content = content;
        const QString path = m_dir.filePath(QStringLiteral("book.rvk"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content.data(), static_cast<qint64>(content.size()));
        return path;
    }

    // Ticked printer-table entries for these addresses, in this order.
    void Printers(std::initializer_list<const char*> addresses) {
        PrinterEntry** tail = &m_entries;
        for (const char* address : addresses) {
            auto* entry = HeapNew<PrinterEntry>();
            ASSERT_NE(entry, nullptr);
            entry->versionText = HeapStrDup(u"-");
            CopyWideField(entry->name, kNameUnits, u"Korvil 2950MFP-N");
            CopyWideField(entry->ipAddress, kIpUnits, NarrowToWide(address));
            entry->ticked = 1;
            m_rows.push_back(entry);
            *tail = entry;
            tail = &entry->next;
        }
    }

    // What the main window does on Download once the file is validated: the nodes of the
    // ticked printers, the dialog run modally, the outcome written into the table.
    RunOutcome Deliver(const QString& path, int transportIndex,
                       const std::function<void(CSending*)>& whileRunning = {}) {
        int count = 0;
        EXPECT_EQ(CollectTickedPrinters(m_entries, m_rows, &m_nodes, &count), 1);
        CSending dialog;
        m_dialog = &dialog;
        dialog.SetBackupFilePath(path);
        dialog.SetDeliveryList(m_nodes);
        dialog.SetStatusText(QtText(kSending + m_nodes->ipAddress));
        dialog.SetTransportIndex(transportIndex);
        dialog.SetJobFlag(1);
        if (whileRunning)
            QTimer::singleShot(0, &dialog, [&] { whileRunning(&dialog); });
        const auto start = Clock::now();
        const int exitCode = dialog.exec();
        const auto ended = Clock::now();
        const bool record = !(exitCode != 0 && dialog.JobFlag() == 0);
        if (record)
            RecordDeliveryResults(m_nodes, m_entries);
        auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
        m_range = {bar->minimum(), bar->maximum()};
        m_dialog = nullptr;
        return {exitCode, dialog.JobFlag(), record, ended - start, ended};
    }

    // Calls `step` every 10 ms on the dialog's event loop until it returns true.
    static void Poll(CSending* dialog, std::function<bool()> step) {
        auto* timer = new QTimer(dialog);
        QObject::connect(timer, &QTimer::timeout, dialog, [timer, step] {
            if (step())
                timer->deleteLater();
        });
        timer->start(10);
    }

    static void ClickCancel(CSending* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                          Qt::LeftButton);
    }

    std::vector<EntryState> Entries() const {
        std::vector<EntryState> states;
        for (const PrinterEntry* entry = m_entries; entry != nullptr; entry = entry->next)
            states.push_back({entry->status, entry->ticked, entry->locked});
        return states;
    }

    HeapLeakGuard m_heap;
    TcpRecorder m_tcp;
    QTemporaryDir m_dir;
    std::string m_content;
    MessageBoxRecorder m_recorder;
    PrinterEntry* m_entries = nullptr;
    std::vector<const PrinterEntry*> m_rows;
    DeliveryNode* m_nodes = nullptr;
    CSending* m_dialog = nullptr;
    std::pair<int, int> m_range;
};

TEST_F(DeliveryLab, OneHealthyPrinterGetsTheFileWithoutAnyNotice) {
    JobWatcher jobs("10.77.5.1");
    Printers({"10.77.5.1"});
    QString status;
    const RunOutcome run = Deliver(WriteFile(100'000), kRecordedTcp, [&](CSending* dialog) {
        status = dialog->findChild<QLabel*>(QStringLiteral("statusText"))->text();
    });
    const Milliseconds afterWorker = run.ended - m_tcp.lastCloseReturned;
    std::printf("[ figures  ] healthy printer: run %.0f ms, dialog closed %.0f ms after the "
                "worker's close\n",
                run.duration.count(), afterWorker.count());
    EXPECT_EQ(run.exitCode, QDialog::Accepted);
    EXPECT_EQ(status, QStringLiteral("Sending Backup Data\nPrinter:10.77.5.1"));
    EXPECT_EQ(m_recorder.Count(), 0u);
    EXPECT_EQ(Entries(), std::vector<EntryState>{kRowSent});
    const auto job = jobs.NextJob(10s);
    ASSERT_TRUE(job.has_value());
    EXPECT_TRUE(*job == m_content) << "the job differs from the file";
    // The close pause is over when Close returns; the next tick (100 ms) ends the dialog.
    EXPECT_LT(afterWorker, 1s);
}

TEST_F(DeliveryLab, UnreachableSecondPrinterIsReportedAndTheThirdServed) {
    JobWatcher first("10.77.5.2");
    JobWatcher third("10.77.5.3");
    Printers({"10.77.5.2", "10.77.5.99", "10.77.5.3"});
    m_recorder.Answer(IDOK);
    const RunOutcome run = Deliver(WriteFile(20'000), kTcpTransportIndex);
    EXPECT_EQ(BoxesOf(m_recorder),
              (std::vector<Box>{
                  {kSendCaption, kFailed + u"10.77.5.99" + kCheckConnection + kNext, kOkCancel}}));
    EXPECT_EQ(run.jobFlag, 1);
    EXPECT_EQ(Entries(), (std::vector<EntryState>{kRowSent, kRowFailed, kRowSent}));
    for (JobWatcher* jobs : {&first, &third}) {
        const auto job = jobs->NextJob(10s);
        ASSERT_TRUE(job.has_value());
        EXPECT_TRUE(*job == m_content);
    }
}

TEST_F(DeliveryLab, LastPrinterFailingOffersOnlyOk) {
    Printers({"10.77.5.4", "10.77.5.5"});
    Deliver(WriteFile(5'000), kTcpTransportIndex);
    EXPECT_EQ(
        BoxesOf(m_recorder),
        (std::vector<Box>{{kSendCaption, kFailed + u"10.77.5.5" + kCheckConnection, kOkOnly}}));
    EXPECT_EQ(Entries(), (std::vector<EntryState>{kRowSent, kRowFailed}));
}

TEST_F(DeliveryLab, CancelWhileSendingStopsTheStalledPrinter) {
    JobWatcher next("10.77.5.7");
    Printers({"10.77.5.6", "10.77.5.7"});
    m_recorder.Answer(IDOK);
    Clock::time_point clicked;
    Deliver(WriteFile(16u << 20), kRecordedTcp, [&](CSending* dialog) {
        // Once data flows, the stalled printer soon takes nothing more.
        Poll(dialog, [&, dialog] {
            if (dialog->findChild<QProgressBar*>(QStringLiteral("progress"))->value() <= 0)
                return false;
            clicked = Clock::now();
            ClickCancel(dialog);
            return true;
        });
    });
    const Milliseconds reaction = m_tcp.cancelledSendReturned - clicked;
    std::printf("[ figures  ] cancel while sending: the send stopped %.0f ms after the click\n",
                reaction.count());
    EXPECT_EQ(BoxesOf(m_recorder),
              (std::vector<Box>{{kCancelCaption, kInterrupted + u"10.77.5.6" + kNext, kOkCancel}}));
    EXPECT_LT(reaction, 1s) << "the transport waits at most 200 ms at a time";
    EXPECT_EQ(Entries(), (std::vector<EntryState>{kRowFailed, kRowSent}));
    const auto job = next.NextJob(10s);
    ASSERT_TRUE(job.has_value());
    EXPECT_TRUE(*job == m_content);
}

TEST_F(DeliveryLab, CancelBeforeTheFirstTickConnectsNowhere) {
    Printers({"10.77.5.10", "10.77.5.11"});
    m_recorder.Answer(IDCANCEL);
    const long opensBefore = TcpActiveOpens();
    const RunOutcome run = Deliver(WriteFile(5'000), kTcpTransportIndex,
                                   [](CSending* dialog) { ClickCancel(dialog); });
    EXPECT_EQ(TcpActiveOpens() - opensBefore, 0);
    EXPECT_EQ(
        BoxesOf(m_recorder),
        (std::vector<Box>{{kCancelCaption, kInterrupted + u"10.77.5.10" + kNext, kOkCancel}}));
    EXPECT_EQ(run.jobFlag, 1);
    EXPECT_EQ(Entries(), (std::vector<EntryState>{kRowFailed, kRowFailed}));
}

TEST_F(DeliveryLab, CancelWhileConnectingTakesEffectWhenTheAttemptEnds) {
    const struct {
        const char* why;
        const char* printer;
        bool connects;
        Box box;
    } cases[] = {
        {"the attempt fails: the click has no effect",
         "10.77.5.8",
         false,
         {kSendCaption, kFailed + u"10.77.5.8" + kCheckConnection + kNext, kOkCancel}},
        {"the attempt succeeds: the send is cancelled",
         "10.77.5.9",
         true,
         {kCancelCaption, kInterrupted + u"10.77.5.9" + kNext, kOkCancel}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        NextCase();
        Printers({c.printer, "10.77.5.7"});
        m_recorder.Answer(IDOK);
        m_tcp.holdFirstOpen = true;
        Milliseconds clickTook{};
        Clock::time_point clickEnded;
        Deliver(WriteFile(4u << 20), kRecordedTcp, [&](CSending* dialog) {
            Poll(dialog, [&, dialog] {
                if (!m_tcp.opening)
                    return false;
                m_tcp.clickStarted = true;
                const auto start = Clock::now();
                ClickCancel(dialog); // waits on the delivery lock while the open runs
                clickEnded = Clock::now();
                clickTook = clickEnded - start;
                return true;
            });
        });
        std::printf("[ figures  ] %s: the click took %.0f ms\n", c.printer, clickTook.count());
        std::lock_guard lock(m_tcp.mutex);
        EXPECT_GE(clickEnded, m_tcp.firstOpenReturned) << "the click waited for the attempt";
        if (c.connects) {
            // The first printer is served first: its sends lead the record.
            ASSERT_FALSE(m_tcp.sendResults.empty());
            EXPECT_EQ(m_tcp.sendResults.back(), kResultSuccess) << "the next printer is served";
            // A click that had to wait for the open reaches the connection before any data.
            EXPECT_EQ(m_tcp.sendResults.front(), kResultCancelled);
        } else {
            EXPECT_EQ(std::count(m_tcp.sendResults.begin(), m_tcp.sendResults.end(),
                                 int{kResultCancelled}),
                      0);
        }
        EXPECT_EQ(BoxesOf(m_recorder), std::vector<Box>{c.box});
        EXPECT_EQ(Entries(), (std::vector<EntryState>{kRowFailed, kRowSent}));
    }
}

TEST_F(DeliveryLab, BackupFileRemovedAfterValidation) {
    const QString path =
        WriteContent("@PJL COMMENT VERSION:BACKUP=2.1\r\n@PJL ENTER LANGUAGE=DOWNLOAD\r\n"
                     "MERIN-AIO-QTB \r\npayload");
    char code[kProductCodeFieldBytes];
    ASSERT_TRUE(BackupFileExists(path.toStdU16String()));
    ASSERT_TRUE(ValidateBackupFile(path.toStdU16String(), code));
    ASSERT_TRUE(CheckProductCode(code));
    QFile::remove(path);
    Printers({"10.77.5.10"});
    const long opensBefore = TcpActiveOpens();
    const RunOutcome run = Deliver(path, kTcpTransportIndex);
    EXPECT_EQ(BoxesOf(m_recorder), std::vector<Box>{kBadUpdateFile});
    EXPECT_EQ(run.exitCode, QDialog::Accepted);
    EXPECT_EQ(run.jobFlag, 0);
    EXPECT_FALSE(run.recorded);
    EXPECT_EQ(Entries(), std::vector<EntryState>{kRowUntouched});
    EXPECT_EQ(TcpActiveOpens() - opensBefore, 0);
}

TEST_F(DeliveryLab, SmallFilesGoInBlocksOf256Bytes) {
    const struct {
        const char* why;
        size_t length;
        std::vector<uint32_t> blocks;
        std::pair<int, int> range;
    } cases[] = {
        {"exactly one block", 256, {256}, {1, 256}},
        {"1,000 bytes", 1000, {256, 256, 256, 232}, {1, 768}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        NextCase();
        JobWatcher jobs("10.77.5.1");
        Printers({"10.77.5.1"});
        Deliver(WriteFile(c.length), kRecordedTcp);
        EXPECT_EQ(m_tcp.blocks, c.blocks);
        EXPECT_EQ(m_range, c.range);
        const auto job = jobs.NextJob(10s);
        ASSERT_TRUE(job.has_value());
        EXPECT_TRUE(*job == m_content);
    }
}

TEST_F(DeliveryLab, SentOnlyWhenThePrinterConfirmsTheWholeJob) {
    // Small files fit in the socket buffers, so only the printer's answer after the last block
    // tells these apart. A printer reset at once may already refuse the connection.
    const struct {
        const char* address;
        bool mayRefuse;
    } failing[] = {
        {"10.77.6.1", true}, {"10.77.6.2", false}, {"10.77.6.3", false}, {"10.77.6.4", false}};
    const char* const healthy = "10.77.6.5";
    const struct {
        const char* why;
        size_t length;
        size_t takenWhole; // failing printers that take this whole file and close: "Sent"
    } sizes[] = {
        {"1 byte: the printer that closes after 100 bytes has it all", 1, 1},
        {"1 KB", 1024, 0},
        {"40 KB", 40 * 1024, 0},
        {"4 MB", 4u << 20, 0},
    };
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.why);
        NextCase();
        JobWatcher jobs(healthy);
        Printers({failing[0].address, failing[1].address, failing[2].address, failing[3].address,
                  healthy});
        for (size_t i = 0; i < std::size(failing); ++i)
            m_recorder.Answer(IDOK);
        Deliver(WriteFile(size.length), kTcpTransportIndex);

        std::vector<EntryState> rows(std::size(failing) - size.takenWhole, kRowFailed);
        rows.resize(std::size(failing) + 1, kRowSent);
        EXPECT_EQ(Entries(), rows);
        const std::vector<Box> boxes = BoxesOf(m_recorder);
        ASSERT_EQ(boxes.size(), std::size(failing) - size.takenWhole);
        for (size_t i = 0; i < boxes.size(); ++i) {
            const std::u16string start = kFailed + NarrowToWide(failing[i].address);
            const bool refused = failing[i].mayRefuse && boxes[i].text.starts_with(start) &&
                                 boxes[i].text.find(kCheckConnection) != std::u16string::npos;
            EXPECT_EQ(boxes[i], (Box{kSendCaption,
                                     start + (refused ? kCheckConnection : kCommunication) + kNext,
                                     kOkCancel}));
        }
        const auto job = jobs.NextJob(10s);
        ASSERT_TRUE(job.has_value());
        EXPECT_TRUE(*job == m_content) << "the healthy printer's job differs from the file";
    }
}

TEST_F(DeliveryLab, PrintersThatAnswerLateOrNever) {
    const struct {
        const char* why;
        const char* printer;
        size_t length;
        bool cancel;
        EntryState row;
        std::chrono::seconds leastWait; // from the last block to the printer's answer
    } cases[] = {
        {"slow printer, 24 KB/s", "10.77.6.6", 200 * 1024, false, kRowSent, 0s},
        {"reads everything, never closes: served after its silence", "10.77.6.7", 40 * 1024, false,
         kRowSent, 5s},
        {"stops reading: a Cancel while its answer is awaited", "10.77.6.8", 1024, true, kRowFailed,
         0s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        NextCase();
        JobWatcher jobs(c.printer);
        Printers({c.printer});
        Clock::time_point clicked;
        Deliver(WriteFile(c.length), kRecordedTcp, [&](CSending* dialog) {
            if (!c.cancel)
                return;
            // Clicked once the wait for the answer is under way.
            Poll(dialog, [&, dialog] {
                {
                    // Not held over the click: the worker takes this lock under the delivery lock.
                    std::lock_guard lock(m_tcp.mutex);
                    if (!m_tcp.finishing || Clock::now() - m_tcp.finishStarted < 300ms)
                        return false;
                }
                clicked = Clock::now();
                ClickCancel(dialog);
                return true;
            });
        });
        EXPECT_EQ(Entries(), std::vector<EntryState>{c.row});
        std::lock_guard lock(m_tcp.mutex);
        const Milliseconds answer = m_tcp.finishReturned - m_tcp.lastSendReturned;
        if (c.cancel) {
            const Milliseconds reaction = m_tcp.finishReturned - clicked;
            std::printf("[ figures  ] cancel while awaiting the answer: noticed after %.0f ms\n",
                        reaction.count());
            EXPECT_EQ(BoxesOf(m_recorder),
                      (std::vector<Box>{
                          {kCancelCaption, kInterrupted + NarrowToWide(c.printer), kOkOnly}}));
            EXPECT_LT(reaction, 1s) << "the wait looks at the cancel flag every 200 ms";
            continue;
        }
        std::printf("[ figures  ] %s: answered %.0f ms after the last block\n", c.printer,
                    answer.count());
        EXPECT_EQ(m_recorder.Count(), 0u);
        const auto job = jobs.NextJob(10s);
        ASSERT_TRUE(job.has_value());
        EXPECT_TRUE(*job == m_content);
        EXPECT_GE(answer, c.leastWait);
    }
}

TEST_F(DeliveryLab, OutOfMemoryAtTheThirdPrinterChangesNoPrinter) {
    JobWatcher first("10.77.5.12");
    JobWatcher second("10.77.5.13");
    Printers({"10.77.5.12", "10.77.5.13", "10.77.5.14"});
    m_tcp.failingOpen = 3;
    const RunOutcome run = Deliver(WriteFile(10'000), kRecordedTcp);
    EXPECT_EQ(BoxesOf(m_recorder), std::vector<Box>{kOutOfMemory});
    EXPECT_EQ(run.jobFlag, 0);
    EXPECT_FALSE(run.recorded);
    EXPECT_EQ(Entries(), (std::vector<EntryState>{kRowUntouched, kRowUntouched, kRowUntouched}));
    for (JobWatcher* jobs : {&first, &second}) {
        const auto job = jobs->NextJob(10s);
        ASSERT_TRUE(job.has_value()) << "the first two printers received the file";
        EXPECT_TRUE(*job == m_content);
    }
}

} // namespace

int main(int argc, char** argv) {
    TakeProcessHeap();
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
