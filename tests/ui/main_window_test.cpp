// The main window's commands, with the printer search and the transport replaced by fakes: no
// packet leaves the process. The real sockets are tried in the lab (tests/lab).
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
    QString m_notBackup;
    std::string m_backupData;

  private slots:
    void initTestCase() {
        TakeProcessHeap();
        SetDiscoveryFunctions({&RefuseSearch, &RefuseRelease});
        QVERIFY(m_dir.isValid());
        m_backup = m_dir.filePath(QStringLiteral("book.rvk"));
        m_notBackup = m_dir.filePath(QStringLiteral("notes.rvk"));
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
        QFile notes(m_notBackup);
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("@PJL just a note\r\n") > 0);
    }

    void cleanup() {
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(TheDeliveryHistory().count, 0);
    }

    void startsWithTheCommandLineFileAndSearches() {
        const QString file = QStringLiteral("/srv/backups/office book.rvk");
        Window w(kTwoPrinters, file);
        QCOMPARE(w.FileField()->text(), file);
        QCOMPARE(w.dialog->windowTitle(),
                 QStringLiteral("Tolvane for Korvil 2950MFP Address Book"));
        QVERIFY(!w.dialog->windowIcon().isNull());
        QCOMPARE(w.discovery.calls.size(), size_t{1});
        const FakeDiscovery::Call& call = w.discovery.calls[0];
        QCOMPARE(call.versionKind, 9);
        QCOMPARE(call.community, std::string("orchid"));
        QCOMPARE(call.mode, int(kDiscoverBroadcast));
        QVERIFY(!call.hasAddresses);
        // The model filter list is in place before the search.
        QVERIFY(call.models != nullptr);
        QCOMPARE(QString::fromLatin1(call.models->name), QStringLiteral("Korvil 2950MFP-D"));
        QVERIFY(call.models->next != nullptr && call.models->next->next == nullptr);
        // Sorted by address, numerically.
        QCOMPARE(w.list->GetItemText(0, 1), QStringLiteral("10.0.0.9"));
        QCOMPARE(w.list->GetItemText(1, 1), QStringLiteral("10.0.0.10"));
        QCOMPARE(w.list->Controller().Sort().column, 1);
        // Nothing ticked yet: nothing to clear.
        QVERIFY(w.Button("selectAllButton")->isEnabled());
        QVERIFY(!w.Button("clearAllButton")->isEnabled());
        QVERIFY(w.Button("downloadButton")->isEnabled());
        QCOMPARE(w.boxes.Count(), size_t{0});
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

    void addPrinter() {
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

        add(0xC0A8000A, true); // 192.168.0.10
        QCOMPARE(w.discovery.calls.size(), size_t{2});
        QCOMPARE(w.discovery.calls[1].mode, int(kDiscoverBroadcast | kDiscoverAddresses));
        QCOMPARE(w.discovery.calls[1].addresses, std::vector<std::string>{"192.168.0.10"});
        const QString added = QStringLiteral("192.168.0.10");
        QCOMPARE(w.list->GetItemText(w.RowOf(added), 2), QStringLiteral("-"));
        QCOMPARE(w.State(added), int(kTickUntickedLocked));

        // The same address again: nothing is added, but the table is searched again.
        add(0xC0A8000A, true);
        QCOMPARE(w.discovery.calls.size(), size_t{3});
        QCOMPARE(w.discovery.calls[2].addresses, std::vector<std::string>{"192.168.0.10"});
        QCOMPARE(w.list->GetItemCount(), 3);

        // Cancelled: no search at all.
        add(0x0A000001, false);
        QCOMPARE(w.discovery.calls.size(), size_t{3});

        add(0x0A000009, true); // 10.0.0.9 is a discovered printer: still one row
        QCOMPARE(w.discovery.calls[3].addresses,
                 (std::vector<std::string>{"192.168.0.10", "10.0.0.9"}));
        QCOMPARE(w.list->GetItemCount(), 3);
        QCOMPARE(w.list->GetItemText(w.RowOf(QStringLiteral("10.0.0.9")), 2),
                 QStringLiteral("Korvil 2950MFP-D"));
    }

    void addPrinterOutOfMemoryNeitherAddsNorSearches() {
        Window w(kTwoPrinters);
        OnModal<CDlgSetIPAddress>([](CDlgSetIPAddress* dialog) {
            dialog->findChild<CIPAddressEdit*>(QStringLiteral("addressEdit"))
                ->SetAddress(0x0A000001);
            AllocationHook::FailNth(1);
            dialog->accept();
        });
        QTest::mouseClick(w.Button("addPrinterButton"), Qt::LeftButton);
        AllocationHook::Reset();
        QCOMPARE(Texts(w.boxes), QStringList{kOutOfMemory});
        QCOMPARE(w.discovery.calls.size(), size_t{1});
        QVERIFY(w.dialog->isVisible());
    }

    void community() {
        Window w(kTwoPrinters);
        w.Tick(QStringLiteral("10.0.0.10"));
        const auto edit = [&w](const QString& name, bool ok) {
            OnModal<CDlgSNMP>([name, ok](CDlgSNMP* dialog) {
                QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("communityEdit"))->text(),
                         QStringLiteral("orchid"));
                dialog->findChild<QLineEdit*>(QStringLiteral("communityEdit"))->setText(name);
                QTest::mouseClick(dialog->findChild<QPushButton*>(ok ? "okButton" : "cancelButton"),
                                  Qt::LeftButton);
            });
            QTest::mouseClick(w.Button("communityButton"), Qt::LeftButton);
        };

        edit(QStringLiteral("public"), false);
        QCOMPARE(w.discovery.calls.size(), size_t{2});
        QCOMPARE(w.discovery.calls[1].community, std::string("orchid"));
        QCOMPARE(w.dialog->CommunityName(), QStringLiteral("orchid"));
        // The refresh kept the tick.
        QCOMPARE(w.State(QStringLiteral("10.0.0.10")), int(kTickTicked));

        edit(QStringLiteral("public"), true);
        QCOMPARE(w.discovery.calls.size(), size_t{3});
        QCOMPARE(w.discovery.calls[2].community, std::string("public"));
    }

    void updateSearchesAgainKeepingTicks() {
        Window w(kTwoPrinters);
        w.Tick(QStringLiteral("10.0.0.9"));
        w.discovery.Answer(0, {{u"10.0.0.9", u"Korvil 2950MFP-D"}, {u"10.0.0.30", u"New"}});
        QList<Qt::CursorShape> cursors; // the override cursor during each search
        w.discovery.duringSearch = [&cursors] {
            const QCursor* cursor = QApplication::overrideCursor();
            cursors.append(cursor != nullptr ? cursor->shape() : Qt::BlankCursor);
        };
        QTest::mouseClick(w.Button("updateButton"), Qt::LeftButton);
        QCOMPARE(cursors, QList<Qt::CursorShape>{Qt::WaitCursor});
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(w.discovery.calls.size(), size_t{2});
        QCOMPARE(w.list->GetItemCount(), 2);
        QCOMPARE(w.State(QStringLiteral("10.0.0.9")), int(kTickTicked));
        QCOMPARE(w.State(QStringLiteral("10.0.0.30")), int(kTickUnticked));
        QVERIFY(w.RowOf(QStringLiteral("10.0.0.10")) < 0);

        // A failed search leaves an empty table and says so.
        w.discovery.Answer(kResultNetworkFailure);
        QTest::mouseClick(w.Button("updateButton"), Qt::LeftButton);
        QCOMPARE(w.list->GetItemCount(), 0);
        QCOMPARE(w.boxes.Count(), size_t{1});
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

    void downloadChecks_data() {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("messages");

        QTest::newRow("nothing ticked: asked first, before the empty name")
            << false << "" << int(IDYES) << QList<int>{IDS_SELECT_PRINTERS};
        QTest::newRow("empty name: before any question")
            << true << "" << int(IDYES) << QList<int>{IDS_ENTER_FILE_NAME};
        QTest::newRow("not confirmed: nothing more")
            << true << "missing" << int(IDNO) << QList<int>{IDS_CONFIRM_SEND};
        QTest::newRow("missing file: confirmation first, then 148")
            << true << "missing" << int(IDYES) << QList<int>{IDS_CONFIRM_SEND, IDS_FILE_NOT_EXIST};
        QTest::newRow("not a backup file: 140")
            << true << "notes" << int(IDYES) << QList<int>{IDS_CONFIRM_SEND, IDS_NOT_BACKUP_FILE};
        QTest::newRow("open for writing in another program: 148; sent once it is closed")
            << true << "written" << int(IDYES) << QList<int>{IDS_CONFIRM_SEND, IDS_FILE_NOT_EXIST};
    }

    void downloadChecks() {
        QFETCH(bool, tick);
        QFETCH(QString, file);
        QFETCH(int, answer);
        QFETCH(QList<int>, messages);
        Window w(kTwoPrinters);
        if (tick)
            w.Tick(QStringLiteral("10.0.0.9"));
        if (file == QStringLiteral("missing"))
            w.SetFile(m_dir.filePath(QStringLiteral("gone.rvk")));
        else if (file == QStringLiteral("notes"))
            w.SetFile(m_notBackup);
        QProcess writer; // a copy of the file still under way
        if (file == QStringLiteral("written")) {
            writer.start(QStringLiteral("sh"),
                         {QStringLiteral("-c"), QStringLiteral("exec 3>>\"$0\"; echo open; read x"),
                          m_backup});
            QVERIFY(writer.waitForReadyRead(10000));
            w.SetFile(m_backup);
        }
        w.boxes.Answer(answer);
        w.Download();

        QStringList expected;
        for (int id : messages)
            expected.append(ResQString(static_cast<uint16_t>(id)));
        QCOMPARE(Texts(w.boxes), expected);
        for (const RecordedMessageBox& box : w.boxes.Boxes()) {
            QCOMPARE(QtText(box.caption), kCaption);
            QCOMPARE(box.owner, w.dialog.get());
            const bool question = box.text == ResString(IDS_CONFIRM_SEND);
            QCOMPARE(box.flags & MB_TYPEMASK, unsigned(question ? MB_YESNO : MB_OK));
        }
        QCOMPARE(w.transport.Log(u"10.0.0.9").opens, 0);
        QCOMPARE(w.Status(QStringLiteral("10.0.0.9")), QStringLiteral("Not completed"));
        if (writer.state() == QProcess::Running) {
            writer.closeWriteChannel();
            QVERIFY(writer.waitForFinished(10000));
            w.boxes.Answer(IDYES);
            w.Download();
            QCOMPARE(w.transport.Log(u"10.0.0.9").received, m_backupData);
        }
    }

    void tooLongFileNames_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("limit");
        QTest::newRow("256: one more than a delivery can take") << 256 << 255;
        QTest::newRow("259: fits the field, not the delivery") << 259 << 255;
        QTest::newRow("260: longer than the field") << 260 << 259;
    }

    void tooLongFileNames() {
        QFETCH(int, length);
        QFETCH(int, limit);
        Window w(kTwoPrinters);
        w.Tick(QStringLiteral("10.0.0.9"));
        // An existing, valid file under a long name, so only the length can stop it.
        QString name = m_dir.path() + u'/';
        name += QString(length - name.size() - 4, u'b') + QStringLiteral(".rvk");
        QCOMPARE(name.size(), length);
        QVERIFY(QFile::copy(m_backup, name) || QFile::exists(name));
        w.SetFile(name);
        w.Download();
        QCOMPARE(
            Texts(w.boxes),
            QStringList{QStringLiteral("Please enter no more than %1 characters.").arg(limit)});
        QCOMPARE(w.transport.Log(u"10.0.0.9").opens, 0);
        // The field keeps the name, selected, for the operator to shorten.
        QCOMPARE(w.FileField()->text(), name);
        QCOMPARE(w.FileField()->selectedText(), name);
    }

    void deliveryFailureThenRetry() {
        Window w({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}, {u"10.0.0.3", u"C"}}, m_backup);
        FakePrinterScript unreachable;
        unreachable.openResult = kResultNetworkFailure;
        w.transport.Script(u"10.0.0.2", unreachable);
        w.Tick(QStringLiteral("10.0.0.1"));
        w.Tick(QStringLiteral("10.0.0.2"));
        w.Download();
        // The question, then the failure notice for B (the last printer: OK alone).
        QCOMPARE(w.boxes.Count(), size_t{2});
        QVERIFY(QtText(w.boxes.Boxes()[1].text).contains(QStringLiteral("10.0.0.2")));
        QCOMPARE(w.Status(QStringLiteral("10.0.0.1")), QStringLiteral("Sent"));
        QCOMPARE(w.State(QStringLiteral("10.0.0.1")), int(kTickUntickedLocked));
        QCOMPARE(w.Status(QStringLiteral("10.0.0.2")), QStringLiteral("Failed"));
        QCOMPARE(w.State(QStringLiteral("10.0.0.2")), int(kTickTicked));
        QCOMPARE(w.transport.Log(u"10.0.0.1").received, m_backupData);

        // The second run goes to the failed printer and the newly ticked one only.
        w.transport.Script(u"10.0.0.2", FakePrinterScript{});
        w.Tick(QStringLiteral("10.0.0.3"));
        w.Download();
        QCOMPARE(w.transport.Log(u"10.0.0.1").opens, 1);
        QCOMPARE(w.transport.Log(u"10.0.0.2").opens, 2);
        QCOMPARE(w.transport.Log(u"10.0.0.3").opens, 1);
        QCOMPARE(w.transport.Log(u"10.0.0.2").received, m_backupData);
        for (const char16_t* address : {u"10.0.0.1", u"10.0.0.2", u"10.0.0.3"})
            QCOMPARE(w.Status(QString::fromUtf16(address)), QStringLiteral("Sent"));
        // Every row is locked now: nothing left to send to.
        QVERIFY(!w.Button("downloadButton")->isEnabled());
        QVERIFY(!w.Button("selectAllButton")->isEnabled());
        QVERIFY(!w.Button("clearAllButton")->isEnabled());
        QVERIFY(TheDeliveryHistory().count == 3);
    }

    void fullSuccessWithAnUnlockedRowLeftKeepsDownload() {
        Window w({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}}, m_backup);
        w.Tick(QStringLiteral("10.0.0.1"));
        w.Download();
        QCOMPARE(w.Status(QStringLiteral("10.0.0.1")), QStringLiteral("Sent"));
        QVERIFY(w.Button("downloadButton")->isEnabled());
        QVERIFY(w.Button("selectAllButton")->isEnabled());
    }

    void abandonedJobChangesNoPrinter() {
        Window w({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}}, m_backup);
        FakePrinterScript exhausted;
        exhausted.openResult = kResultOutOfMemory;
        w.transport.Script(u"10.0.0.2", exhausted);
        w.Tick(QStringLiteral("10.0.0.1"));
        w.Tick(QStringLiteral("10.0.0.2"));
        w.Download();
        QCOMPARE(w.transport.Log(u"10.0.0.1").opens, 1);
        QCOMPARE(Texts(w.boxes).last(), kOutOfMemory);
        // A delivered the file, but the job had no usable outcome: the table is as it was.
        QCOMPARE(w.Status(QStringLiteral("10.0.0.1")), QStringLiteral("Not completed"));
        QCOMPARE(w.State(QStringLiteral("10.0.0.1")), int(kTickTicked));
        QCOMPARE(TheDeliveryHistory().count, 0);
    }

    void discoveryFailureAtStart() {
        Window w({}, m_backup, kResultNetworkFailure);
        QCOMPARE(w.list->GetItemCount(), 0);
        QCOMPARE(Texts(w.boxes),
                 QStringList{ResQString(IDS_UPDATE_FAILED) + ResQString(IDS_CHECK_CONNECTION)});
        for (const char* name : {"selectAllButton", "clearAllButton", "downloadButton"})
            QVERIFY2(w.Button(name)->isEnabled(), name);
        w.boxes.Clear();
        w.Download();
        QCOMPARE(Texts(w.boxes), QStringList{ResQString(IDS_SELECT_PRINTERS)});
        QCOMPARE(w.dialog->windowTitle(),
                 QStringLiteral("Tolvane for Korvil 2950MFP Address Book"));
    }

    void outOfMemoryStop_data() {
        QTest::addColumn<long>("failingAllocation");
        QTest::addColumn<bool>("searched");
        QTest::newRow("model filter list") << 1L << false;
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

    void destructionEmptiesTheHistory() {
        const long liveBefore = AllocationHook::LiveBlocks();
        {
            Window w({{u"10.0.0.1", u"A"}}, m_backup);
            w.Tick(QStringLiteral("10.0.0.1"));
            w.Download();
            QCOMPARE(TheDeliveryHistory().count, 1);
        }
        QCOMPARE(TheDeliveryHistory().count, 0);
        QCOMPARE(AllocationHook::LiveBlocks(), liveBefore);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
