#include "app/application.h"
#include "platform/message_box.h"
#include "platform/socket_startup.h"
#include "tests/support/message_box_recorder.h"
#include "ui/qt_text.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Start-up checks that need the application object itself, so this file brings its own main.
class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void socketFailureShowsMessageAndStops() {
        QTemporaryDir runtimeDir;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
        MessageBoxRecorder recorder;
        SetSocketStartupFails(true);
        const bool carryOn = CTolvaneApp::Current()->InitInstance();
        SetSocketStartupFails(false);

        QVERIFY(!carryOn);
        QCOMPARE(recorder.Count(), size_t{1});
        const RecordedMessageBox box = recorder.Boxes().front();
        QCOMPARE(QtText(box.caption), QStringLiteral("Tolvane"));
        QCOMPARE(QtText(box.text), QStringLiteral("Failed initialize of Windows socket."));
        QCOMPARE(box.flags, unsigned{MB_OK | MB_ICONEXCLAMATION});
        // The socket start comes before the single-instance check: no lock was taken.
        QVERIFY(QDir(runtimeDir.path()).isEmpty());
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    // The real program, with a platform that has no display: these answers must not need one.
    void programAnswersWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors");
        QTest::newRow("--version") << QStringList{"--version"} << 0
                                   << "tolvane " + QApplication::applicationVersion() + "\n"
                                   << "";
        QTest::newRow("--help") << QStringList{"--help"} << 0
                                << "Usage: tolvane [OPTION]... [FILE.rvk]\n"
                                << "";
        QTest::newRow("unknown option") << QStringList{"--foo", "x.rvk"} << 2 << ""
                                        << "tolvane: unknown option '--foo'\n";
    }
    void programAnswersWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(environment);
        // Its own network namespace all the same, in case it went on to search.
        process.start(
            QStringLiteral("unshare"),
            QStringList{QStringLiteral("-rn"), QString::fromLocal8Bit(qgetenv("TOLVANE_PROGRAM"))} +
                arguments);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString printed = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString complained = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(printed.left(output.size()), output);
        QCOMPARE(complained.left(errors.size()), errors);
        QCOMPARE(printed.isEmpty(), output.isEmpty());
        QCOMPARE(complained.isEmpty(), errors.isEmpty());
    }
};

int main(int argc, char** argv) {
    CTolvaneApp app(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"
