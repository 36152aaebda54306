// A day of use in minutes: one process opens the main window again and again, searches and
// delivers through its buttons, and runs tolvane-cli's discover and restore in-process, against
// printers that are healthy, reset, refuse or stall (day_of_use.printers). It prints the peak
// and resident memory, open descriptors, threads and live heap blocks as it goes, and fails
// when an outcome is wrong or they do not settle after the first 50 cycles.
// Usage: day_of_use [CYCLES [LOG]]   (500 cycles; the tool's own output goes to LOG)
#include "cli/arguments.h"
#include "cli/discover_command.h"
#include "cli/restore_command.h"
#include "delivery/transport.h"
#include "platform/socket_startup.h"
#include "printers/printer_table.h"
#include "printers/settings.h"
#include "tests/lab/lab_environment.h"
#include "tests/lab/window_driver.h"
#include "tests/support/message_box_recorder.h"
#include "text/heap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

const QString kHealthy = QStringLiteral("10.77.10.1");
const QString kResetting = QStringLiteral("10.77.10.2");
const QString kRefusing = QStringLiteral("10.77.10.3");
const QString kStalled = QStringLiteral("10.77.10.4");
const QStringList kPrinters = {kHealthy, kResetting, kRefusing, kStalled};
constexpr int kSessionCycles = 10;

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer holds freed blocks back (its quarantine): the memory figures only grow.
constexpr bool kJudgeMemory = false;
#else
constexpr bool kJudgeMemory = true;
#endif

FILE* g_out = stdout;
int g_faults = 0;

void Fault(int cycle, const QString& what) {
    ++g_faults;
    std::fprintf(g_out, "cycle %d: %s\n", cycle, qPrintable(what));
    std::fflush(g_out);
}

// Larger than the stalled printer's buffers, so its delivery is still going when cancelled.
QByteArray Backup() {
    QByteArray data = QByteArrayLiteral("\x1b%-12345X@PJL\r\n@PJL COMMENT VERSION:BACKUP=1.04\r\n"
                                        "@PJL ENTER LANGUAGE=DOWNLOAD\r\nMERIN-AIO-QTB BOOK\r\n");
    for (int i = 0; data.size() < (256 << 10); ++i)
        data += QByteArrayLiteral("ENTRY ") + QByteArray::number(i) + ",fax,mail\r\n";
    return data;
}

struct Sample {
    long peakKb = 0;
    long residentKb = 0;
    long threads = 0;
    long descriptors = 0;
    long liveBlocks = 0;
};

Sample Measure() {
    Sample sample;
    std::ifstream status("/proc/self/status");
    for (std::string key; status >> key;) {
        long value = 0;
        if (key == "VmHWM:" && status >> value)
            sample.peakKb = value;
        else if (key == "VmRSS:" && status >> value)
            sample.residentKb = value;
        else if (key == "Threads:" && status >> value)
            sample.threads = value;
    }
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++sample.descriptors;
    sample.liveBlocks = AllocationHook::LiveBlocks();
    return sample;
}

CliArguments Parse(const std::vector<std::string>& words) {
    CliArguments arguments;
    std::string error;
    if (!ParseArguments(words, &arguments, &error))
        std::fprintf(g_out, "bad arguments: %s\n", error.c_str());
    return arguments;
}

// The window's delivery to every printer, the stalled one cancelled from the progress dialog.
void WindowDelivery(int cycle, WindowDriver& window, const QByteArray& backup) {
    MessageBoxRecorder boxes; // Yes to the question, OK to every notice
    JobWatcher healthy(kHealthy.toStdString());
    window.Tick(kPrinters);
    window.Download(kStalled);
    const auto rows = window.Rows();
    for (const QString& printer : kPrinters) {
        const QString expected =
            printer == kHealthy ? QStringLiteral("Sent") : QStringLiteral("Failed");
        if (rows.count(printer) == 0 || rows.at(printer).status != expected)
            Fault(cycle, "window: " + printer + " is not " + expected);
    }
    if (boxes.Count() != 4)
        Fault(cycle, QStringLiteral("window: %1 message boxes, not 4").arg(boxes.Count()));
    const auto job = healthy.NextJob(10s);
    if (!job || *job != backup.toStdString())
        Fault(cycle, "window: the healthy printer's job differs from the file");
}

// tolvane-cli restore to every printer; Ctrl-C once only the stalled one is still going.
void CliDelivery(int cycle, const QString& file, const QString& report,
                 const ModelListEntry* models, int versionKind) {
    JobWatcher healthy(kHealthy.toStdString());
    JobWatcher resetting(kResetting.toStdString());
    std::vector<std::string> words = {"restore", file.toStdString(), "--yes", "--report",
                                      report.toStdString()};
    for (const QString& printer : kPrinters)
        words.push_back(printer.toStdString());
    std::thread interrupter([&] {
        healthy.NextJob(30s);
        resetting.NextJob(30s);
        std::this_thread::sleep_for(1500ms); // the healthy printer's close reaches the tool
        ::kill(::getpid(), SIGINT);
    });
    const int status = RunRestore(Parse(words), versionKind, models);
    interrupter.join();
    if (status != 130)
        Fault(cycle, QStringLiteral("cli: restore exit %1, not 130").arg(status));
    QFile written(report);
    written.open(QIODevice::ReadOnly);
    const auto printers = QJsonDocument::fromJson(written.readAll())[QStringLiteral("printers")];
    const QStringList expected = {"sent", "failed", "failed", "cancelled"};
    for (qsizetype i = 0; i < kPrinters.size(); ++i) {
        const QString outcome = printers[i][QStringLiteral("outcome")].toString();
        if (printers[i][QStringLiteral("address")].toString() != kPrinters[i] ||
            outcome != expected[i])
            Fault(cycle, "cli: " + kPrinters[i] + " " + outcome + ", not " + expected[i]);
    }
}

void CheckWindowRows(int cycle, const WindowDriver& window) {
    if (window.Rows().size() != size_t(kPrinters.size()))
        Fault(cycle, QStringLiteral("window: %1 rows, not 4").arg(window.Rows().size()));
}

void Print(int cycle, const Sample& s, double seconds) {
    std::fprintf(g_out, "%6d %10ld %10ld %6ld %8ld %12ld %9.0f\n", cycle, s.peakKb, s.residentKb,
                 s.descriptors, s.threads, s.liveBlocks, seconds);
    std::fflush(g_out);
}

} // namespace

int main(int argc, char** argv) {
    TakeProcessHeap();
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(kSessionCycles, std::atoi(argv[1])) : 500;
    const char* log = argc > 2 ? argv[2] : "/dev/null";
    if (!InsidePrinterLab() || !AfxSocketInit() || TransportProbe() != 1)
        return 2;
    InstallTcpTransport();
    // The figures go to the original standard output; the tool's tables and progress to the log.
    g_out = ::fdopen(::dup(STDOUT_FILENO), "w");
    const int logFd = ::open(log, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::dup2(logFd, STDOUT_FILENO);
    ::dup2(logFd, STDERR_FILENO);
    ::close(logFd);

    AppSettings settings;
    FillDefaultSettings(&settings);
    ModelListEntry* models = nullptr;
    BuildModelList(settings.modelList, &models);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("book.rvk"));
    const QString report = dir.filePath(QStringLiteral("report.json"));
    const QByteArray backup = Backup();
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(backup);
    out.close();

    std::fprintf(g_out, " cycle  VmHWM(KB)  VmRSS(KB)    fds  threads  live blocks  seconds\n");
    QElapsedTimer clock;
    clock.start();
    const Sample start = Measure();
    Print(0, start, 0);
    const int settledAt = cycles > 50 ? 50 : kSessionCycles;
    Sample settled;
    std::unique_ptr<WindowDriver> window;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        // Each session of ten cycles: the window opens (a search), searches four more times
        // and delivers once; tolvane-cli searches four times and restores once.
        switch (cycle % kSessionCycles) {
        case 1:
            window = std::make_unique<WindowDriver>(file);
            CheckWindowRows(cycle, *window);
            break;
        case 3:
        case 5:
        case 7:
        case 9:
            window->Search();
            CheckWindowRows(cycle, *window);
            if (cycle % kSessionCycles == 5)
                WindowDelivery(cycle, *window, backup);
            if (cycle % kSessionCycles == 9)
                window.reset();
            break;
        case 0:
            CliDelivery(cycle, file, report, models, settings.versionKind);
            break;
        default:
            if (RunDiscover(Parse({"discover"}), settings.versionKind, models) != 0)
                Fault(cycle, QStringLiteral("cli: discover failed"));
        }
        if (cycle % kSessionCycles != 0)
            continue;
        const Sample now = Measure();
        if (cycle == settledAt)
            settled = now;
        if (cycle == settledAt || cycle % 50 == 0 || cycle == cycles)
            Print(cycle, now, clock.elapsed() / 1000.0);
        if (cycle + kSessionCycles > cycles) {
            const Sample end = now;
            if (kJudgeMemory && end.peakKb - settled.peakKb > 1024)
                Fault(cycle, QStringLiteral("peak memory grew by %1 KB after cycle %2")
                                 .arg(end.peakKb - settled.peakKb)
                                 .arg(settledAt));
            if (end.descriptors != settled.descriptors || end.threads != settled.threads)
                Fault(cycle, QStringLiteral("descriptors or threads did not return"));
            if (end.liveBlocks != start.liveBlocks)
                Fault(cycle, QStringLiteral("live heap blocks did not return"));
            break;
        }
    }
    FreeModelList(models);
    std::fprintf(g_out, "%s: %d faults\n", g_faults == 0 ? "PASS" : "FAIL", g_faults);
    std::fflush(g_out);
    return g_faults == 0 ? 0 : 1;
}
