#include "app/single_instance.h"
#include "text/string_ids.h"
#include "ui/qt_text.h"

#include <QDialog>
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

    void secondStartLeavesVisibleWindowShown() {
        QDialog window;
        window.setWindowTitle(ResQString(IDS_MAIN_TITLE));
        window.show();
        window.showMinimized();

        const StartResult second = StartSecondInstance();
        QCOMPARE(second.exitCode, 0);
        QTest::qWait(300);
        QVERIFY(window.isVisible());
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
