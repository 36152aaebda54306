#include "platform/text_convert.h"
#include "tests/support/fake_transport.h"
#include "tests/support/message_box_recorder.h"
#include "text/heap.h"
#include "ui/qt_text.h"
#include "ui/sending_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <vector>

namespace {

const char16_t* const kPrinters[] = {u"10.77.4.1", u"10.77.4.2"};
const QString kInterrupted = QStringLiteral("Printer Update interrupted.\r\nPrinter:");
const QString kNext =
    QStringLiteral("\r\n\r\nClick OK to update the next printer or Cancel to end all processing.");

// Calls `step` on the dialog's own event loop every 10 ms until it returns true.
void PollWhileRunning(QObject* context, std::function<bool()> step) {
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [timer, step] {
        if (step())
            timer->deleteLater();
    });
    timer->start(10);
}

} // namespace

class SendingDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { TakeProcessHeap(); }

    void cleanup() {
        while (m_nodes != nullptr) {
            DeliveryNode* next = m_nodes->next;
            HeapFree(m_nodes);
            m_nodes = next;
        }
        QTRY_COMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void showsThePrinterAndTheProgressRange() {
        FakeTransport fake;
        fake.Script(kPrinters[0], {.holdOpen = true});
        AddPrinters(1);
        MessageBoxRecorder recorder;
        auto* dialog = Prepare(WriteFile(1000));
        QString title, button, status;
        Qt::Alignment alignment;
        int minimum = 0, maximum = 0;
        bool visible = false;
        PollWhileRunning(dialog, [&] {
            if (!fake.WaitUntilOpenHeld(std::chrono::milliseconds(0)))
                return false;
            visible = dialog->isVisible();
            title = dialog->windowTitle();
            button = dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->text();
            auto* label = dialog->findChild<QLabel*>(QStringLiteral("statusText"));
            status = label->text();
            alignment = label->alignment();
            auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("progress"));
            minimum = bar->minimum();
            maximum = bar->maximum();
            fake.ReleaseOpen();
            return true;
        });
        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
        QVERIFY(visible);
        QCOMPARE(title, QStringLiteral("Sending..."));
        QCOMPARE(button, QStringLiteral("Cancel"));
        QCOMPARE(status, QStringLiteral("Sending Backup Data\nPrinter:10.77.4.1"));
        QCOMPARE(alignment, Qt::AlignCenter);
        QCOMPARE(minimum, 1);
        QCOMPARE(maximum, 768);
        QCOMPARE(dialog->JobFlag(), 1);
        QCOMPARE(m_nodes->sent, 1);
        QCOMPARE(recorder.Count(), size_t{0});
        delete dialog;
    }

    void everyCancelRouteKeepsTheDialogOpen_data() {
        QTest::addColumn<QString>("route");
        QTest::newRow("Cancel button") << QStringLiteral("button");
        QTest::newRow("Escape key") << QStringLiteral("escape");
        QTest::newRow("close box") << QStringLiteral("close");
    }

    // Pressed before the first tick, each route asks for an interruption of the first printer.
    void everyCancelRouteKeepsTheDialogOpen() {
        QFETCH(QString, route);
        FakeTransport fake;
        AddPrinters(2);
        MessageBoxRecorder recorder;
        recorder.Answer(IDOK);
        auto* dialog = Prepare(WriteFile(600));
        bool stillOpen = false;
        QTimer::singleShot(0, dialog, [&] {
            if (route == QLatin1String("button"))
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                                  Qt::LeftButton);
            else if (route == QLatin1String("escape"))
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
            stillOpen = dialog->isVisible();
        });
        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
        QVERIFY(stillOpen);
        const auto boxes = recorder.Boxes();
        QCOMPARE(boxes.size(), size_t{1});
        QCOMPARE(QtText(boxes[0].text), kInterrupted + "10.77.4.1" + kNext);
        QCOMPARE(fake.Log(kPrinters[0]).opens, 0);
        QCOMPARE(m_nodes->sent, 0);
        QCOMPARE(m_nodes->next->sent, 1);
        delete dialog;
    }

    void unreadableFileEndsBeforeShowing() {
        FakeTransport fake;
        AddPrinters(1);
        MessageBoxRecorder recorder;
        auto* dialog = Prepare(m_dir.filePath(QStringLiteral("gone.rvk")));
        bool shown = false;
        QTimer::singleShot(0, dialog, [&] { shown = dialog->isVisible(); });
        QCOMPARE(dialog->exec(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->JobFlag(), 0);
        QCOMPARE(recorder.Count(), size_t{1});
        QCOMPARE(QtText(recorder.Boxes()[0].caption),
                 QStringLiteral("Error occurs while sending the data."));
        QCoreApplication::processEvents();
        QVERIFY(!shown);
        delete dialog;
    }

  private:
    QString WriteFile(int length) {
        const QString path = m_dir.filePath(QStringLiteral("book.rvk"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(QByteArray(length, 'x'));
        return path;
    }

    void AddPrinters(int count) {
        DeliveryNode** tail = &m_nodes;
        for (int i = 0; i < count; ++i) {
            auto* node = HeapNew<DeliveryNode>();
            CopyWideField(node->ipAddress, kNodeIpUnits, kPrinters[i]);
            *tail = node;
            tail = &node->next;
        }
    }

    // A dialog set up as the main window does, on the fake transport of entry 1.
    CSending* Prepare(const QString& path) {
        auto* dialog = new CSending;
        dialog->SetBackupFilePath(path);
        dialog->SetDeliveryList(m_nodes);
        dialog->SetStatusText(QStringLiteral("Sending Backup Data\r\nPrinter:") +
                              QString::fromUtf16(m_nodes->ipAddress));
        dialog->SetTransportIndex(1);
        dialog->SetJobFlag(1);
        return dialog;
    }

    QTemporaryDir m_dir;
    DeliveryNode* m_nodes = nullptr;
};

QTEST_MAIN(SendingDialogTest)
#include "sending_dialog_test.moc"
