// The whole workflow on real sockets: the main window searches the lab's simulated printers,
// takes a hand-added address, and sends a backup file to the ticked printers over TCP.
#include "app/main_window.h"
#include "app/network_printer_list.h"
#include "app/single_instance.h"
#include "delivery/transport.h"
#include "platform/socket_startup.h"
#include "printers/printer_table.h"
#include "tests/lab/lab_environment.h"
#include "tests/support/message_box_recorder.h"
#include "text/heap.h"
#include "text/notices.h"
#include "ui/add_printer_dialog.h"
#include "ui/ip_address_edit.h"
#include "ui/qt_text.h"

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <map>

using namespace std::chrono_literals;

namespace {

// Larger than any socket buffers on the way, so that a printer that resets the connection
// part-way is noticed while the data is still going out.
constexpr int kBackupBytes = 16 << 20;

QByteArray SampleBackup() {
    QByteArray data = QByteArrayLiteral("\x1b%-12345X@PJL\r\n@PJL COMMENT VERSION:BACKUP=1.04\r\n"
                                        "@PJL ENTER LANGUAGE=DOWNLOAD\r\nMERIN-AIO-QTB BOOK\r\n");
    for (int i = 0; data.size() < kBackupBytes; ++i)
        data += QByteArrayLiteral("ENTRY ") + QByteArray::number(i) + ",fax,mail\r\n";
    return data;
}

} // namespace

class MainWindowLabTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(InsidePrinterLab());
        TakeProcessHeap();
        // As the application starts: the sockets, then the TCP transport in its entry.
        QVERIFY(AfxSocketInit());
        QCOMPARE(TransportProbe(), 1);
        InstallTcpTransport();
    }

    void wholeWorkflow() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.rvk"));
        const QByteArray backup = SampleBackup();
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(backup) == backup.size());
        file.close();

        MessageBoxRecorder boxes;
        CTolvaneDlg window(path);
        SetAppMainWindow(&window);
        window.show();
        auto* list = window.findChild<CNetworkPrinterList*>(QStringLiteral("printerList"));
        const auto rows = [list] {
            std::map<QString, std::pair<QString, QString>> shown; // address: name, status
            for (int row = 0; row < list->GetItemCount(); ++row)
                shown[list->GetItemText(row, 1)] = {list->GetItemText(row, 2),
                                                    list->GetItemText(row, 3)};
            return shown;
        };
        const auto rowOf = [list](const QString& address) {
            for (int row = 0; row < list->GetItemCount(); ++row) {
                if (list->GetItemText(row, 1) == address)
                    return row;
            }
            return -1;
        };

        // The broadcast finds the accepted models; the deaf printer and the other model stay out.
        const QString n = QStringLiteral("Korvil 2950MFP-N");
        const QString d = QStringLiteral("Korvil 2950MFP-D");
        const QString notCompleted = QStringLiteral("Not completed");
        using Row = std::pair<QString, QString>;
        QCOMPARE(rows(), (std::map<QString, Row>{{"10.77.3.11", {n, notCompleted}},
                                                 {"10.77.3.12", {d, notCompleted}},
                                                 {"10.77.3.14", {"-", notCompleted}},
                                                 {"10.77.3.15", {n, notCompleted}},
                                                 {"10.77.3.16", {d, notCompleted}}}));
        QCOMPARE(list->GetStateImage(rowOf("10.77.3.14")), int(kTickUntickedLocked));
        QCOMPARE(boxes.Count(), size_t{0});

        // Added by hand, the deaf printer answers and shows with its own name.
        QTimer::singleShot(0, [] {
            CDlgSetIPAddress* dialog = nullptr;
            QTRY_VERIFY((dialog = qobject_cast<CDlgSetIPAddress*>(
                             QApplication::activeModalWidget())) != nullptr);
            dialog->findChild<CIPAddressEdit*>(QStringLiteral("addressEdit"))
                ->SetAddress(0x0A4D0414); // 10.77.4.20
            dialog->accept();
        });
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("addPrinterButton")),
                          Qt::LeftButton);
        QCOMPARE(rows().size(), size_t{6});
        QCOMPARE(rows()["10.77.4.20"], (Row{n, notCompleted}));

        const QStringList ticked = {"10.77.3.11", "10.77.3.12", "10.77.3.15", "10.77.4.20"};
        std::map<QString, JobWatcher> jobs;
        JobWatcher untouched("10.77.3.16");
        for (const QString& address : ticked) {
            jobs.emplace(address, JobWatcher(address.toStdString()));
            const QRect rect = list->visualItemRect(list->topLevelItem(rowOf(address)));
            QTest::mouseClick(
                list->viewport(), Qt::LeftButton, {},
                QPoint(list->header()->sectionViewportPosition(0) + 5, rect.center().y()));
            QCOMPARE(list->GetStateImage(rowOf(address)), int(kTickTicked));
        }

        // Yes to the question, OK to the failure notice (going on when printers follow).
        boxes.Clear();
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("downloadButton")),
                          Qt::LeftButton);
        const std::vector<RecordedMessageBox> shown = boxes.Boxes();
        QCOMPARE(shown.size(), size_t{2});
        QCOMPARE(
            QtText(shown[0].text),
            QStringLiteral("Are you sure to send the backup file to the selected printer(s)?"));
        const QString failure = QtText(shown[1].text);
        QVERIFY2(failure.contains(QStringLiteral("10.77.3.15")), qPrintable(failure));
        QVERIFY2(failure.contains(QStringLiteral("Communication error.")), qPrintable(failure));

        for (const QString& address : ticked) {
            const std::optional<std::string> job = jobs.at(address).NextJob(30s);
            QVERIFY2(job.has_value(), qPrintable(address));
            if (address == QStringLiteral("10.77.3.15")) {
                QCOMPARE(job->size(), size_t{65536});
                QVERIFY(*job == backup.left(65536).toStdString());
                QCOMPARE(rows()[address].second, QStringLiteral("Failed"));
                QCOMPARE(list->GetStateImage(rowOf(address)), int(kTickTicked));
            } else {
                QVERIFY2(*job == backup.toStdString(), qPrintable(address));
                QCOMPARE(rows()[address].second, QStringLiteral("Sent"));
                QCOMPARE(list->GetStateImage(rowOf(address)), int(kTickUntickedLocked));
            }
        }
        // Nobody else got anything.
        QCOMPARE(rows()["10.77.3.16"].second, notCompleted);
        QVERIFY(!untouched.NextJob(0ms).has_value());

        // The real program started with another file while this window is minimised: the
        // window comes back and holds that file, and no second window stays.
        QTemporaryDir runtimeDir;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
        SingleInstance instance(QStringLiteral("Tolvane_Korvil_2950MFP"));
        QCOMPARE(instance.Claim(window.windowTitle()), SingleInstance::Outcome::FirstInstance);
        window.showMinimized();
        const QString other = dir.filePath(QStringLiteral("B.rvk"));
        QProcess second;
        second.start(QString::fromLocal8Bit(qgetenv("TOLVANE_PROGRAM")), {other});
        QVERIFY(second.waitForStarted(5000));
        // This process serves the request meanwhile, so the wait lets its events run.
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 15000);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(!window.isMinimized());
        // Taken at once, put in the field from the window's own event loop.
        QTRY_COMPARE(window.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), other);
        SetAppMainWindow(nullptr);
    }
};

QTEST_MAIN(MainWindowLabTest)
#include "main_window_lab_test.moc"
