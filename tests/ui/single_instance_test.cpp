#include "app/main_window.h"
#include "app/single_instance.h"
#include "printers/file_handover.h"
#include "tests/support/fake_discovery.h"
#include "text/heap.h"
#include "text/string_ids.h"
#include "ui/qt_text.h"

#include <QDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// A second start of the real program, run in a private network namespace of its own, must find
// this process (the first instance) through the per-user lock and local socket.
class SingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(m_runtimeDir.isValid());
        // The main window's lists come from the program's heap.
        TakeProcessHeap();
        // Both instances look for the lock and socket in the same private runtime folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir.path()));
        m_program = QString::fromLocal8Bit(qgetenv("TOLVANE_PROGRAM"));
        QVERIFY2(QFileInfo(m_program).isExecutable(), "TOLVANE_PROGRAM must name the program");
        m_instance = std::make_unique<SingleInstance>(QStringLiteral("Tolvane_Korvil_2950MFP"));
        QCOMPARE(m_instance->Claim(ResQString(IDS_MAIN_TITLE)),
                 SingleInstance::Outcome::FirstInstance);
    }

    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void secondStartShowsHiddenWindow() {
        QDialog window;
        window.setWindowTitle(ResQString(IDS_MAIN_TITLE));
        QVERIFY(!window.isVisible());

        const StartResult second = StartSecondInstance();
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(second.output, QByteArray());
        QTRY_VERIFY_WITH_TIMEOUT(window.isVisible(), 5000);
        QVERIFY(!window.isMinimized());
    }

    void secondStartFindsNothingUnderAnotherTitle() {
        QDialog window;
        window.setWindowTitle(QStringLiteral("Tolvane"));

        const StartResult second = StartSecondInstance();
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(second.output, QByteArray());
        // Give the request time to arrive; the window must stay hidden all along.
        QTest::qWait(500);
        QVERIFY(!window.isVisible());
    }

    void secondStartRestoresMinimisedWindow() {
        QDialog window;
        window.setWindowTitle(ResQString(IDS_MAIN_TITLE));
        window.show();
        window.showMinimized();
        QVERIFY(window.isMinimized());

        const StartResult second = StartSecondInstance();
        QCOMPARE(second.exitCode, 0);
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }

    // A second start in this process: its request is served by the nested event loop it waits in.
    void handOver_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("dialogOpen");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("field");

        QTest::newRow("idle: in the field") << QStringLiteral("/srv/b\u00fcro/B.rvk") << false
                                            << true << QStringLiteral("/srv/b\u00fcro/B.rvk");
        QTest::newRow("dialog open: taken, applied once it closes")
            << "/srv/B.rvk" << true << true << "/srv/B.rvk";
        QTest::newRow("relative: against the second start's folder")
            << "B.rvk" << false << true << QDir::current().absoluteFilePath("B.rvk");
        QTest::newRow("longer than the path slot: refused")
            << QString(kHandoverMaxUnits + 1, QChar('p')).replace(0, 1, '/') << false << false
            << "/srv/A.rvk";
    }

    void handOver() {
        QFETCH(QString, file);
        QFETCH(bool, dialogOpen);
        QFETCH(bool, taken);
        QFETCH(QString, field);

        FakeDiscovery discovery;
        discovery.Answer(0);
        CTolvaneDlg window(QStringLiteral("/srv/A.rvk"));
        window.show();
        auto* edit = window.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QDialog dialog(&window);
        dialog.setWindowModality(Qt::ApplicationModal);
        if (dialogOpen)
            dialog.show();

        SingleInstance second(QStringLiteral("Tolvane_Korvil_2950MFP"));
        QCOMPARE(second.Claim(ResQString(IDS_MAIN_TITLE), file),
                 taken ? SingleInstance::Outcome::AnotherRuns
                       : SingleInstance::Outcome::FileNotTaken);
        if (dialogOpen) {
            QTest::qWait(300);
            QCOMPARE(edit->text(), QStringLiteral("/srv/A.rvk"));
            dialog.hide();
        }
        QTRY_COMPARE(edit->text(), field);
    }

  private:
    struct StartResult {
        int exitCode;
        QByteArray output;
    };

    StartResult StartSecondInstance() {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        // While the request is on its way this process must keep serving its event loop, so
        // the wait is a polling one.
        process.start(QStringLiteral("unshare"), {QStringLiteral("-rn"), m_program});
        if (!process.waitForStarted(5000))
            return {-1, "could not start unshare"};
        QElapsedTimer waited;
        waited.start();
        while (process.state() != QProcess::NotRunning && waited.elapsed() < 10000)
            QTest::qWait(20);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAll()};
    }

    QTemporaryDir m_runtimeDir;
    QString m_program;
    std::unique_ptr<SingleInstance> m_instance;
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
