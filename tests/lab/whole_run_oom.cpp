// Out of memory over a whole run: start-up, the window's search of the lab's printers and a
// delivery to all of them, in one process, with allocation n failing once or from then on, for
// every n of a clean run. Each run is a process of its own (the single-instance lock lasts a
// process); this program starts them and judges them. Run by scripts/oom-run; not in the suite.
//
//   whole_run_oom [--from N] [--to N]            every run, or those of n in [from, to]
//   whole_run_oom --run BACKUP N 0|1             one run (n = 0: nothing fails)
#include "app/application.h"
#include "app/main_window.h"
#include "tests/lab/lab_environment.h"
#include "tests/support/message_box_recorder.h"
#include "text/heap.h"
#include "text/notices.h"
#include "ui/qt_text.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

namespace {

const QString kOutOfMemoryCaption = QStringLiteral("Out of Memory");

// Whether the window ended by Close; otherwise it stopped by itself.
bool g_closed = false;

QPushButton* Button(QWidget* window, const char* name) {
    return window->findChild<QPushButton*>(QLatin1String(name));
}

// What an operator does: once the window shows, tick every printer, Download (the recorder
// answers Yes), then Close, unless the window has ended by itself.
void DriveWindow() {
    QPointer<QWidget> window = static_cast<QWidget*>(AppMainWindow());
    if (window == nullptr || !window->isVisible()) {
        QTimer::singleShot(10, DriveWindow);
        return;
    }
    // A stop the window queued while it showed comes first, as it would before any click.
    QCoreApplication::processEvents();
    for (const char* name : {"selectAllButton", "downloadButton"}) {
        if (window == nullptr || !window->isVisible())
            return;
        Button(window, name)->click();
        QCoreApplication::processEvents();
    }
    if (window != nullptr && window->isVisible()) {
        g_closed = true;
        Button(window, "closeButton")->click();
    }
}

// One whole run; prints its figures and verdict on one line and returns the program's exit
// status.
int RunOnce(int argc, char** argv) {
    const long failAt = std::atol(argv[3]);
    const bool persistent = std::atoi(argv[4]) != 0;
    CTolvaneApp app(argc, argv, QString::fromLocal8Bit(argv[2]));
    MessageBoxRecorder boxes;
    const long liveBefore = AllocationHook::LiveBlocks();
    AllocationHook::FailNth(failAt, persistent);
    QTimer::singleShot(0, DriveWindow);
    app.InitInstance();
    const long allocations = AllocationHook::Count();
    AllocationHook::Reset();
    const long leaked = AllocationHook::LiveBlocks() - liveBefore;
    const bool failed = failAt > 0 && allocations >= failAt;
    std::map<QString, int> notices;
    int outOfMemoryNotices = 0;
    for (const RecordedMessageBox& box : boxes.Boxes()) {
        const QString caption = QtText(box.caption);
        ++notices[caption + QLatin1Char('|') + QtText(box.text).replace("\r\n", " ")];
        outOfMemoryNotices += caption == kOutOfMemoryCaption;
    }
    QString fault;
    if (leaked != 0)
        fault = QStringLiteral("%1 blocks leaked").arg(leaked);
    else if (failed && outOfMemoryNotices == 0)
        fault = QStringLiteral("a failed allocation went without the notice");
    else if (!failed && outOfMemoryNotices != 0)
        fault = QStringLiteral("the notice without a failed allocation");
    else if (app.ExitStatus() != (g_closed ? 0 : kEndOutOfMemory))
        fault = QStringLiteral("exit status %1 after %2")
                    .arg(app.ExitStatus())
                    .arg(g_closed ? "Close" : "a stop");
    else if (!g_closed && outOfMemoryNotices == 0)
        fault = QStringLiteral("a stop without the notice");
    QString shown;
    for (const auto& [notice, times] : notices)
        shown += QStringLiteral(" [%1 x%2]").arg(notice).arg(times);
    std::printf(
        "run n=%ld persistent=%d allocations=%ld exit=%d leaked=%ld verdict=%s notices:%s\n",
        failAt, persistent ? 1 : 0, allocations, app.ExitStatus(), leaked,
        fault.isEmpty() ? "ok" : qPrintable(QStringLiteral("FAULT(%1)").arg(fault)),
        qPrintable(shown));
    std::fflush(stdout);
    return app.ExitStatus();
}

struct Outcome {
    int exitStatus = -1;
    bool crashed = false;
    long allocations = 0;
    QString line;
};

Outcome RunChild(const QString& backup, long failAt, bool persistent) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--run"), backup, QString::number(failAt),
                 QString::number(persistent ? 1 : 0)});
    Outcome outcome;
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        outcome.crashed = true;
    }
    outcome.crashed = outcome.crashed || child.exitStatus() != QProcess::NormalExit;
    outcome.exitStatus = child.exitCode();
    outcome.line = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
    const qsizetype at = outcome.line.indexOf(QStringLiteral("allocations="));
    if (at >= 0)
        outcome.allocations = outcome.line.mid(at + 12).section(QLatin1Char(' '), 0, 0).toLong();
    return outcome;
}

bool Judge(const Outcome& outcome) {
    const bool ok = !outcome.crashed &&
                    (outcome.exitStatus == 0 || outcome.exitStatus == kEndOutOfMemory) &&
                    outcome.line.contains(QStringLiteral("verdict=ok"));
    std::printf("%s%s\n", ok ? "" : "!! ", qPrintable(outcome.line));
    if (outcome.crashed)
        std::printf("!! crashed or hung (exit status %d)\n", outcome.exitStatus);
    std::fflush(stdout);
    return ok;
}

// A backup file that passes the checks, small enough to go in a moment.
bool WriteBackup(const QString& path) {
    QByteArray data = QByteArrayLiteral("\x1b%-12345X@PJL\r\n@PJL COMMENT VERSION:BACKUP=1.04\r\n"
                                        "@PJL ENTER LANGUAGE=DOWNLOAD\r\nMERIN-AIO-QTB BOOK\r\n");
    for (int i = 0; i < 40; ++i)
        data += QByteArrayLiteral("ENTRY ") + QByteArray::number(i) + ",fax,mail\r\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

int RunAll(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    long from = 1;
    long to = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (qstrcmp(argv[i], "--from") == 0)
            from = std::atol(argv[i + 1]);
        else if (qstrcmp(argv[i], "--to") == 0)
            to = std::atol(argv[i + 1]);
    }
    QTemporaryDir dir;
    const QString backup = dir.filePath(QStringLiteral("book.rvk"));
    if (!WriteBackup(backup))
        return 1;
    QElapsedTimer clock;
    clock.start();
    std::vector<JobWatcher> jobs;
    for (const char* address : {"10.77.3.11", "10.77.3.12"})
        jobs.emplace_back(address);
    const Outcome clean = RunChild(backup, 0, false);
    bool allOk = Judge(clean) && clean.exitStatus == 0;
    // Without a failure both printers of whole_run.printers get the file.
    QFile written(backup);
    const std::string data =
        written.open(QIODevice::ReadOnly) ? written.readAll().toStdString() : "";
    for (JobWatcher& watcher : jobs) {
        if (watcher.NextJob(std::chrono::seconds(5)) != data) {
            std::printf("!! the clean run did not deliver the file to every printer\n");
            allOk = false;
        }
    }
    // The worker thread's allocations may interleave with the window's, so a run's count can
    // differ by a few: the last runs go past the clean count.
    const long last = to > 0 ? to : clean.allocations + 5;
    int runs = 1;
    std::map<int, int> exits;
    for (long n = from; n <= last; ++n) {
        for (const bool persistent : {false, true}) {
            const Outcome outcome = RunChild(backup, n, persistent);
            allOk = Judge(outcome) && allOk;
            ++runs;
            ++exits[outcome.crashed ? -1 : outcome.exitStatus];
        }
    }
    std::printf("summary: clean run %ld allocations; n = %ld..%ld once and from then on: %d runs "
                "in %.0f s; exit 0: %d, exit 5: %d, other or crashed: %d; %s\n",
                clean.allocations, from, last, runs, clock.elapsed() / 1000.0, exits[0],
                exits[kEndOutOfMemory], runs - 1 - exits[0] - exits[kEndOutOfMemory],
                allOk ? "no fault" : "FAULTS (lines marked !!)");
    return allOk ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--run") == 0)
        return RunOnce(argc, argv);
    return RunAll(argc, argv);
}
