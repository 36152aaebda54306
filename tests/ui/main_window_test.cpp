// The Qt main window's widgets, and that its buttons and dialogs reach the workflow (whose rules
// are tested in tests/unit) and it shows what it is told. The printer search and the transport
// are fakes: no packet leaves the process. The real sockets are tried in the lab (tests/lab).
#include "app/main_window.h"
#include "app/network_printer_list.h"
#include "printers/printer_table.h"
#include "tests/support/fake_discovery.h"
#include "tests/support/fake_transport.h"
#include "tests/support/message_box_recorder.h"
#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"
#include "ui/add_printer_dialog.h"
#include "ui/community_dialog.h"
#include "ui/field_exchange.h"
#include "ui/ip_address_edit.h"
#include "ui/qt_text.h"
#include "ui/sending_dialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <memory>

namespace {

using Printers = std::vector<std::pair<std::u16string, std::u16string>>;

const QString kCaption = QStringLiteral("Tolvane");
const QString kOutOfMemory = QStringLiteral("Out of Memory.\r\nProgram will be terminated.");

// Any search that reaches the real network from this program is a fault of the test.
ResultCode RefuseSearch(int, const char* const*, int, const ModelListEntry*, const char*, int,
                        DiscoveredPrinter**, int*) {
    qFatal("main_window_test: a printer search ran without the fake discovery");
    std::abort();
}
ResultCode RefuseRelease(int, DiscoveredPrinter*) {
    return kResultSuccess;
}

// Runs `action` on the next modal dialog of type T once it is up.
template <typename T> void OnModal(std::function<void(T*)> action) {
    QTimer::singleShot(0, [action] {
        T* dialog = nullptr;
        QTRY_VERIFY((dialog = qobject_cast<T*>(QApplication::activeModalWidget())) != nullptr);
        action(dialog);
    });
}

// One main window with its fakes. The printers are found by every search until changed.
struct Window {
    explicit Window(const Printers& printers = {}, const QString& commandLineFile = {},
                    int searchCode = 0) {
        discovery.Answer(searchCode, printers);
        dialog = std::make_unique<CTolvaneDlg>(commandLineFile);
        // As the application does: its message boxes belong to the main window.
        SetAppMainWindow(dialog.get());
        dialog->show();
        list = dialog->findChild<CNetworkPrinterList*>(QStringLiteral("printerList"));
    }

    ~Window() { SetAppMainWindow(nullptr); }

    QPushButton* Button(const char* name) const {
        return dialog->findChild<QPushButton*>(QLatin1String(name));
    }
    QLineEdit* FileField() const {
        return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    }
    int RowOf(const QString& address) const {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, 1) == address)
                return row;
        }
        return -1;
    }
    void Tick(const QString& address) const {
        const int row = RowOf(address);
        QVERIFY2(row >= 0, qPrintable(address));
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        const QPoint at(list->header()->sectionViewportPosition(0) + 5, rect.center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    QString Status(const QString& address) const { return list->GetItemText(RowOf(address), 3); }
    int State(const QString& address) const { return list->GetStateImage(RowOf(address)); }
    // As a drop puts it in: whole, even beyond the typing limit.
    void SetFile(const QString& path) const { SetFieldText(FileField(), path); }
    void Download() const { QTest::mouseClick(Button("downloadButton"), Qt::LeftButton); }

    MessageBoxRecorder boxes;
    FakeDiscovery discovery;
    FakeTransport transport{kTcpTransportIndex};
    std::unique_ptr<CTolvaneDlg> dialog;
    CNetworkPrinterList* list = nullptr;
};

QStringList Texts(const MessageBoxRecorder& recorder) {
    QStringList texts;
    for (const RecordedMessageBox& box : recorder.Boxes())
        texts.append(QtText(box.text));
    return texts;
}

const Printers kTwoPrinters = {{u"10.0.0.10", u"Korvil 2950MFP-N"},
                               {u"10.0.0.9", u"Korvil 2950MFP-D"}};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir m_dir;
    QString m_backup;
    std::string m_backupData;

  private slots:
    void initTestCase() {
        TakeProcessHeap();
        SetDiscoveryFunctions({&RefuseSearch, &RefuseRelease});
        QVERIFY(m_dir.isValid());
        m_backup = m_dir.filePath(QStringLiteral("book.rvk"));
        // The sample that the demo uses, so that it is known to pass the checks.
        QProcess make;
        make.start(QStringLiteral("bash"),
                   {qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/scripts/make-sample-backup",
                    m_backup, QStringLiteral("50")});
        QVERIFY(make.waitForFinished(60000) && make.exitCode() == 0);
        QFile backup(m_backup);
        QVERIFY(backup.open(QIODevice::ReadOnly));
        m_backupData = backup.readAll().toStdString();
        QCOMPARE(m_backupData.size(), size_t{120 + 50 * 61});
    }

    void cleanup() {
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(TheDeliveryHistory().count, 0);
    }

    void showsTheStartThatTheWorkflowMakes() {
        const QString file = QStringLiteral("/srv/backups/office book.rvk");
        Window w(kTwoPrinters, file);
        QCOMPARE(w.FileField()->text(), file);
        QCOMPARE(w.dialog->windowTitle(),
                 QStringLiteral("Tolvane for Korvil 2950MFP Address Book"));
        QVERIFY(!w.dialog->windowIcon().isNull());
        QCOMPARE(w.discovery.calls.size(), size_t{1});
        QCOMPARE(w.list->GetItemText(0, 1), QStringLiteral("10.0.0.9"));
        QCOMPARE(w.list->GetItemText(1, 1), QStringLiteral("10.0.0.10"));
        QVERIFY(w.Button("selectAllButton")->isEnabled());
        QVERIFY(!w.Button("clearAllButton")->isEnabled());
    }

    void formTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("browse") << "browseButton"
                                << "&Browse...";
        QTest::newRow("select all") << "selectAllButton"
                                    << "Selec&t All";
        QTest::newRow("clear all") << "clearAllButton"
                                   << "Cl&ear All";
        QTest::newRow("update") << "updateButton"
                                << "&Update";
        QTest::newRow("add printer") << "addPrinterButton"
                                     << "&Add printer...";
        QTest::newRow("community") << "communityButton"
                                   << "&Community...";
        QTest::newRow("download") << "downloadButton"
                                  << "&Download...";
        QTest::newRow("close") << "closeButton"
                               << "C&lose";
    }

    void formTexts() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        Window w;
        auto* button = w.dialog->findChild<QPushButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), text);
        // Enter must never press a button the operator did not focus.
        QVERIFY(!button->isDefault());
    }

    void labelsLeadToTheirControls() {
        Window w;
        QLabel* fileLabel = nullptr;
        QLabel* selectLabel = nullptr;
        for (QLabel* label : w.dialog->findChildren<QLabel*>()) {
            if (label->text() == QStringLiteral("Backup &File Name:"))
                fileLabel = label;
            if (label->text() == QStringLiteral("Please &Select printers to update."))
                selectLabel = label;
        }
        QVERIFY(fileLabel && selectLabel);
        QCOMPARE(fileLabel->buddy(), w.FileField());
        QCOMPARE(selectLabel->buddy(), w.list);
        QVERIFY(QTest::qWaitForWindowActive(w.dialog.get()));
        QTest::keyClick(w.dialog.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(w.list->hasFocus());
        QVERIFY(w.dialog->findChild<QGroupBox*>()->title() == QStringLiteral("Printers"));
        QCOMPARE(w.list->GetItemCount(), 0);
    }

    void keys_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("stays");
        QTest::newRow("Enter in the file field") << "fileNameEdit" << int(Qt::Key_Return) << true;
        QTest::newRow("keypad Enter in the file field")
            << "fileNameEdit" << int(Qt::Key_Enter) << true;
        QTest::newRow("Enter in the printer list") << "printerList" << int(Qt::Key_Return) << true;
        QTest::newRow("Escape in the file field") << "fileNameEdit" << int(Qt::Key_Escape) << false;
        QTest::newRow("Escape in the printer list")
            << "printerList" << int(Qt::Key_Escape) << false;
    }

    void keys() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(bool, stays);
        Window w(kTwoPrinters, m_backup);
        w.Tick(QStringLiteral("10.0.0.9"));
        auto* target = w.dialog->findChild<QWidget*>(focus);
        QVERIFY(target);
        w.dialog->activateWindow();
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(w.dialog->isVisible(), stays);
        if (!stays)
            QCOMPARE(w.dialog->result(), int(QDialog::Rejected));
        // Enter started nothing: no question, no delivery.
        QCOMPARE(w.boxes.Count(), size_t{0});
        QCOMPARE(w.transport.Log(u"10.0.0.9").opens, 0);
    }

    void enterPressesTheFocusedButton() {
        Window w(kTwoPrinters);
        w.dialog->activateWindow();
        QPushButton* update = w.Button("updateButton");
        update->setFocus();
        QTest::keyClick(update, Qt::Key_Return);
        QCOMPARE(w.discovery.calls.size(), size_t{2});
        QVERIFY(w.dialog->isVisible());
    }

    void closeButtonEndsTheWindow() {
        Window w;
        QTest::mouseClick(w.Button("closeButton"), Qt::LeftButton);
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(w.dialog->result(), int(QDialog::Rejected));
    }

    void addPrinterDialogReachesTheSearch() {
        Window w(kTwoPrinters);
        const auto add = [&w](uint32_t address, bool ok) {
            OnModal<CDlgSetIPAddress>([address, ok](CDlgSetIPAddress* dialog) {
                dialog->findChild<CIPAddressEdit*>(QStringLiteral("addressEdit"))
                    ->SetAddress(address);
                QTest::mouseClick(dialog->findChild<QPushButton*>(ok ? "okButton" : "cancelButton"),
                                  Qt::LeftButton);
            });
            QTest::mouseClick(w.Button("addPrinterButton"), Qt::LeftButton);
        };
        add(0x0A000001, false);
        QCOMPARE(w.discovery.calls.size(), size_t{1});
        add(0xC0A8000A, true); // 192.168.0.10
        QCOMPARE(w.discovery.calls.size(), size_t{2});
        QCOMPARE(w.discovery.calls[1].addresses, std::vector<std::string>{"192.168.0.10"});
        QCOMPARE(w.list->GetItemCount(), 3);
    }

    void communityDialogShowsAndGivesTheName() {
        Window w(kTwoPrinters);
        OnModal<CDlgSNMP>([](CDlgSNMP* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("communityEdit"));
            QCOMPARE(edit->text(), QStringLiteral("orchid"));
            edit->setText(QStringLiteral("public"));
            QTest::mouseClick(dialog->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        });
        QTest::mouseClick(w.Button("communityButton"), Qt::LeftButton);
        QCOMPARE(w.discovery.calls.size(), size_t{2});
        QCOMPARE(w.discovery.calls[1].community, std::string("public"));
    }

    void updateShowsTheWaitCursorWhileSearching() {
        Window w(kTwoPrinters);
        QList<Qt::CursorShape> cursors; // the override cursor during each search
        w.discovery.duringSearch = [&cursors] {
            const QCursor* cursor = QApplication::overrideCursor();
            cursors.append(cursor != nullptr ? cursor->shape() : Qt::BlankCursor);
        };
        QTest::mouseClick(w.Button("updateButton"), Qt::LeftButton);
        QCOMPARE(cursors, QList<Qt::CursorShape>{Qt::WaitCursor});
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void browse() {
        Window w(kTwoPrinters, QStringLiteral("old.rvk"));
        OnModal<QFileDialog>([this](QFileDialog* dialog) {
            QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("rvk"));
            QCOMPARE(dialog->nameFilters(),
                     (QStringList{QStringLiteral("Backup File for Korvil 2950MFP(*.rvk)"),
                                  QStringLiteral("All Files (*)")}));
            dialog->setDirectory(m_dir.path());
            dialog->selectFile(m_backup);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(w.Button("browseButton"), Qt::LeftButton);
        QCOMPARE(w.FileField()->text(), m_backup);

        // Cancelled: the field shows the window's name again, dropping what was typed since.
        w.SetFile(QStringLiteral("typed but not taken"));
        OnModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QTest::mouseClick(w.Button("browseButton"), Qt::LeftButton);
        QCOMPARE(w.FileField()->text(), m_backup);
    }

    void noticesBelongToTheWindow() {
        Window w(kTwoPrinters);
        w.Download();
        QCOMPARE(Texts(w.boxes), QStringList{ResQString(IDS_SELECT_PRINTERS)});
        QCOMPARE(QtText(w.boxes.Boxes()[0].caption), kCaption);
        QCOMPARE(w.boxes.Boxes()[0].owner, w.dialog.get());
    }

    void tooLongFileNameIsSelectedInTheField() {
        Window w(kTwoPrinters);
        w.Tick(QStringLiteral("10.0.0.9"));
        const QString name(260, u'b');
        w.SetFile(name);
        w.Download();
        QCOMPARE(Texts(w.boxes),
                 QStringList{QStringLiteral("Please enter no more than 259 characters.")});
        QCOMPARE(w.FileField()->text(), name);
        QCOMPARE(w.FileField()->selectedText(), name);
    }

    void downloadRunsTheProgressDialog() {
        Window w({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}}, m_backup);
        w.Tick(QStringLiteral("10.0.0.1"));
        QString shown; // the progress dialog's first line
        OnModal<CSending>([&shown](CSending* dialog) {
            shown = dialog->findChild<QLabel*>(QStringLiteral("statusText"))->text();
        });
        w.Download();
        // The label shows the line break as its own.
        QCOMPARE(
            shown,
            ResQString(IDS_SENDING_PRINTER).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
                QStringLiteral("10.0.0.1"));
        QCOMPARE(w.transport.Log(u"10.0.0.1").received, m_backupData);
        QCOMPARE(w.Status(QStringLiteral("10.0.0.1")), QStringLiteral("Sent"));
        QCOMPARE(w.State(QStringLiteral("10.0.0.1")), int(kTickUntickedLocked));
    }

    void outOfMemoryStop_data() {
        QTest::addColumn<long>("failingAllocation");
        QTest::addColumn<bool>("searched");
        QTest::newRow("printer entries") << 3L << true;
    }

    void outOfMemoryStop() {
        QFETCH(long, failingAllocation);
        QFETCH(bool, searched);
        const long liveBefore = AllocationHook::LiveBlocks();
        {
            MessageBoxRecorder boxes;
            FakeDiscovery discovery;
            discovery.Answer(0, kTwoPrinters);
            CTolvaneDlg dialog(m_backup);
            AllocationHook::FailNth(failingAllocation, true);
            QTimer::singleShot(0, &dialog, [&dialog] {
                // Out of memory must end the window by itself; this only keeps a failing test
                // from hanging.
                QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(-1); });
            });
            const int code = dialog.exec();
            AllocationHook::Reset();
            QCOMPARE(code, kEndOutOfMemory);
            QCOMPARE(discovery.calls.size(), size_t{searched ? 1u : 0u});
            QCOMPARE(Texts(boxes), QStringList{kOutOfMemory});
            // Every list is released at the stop, before the window goes.
            QCOMPARE(AllocationHook::LiveBlocks(), liveBefore);
        }
        QCOMPARE(AllocationHook::LiveBlocks(), liveBefore);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
