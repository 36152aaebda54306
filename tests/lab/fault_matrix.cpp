// The outcome of every kind of printer fault, in the main window and in tolvane-cli alike,
// against fault_matrix.printers: prints a Markdown table and fails when an outcome is not the
// expected one, or when "Sent" shows for a printer that does not have the whole file.
// Usage: fault_matrix   (run by scripts/fault-matrix in the printer lab)
#include "delivery/transport.h"
#include "platform/socket_startup.h"
#include "platform/text_convert.h"
#include "tests/lab/lab_environment.h"
#include "tests/lab/window_driver.h"
#include "tests/support/delivery_notices.h"
#include "text/heap.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>
#include <thread>

namespace {

using namespace std::chrono_literals;
using namespace delivery_notices;

enum class Notice { None, NoConnection, Communication, Interrupted };

struct Fault {
    const char* fault;
    const char* address;
    const char* sim;
    bool cancel; // the progress dialog's Cancel, or Ctrl-C, while the printer is served
    bool listed;
    const char* row; // the window's status after the delivery
    Notice notice;
    const char* cliOutcome;
    int cliExit;
};

const Fault kFaults[] = {
    {"refuses the connection", "10.77.12.1", "raw=refuse", false, true, "Failed",
     Notice::NoConnection, "failed", 1},
    {"never answers the connect", "10.77.12.2", "raw=noaccept", false, true, "Failed",
     Notice::NoConnection, "failed", 1},
    {"stalls, then Cancel / Ctrl-C", "10.77.12.3", "raw=stall", true, true, "Failed",
     Notice::Interrupted, "cancelled", 130},
    {"resets at byte 4096", "10.77.12.4", "raw=reset:4096", false, true, "Failed",
     Notice::Communication, "failed", 1},
    {"closes at byte 4096", "10.77.12.5", "raw=close:4096", false, true, "Failed",
     Notice::Communication, "failed", 1},
    {"takes 24 KB/s", "10.77.12.6", "raw=slow:24576", false, true, "Sent", Notice::None, "sent", 0},
    {"answers SNMP as another model", "10.77.12.7", "desc=\"Tessel LX-500\"", false, false, "",
     Notice::None, "skipped", 3},
    {"answers SNMP, no raw port", "10.77.12.8", "raw=refuse", false, true, "Failed",
     Notice::NoConnection, "failed", 1},
    {"raw port, no SNMP", "10.77.12.9", "no desc", false, false, "", Notice::None, "skipped", 3},
    {"takes all, never closes", "10.77.12.10", "raw=noclose", false, true, "Sent", Notice::None,
     "sent", 0},
};

std::vector<Box> Expected(const Fault& fault) {
    const std::u16string address = NarrowToWide(fault.address);
    switch (fault.notice) {
    case Notice::NoConnection:
        return {{kSendCaption, kFailed + address + kCheckConnection, kOkOnly}};
    case Notice::Communication:
        return {{kSendCaption, kFailed + address + kCommunication, kOkOnly}};
    case Notice::Interrupted:
        return {{kCancelCaption, kInterrupted + address, kOkOnly}};
    case Notice::None:
        break;
    }
    return {};
}

QString OneLine(const std::vector<Box>& boxes) {
    QStringList texts;
    for (const Box& box : boxes)
        texts << QtText(box.text);
    QString text = texts.join(QStringLiteral(" + "));
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" / "))
        .replace(QRegularExpression(QStringLiteral(" {2,}")), QStringLiteral(" "));
}

bool Whole(JobWatcher& jobs, const std::string& backup) {
    const auto job = jobs.NextJob(3s);
    return job && *job == backup;
}

struct CliOutcome {
    int exit = -1;
    QString outcome;
    QString error;
};

CliOutcome CliRestore(const Fault& fault, const QString& file, const QString& report) {
    QProcess process;
    process.start(QStringLiteral(TOLVANE_CLI_PATH),
                  {"restore", file, fault.address, "--yes", "--report", report});
    process.waitForStarted();
    if (fault.cancel) {
        std::this_thread::sleep_for(1500ms);
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    }
    process.waitForFinished(120'000);
    QFile written(report);
    written.open(QIODevice::ReadOnly);
    const QJsonValue printer =
        QJsonDocument::fromJson(written.readAll())[QStringLiteral("printers")][0];
    written.remove();
    return {process.exitCode(), printer[QStringLiteral("outcome")].toString(),
            printer[QStringLiteral("error")].toString()};
}

std::set<QString> CliDiscovered() {
    QProcess process;
    process.start(QStringLiteral(TOLVANE_CLI_PATH), {"discover", "--json"});
    process.waitForFinished(60'000);
    std::set<QString> listed;
    for (const QJsonValue& printer :
         QJsonDocument::fromJson(process.readAllStandardOutput()).array())
        listed.insert(printer[QStringLiteral("address")].toString());
    return listed;
}

} // namespace

int main(int argc, char** argv) {
    TakeProcessHeap();
    QApplication app(argc, argv);
    if (!InsidePrinterLab() || !AfxSocketInit() || TransportProbe() != 1)
        return 2;
    InstallTcpTransport();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("book.rvk"));
    const QString report = dir.filePath(QStringLiteral("report.json"));
    std::string backup = "\x1b%-12345X@PJL\r\n@PJL COMMENT VERSION:BACKUP=1.04\r\n"
                         "@PJL ENTER LANGUAGE=DOWNLOAD\r\nMERIN-AIO-QTB BOOK\r\n";
    for (int i = 0; backup.size() < 100'000; ++i)
        backup += "ENTRY " + std::to_string(i) + ",fax,mail\r\n";
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(backup.data(), static_cast<qint64>(backup.size()));
    out.close();

    MessageBoxRecorder boxes;
    WindowDriver window(file);
    const auto listed = window.Rows();
    const std::set<QString> cliListed = CliDiscovered();
    std::printf("| printer | printer-sim | window: listed | window: notice (OK only) | window: row "
                "| cli: discover | cli: restore outcome (error) | cli: exit | whole file at the "
                "printer (window, cli) | |\n|---|---|---|---|---|---|---|---|---|---|\n");
    int mismatches = 0;
    for (const Fault& fault : kFaults) {
        const QString address = QString::fromLatin1(fault.address);
        JobWatcher windowJobs(fault.address);
        boxes.Clear();
        window.Tick({address});
        if (listed.count(address) != 0)
            window.Download(fault.cancel ? address : QString());
        const std::vector<Box> shown = BoxesOf(boxes);
        // The question comes first; the printer's notice, if any, follows.
        const std::vector<Box> notices(shown.begin() + std::min<size_t>(shown.size(), 1),
                                       shown.end());
        const auto rows = window.Rows();
        const QString row = rows.count(address) != 0 ? rows.at(address).status : QString();
        const bool windowWhole = Whole(windowJobs, backup);

        JobWatcher cliJobs(fault.address);
        const CliOutcome cli = CliRestore(fault, file, report);
        const bool cliWhole = Whole(cliJobs, backup);

        const bool ok = (listed.count(address) != 0) == fault.listed &&
                        (cliListed.count(address) != 0) == fault.listed &&
                        notices == Expected(fault) && row == QLatin1String(fault.row) &&
                        cli.outcome == QLatin1String(fault.cliOutcome) &&
                        cli.exit == fault.cliExit && (row != u"Sent" || windowWhole) &&
                        (cli.outcome != u"sent" || cliWhole);
        mismatches += ok ? 0 : 1;
        std::printf("| %s (%s) | `%s` | %s | %s | %s | %s | %s (%s) | %d | %s, %s | %s |\n",
                    fault.fault, fault.address, fault.sim, fault.listed ? "yes" : "no",
                    notices.empty() ? "none" : qPrintable(OneLine(notices)),
                    row.isEmpty() ? "-" : qPrintable(row),
                    cliListed.count(address) != 0 ? "listed" : "not listed",
                    qPrintable(cli.outcome), qPrintable(cli.error), cli.exit,
                    windowWhole ? "yes" : "no", cliWhole ? "yes" : "no", ok ? "ok" : "MISMATCH");
        std::fflush(stdout);
    }
    return mismatches == 0 ? 0 : 1;
}
