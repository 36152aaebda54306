#include "app/application.h"
#include "platform/message_box.h"
#include "platform/socket_startup.h"
#include "tests/support/message_box_recorder.h"

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
        QCOMPARE(box.caption, QStringLiteral("Tolvane"));
        QCOMPARE(box.text, QStringLiteral("Failed initialize of Windows socket."));
        QCOMPARE(box.flags, unsigned{MB_OK | MB_ICONEXCLAMATION});
        // The socket start comes before the single-instance check: no lock was taken.
        QVERIFY(QDir(runtimeDir.path()).isEmpty());
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }
};

int main(int argc, char** argv) {
    CTolvaneApp app(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"
