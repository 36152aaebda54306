#include "app/network_printer_list.h"
#include "platform/collation.h"
#include "tests/support/fake_discovery.h"
#include "tests/support/message_box_recorder.h"
#include "text/heap.h"
#include "text/notices.h"
#include "ui/qt_text.h"
#include "ui/sort_header.h"

#include <QAccessible>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

using Specs = std::vector<EntrySpec>;

// The printer table inside a window with the three buttons it drives.
struct Table {
    explicit Table(const Specs& specs = {}) {
        window.resize(480, 240);
        list = new CNetworkPrinterList(&window);
        list->setGeometry(0, 0, 480, 200);
        list->SetUpTable(&lists);
        list->SetCommandButtons(&selectAll, &clearAll, &download);
        lists.entries = MakeChain(specs);
        list->FillPrinterList();
        list->UpdateCommandButtons();
    }
    ~Table() { ReleaseTableLists(&lists); }

    bool Show() {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    void ClickCell(int row, int column) {
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        const int x = list->header()->sectionViewportPosition(column) + 5;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(x, rect.center().y()));
    }
    void ClickHeader(int column) {
        QHeaderView* header = list->header();
        const QPoint at(header->sectionViewportPosition(column) + 4, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    // The sort menu as Shift+F10 opens it (the menu key comes from the platform as a context
    // menu event); null when none opened.
    QMenu* OpenMenu() {
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    // Chooses a column from the sort menu with the arrows and Enter: address, name, status,
    // then the tick column.
    void ChooseFromMenu(int column) {
        QMenu* menu = OpenMenu();
        QVERIFY(menu != nullptr);
        for (int down = 0; down <= (column + 3) % 4; ++down)
            QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    }
    QString CurrentMenuEntry() {
        QMenu* menu = OpenMenu();
        if (menu == nullptr)
            return {};
        QString current;
        for (const QAction* action : menu->actions())
            current += action->isChecked() ? action->text() : QString();
        QTest::keyClick(menu, Qt::Key_Escape);
        return current;
    }
    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < list->GetItemCount(); ++row)
            texts.append(list->GetItemText(row, column));
        return texts;
    }
    QList<int> States() const {
        QList<int> states;
        for (int row = 0; row < list->GetItemCount(); ++row)
            states.append(list->GetStateImage(row));
        return states;
    }
    QList<int> Marks() const {
        auto* header = static_cast<CSortHeader*>(list->header());
        return {header->SectionImage(0), header->SectionImage(1), header->SectionImage(2),
                header->SectionImage(3)};
    }
    int RowOf(const QString& address) const { return Column(1).indexOf(address); }

    PrinterTableLists lists;
    QWidget window;
    QPushButton selectAll{&window};
    QPushButton clearAll{&window};
    QPushButton download{&window};
    CNetworkPrinterList* list;
};

const QString kChecked = QStringLiteral("Checked");
const QString kUnchecked = QStringLiteral("Unchecked");

// Where `needle` appears inside `region` of `haystack`; only its opaque pixels are compared.
std::optional<QPoint> FindImage(const QImage& haystack, const QImage& needle, const QRect& region) {
    const QImage hay = haystack.convertToFormat(QImage::Format_ARGB32);
    const QImage pin = needle.convertToFormat(QImage::Format_ARGB32);
    for (int y = region.top(); y + pin.height() <= region.bottom() + 1; ++y) {
        for (int x = region.left(); x + pin.width() <= region.right() + 1; ++x) {
            bool same = true;
            for (int j = 0; same && j < pin.height(); ++j) {
                for (int i = 0; same && i < pin.width(); ++i) {
                    const QRgb p = pin.pixel(i, j);
                    if (qAlpha(p) == 255 && (hay.pixel(x + i, y + j) & 0xFFFFFF) != (p & 0xFFFFFF))
                        same = false;
                }
            }
            if (same)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

} // namespace

class NetworkPrinterListTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        TakeProcessHeap();
        // Names are ordered by the operator's locale; these tests fix one.
        SetCollationLocale("en_US");
    }
    void init() { m_liveBlocks = AllocationHook::LiveBlocks(); }
    void cleanup() {
        AllocationHook::Reset();
        QCOMPARE(AllocationHook::LiveBlocks(), m_liveBlocks);
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void fillShowsEveryEntry() {
        Table table({{u"10.0.0.10", u"Korvil A"},
                     {u"10.0.0.9", u"-", kStatusNotCompleted, 1, 0},
                     {u"10.0.0.2", u"Korvil B", kStatusFailed, 0, 1},
                     {u"10.0.0.3", u"Korvil\r\nC\x1b]0;", kStatusSent, 1, 0}});
        CNetworkPrinterList& list = *table.list;
        QCOMPARE(list.headerItem()->text(0), QStringLiteral("  Select"));
        QCOMPARE(list.headerItem()->text(1), QStringLiteral("IP Address"));
        QCOMPARE(list.headerItem()->text(2), QStringLiteral("Printer Name"));
        QCOMPARE(list.headerItem()->text(3), QStringLiteral("Status"));
        const int widths[] = {18, 100, 220, 100};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(list.header()->sectionSize(i), widths[i]);

        QCOMPARE(table.States(), (QList<int>{1, 4, 2, 4}));
        QCOMPARE(table.Column(0), (QStringList{kUnchecked, kUnchecked, kChecked, kUnchecked}));
        QCOMPARE(table.Column(1), (QStringList{"10.0.0.10", "10.0.0.9", "10.0.0.2", "10.0.0.3"}));
        QCOMPARE(table.Column(2),
                 (QStringList{"Korvil A", "-", "Korvil B", "Korvil\\r\\nC\\x1b]0;"}));
        QCOMPARE(table.Column(3),
                 (QStringList{"Not completed", "Not completed", "Failed", "Sent"}));
        QCOMPARE(list.EntryAt(2), Members(table.lists.entries)[2]);
        for (int row = 0; row < list.GetItemCount(); ++row)
            QVERIFY(!(list.topLevelItem(row)->flags() & Qt::ItemIsUserCheckable));
        QVERIFY(table.selectAll.isEnabled());
        QVERIFY(table.clearAll.isEnabled());
        QVERIFY(table.download.isEnabled());
    }

    void clickOrSpaceOnTheTickColumn_data() {
        QTest::addColumn<int>("locked");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("space");        // the Space key on the focus row instead of a click
        QTest::addColumn<QList<int>>("states"); // after the first click, then the second
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("column 0 ticks, then unticks")
            << 0 << 0 << false << QList<int>{2, 1} << QStringList{kChecked, kUnchecked};
        QTest::newRow("a locked row does not change")
            << 1 << 0 << false << QList<int>{4, 4} << QStringList{kUnchecked, kUnchecked};
        QTest::newRow("another column does nothing")
            << 0 << 2 << false << QList<int>{1, 1} << QStringList{kUnchecked, kUnchecked};
        QTest::newRow("Space ticks, then unticks")
            << 0 << 0 << true << QList<int>{2, 1} << QStringList{kChecked, kUnchecked};
        QTest::newRow("Space leaves a locked row alone")
            << 1 << 0 << true << QList<int>{4, 4} << QStringList{kUnchecked, kUnchecked};
    }
    void clickOrSpaceOnTheTickColumn() {
        QFETCH(int, locked);
        QFETCH(int, column);
        QFETCH(bool, space);
        QFETCH(QList<int>, states);
        QFETCH(QStringList, texts);
        Table table({{u"10.0.0.1", locked ? u"-" : u"Korvil", 0, locked, 0}});
        QVERIFY(table.Show());
        table.list->setCurrentIndex(table.list->model()->index(0, 0));
        for (int click = 0; click < 2; ++click) {
            space ? QTest::keyClick(table.list, Qt::Key_Space) : table.ClickCell(0, column);
            QCOMPARE(table.list->GetStateImage(0), states[click]);
            QCOMPARE(table.list->GetItemText(0, 0), texts[click]);
            QCOMPARE(table.lists.entries->ticked, states[click] == 2 ? 1 : 0);
            QCOMPARE(table.clearAll.isEnabled(), states[click] == 2);
            QCOMPARE(table.selectAll.isEnabled(), states[click] == 1);
        }
    }

    void rowsAreNeverSelected() {
        Table table({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}});
        QVERIFY(table.Show());
        table.ClickCell(0, 0);
        table.ClickCell(1, 2);
        table.list->setCurrentItem(table.list->topLevelItem(1));
        QTest::keyClick(table.list, Qt::Key_Space);
        QVERIFY(table.list->selectedItems().isEmpty());
        QVERIFY(table.list->selectionModel()->selectedIndexes().isEmpty());
        for (int row = 0; row < 2; ++row)
            QVERIFY(!table.list->selectionModel()->isRowSelected(row, QModelIndex()));
        // Space ticked the focus row, still without selecting it.
        QCOMPARE(table.States(), (QList<int>{2, 2}));
    }

    void screenReadersHearTicksLocksAndTexts() {
        Table table({{u"10.0.0.1", u"A", kStatusFailed, 0, 1},
                     {u"10.0.0.2", u"B"},
                     {u"10.0.0.3", u"-", kStatusNotCompleted, 1, 0}});
        QVERIFY(table.Show());
        // Tab and End take the focus to the locked row.
        table.download.setFocus();
        QTest::keyClick(&table.download, Qt::Key_Tab);
        QTest::keyClick(table.list, Qt::Key_End);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(table.list);
        QAccessibleTableInterface* cells = list->tableInterface();
        QCOMPARE(list->role(), QAccessible::Table);
        QCOMPARE(cells->rowCount(), 3);
        const QStringList headers{"Select", "IP Address", "Printer Name", "Status"};
        for (int column = 0; column < 4; ++column) {
            const auto header = cells->cellAt(0, column)->tableCellInterface()->columnHeaderCells();
            QCOMPARE(header.size(), 1);
            QCOMPARE(header[0]->text(QAccessible::Name), headers[column]);
            QCOMPARE(list->child(list->indexOfChild(header[0])), header[0]);
        }
        const QStringList rows{"10.0.0.1, A, Failed", "10.0.0.2, B, Not completed",
                               "10.0.0.3, -, Not completed"};
        for (int row = 0; row < 3; ++row) {
            QAccessibleInterface* tick = cells->cellAt(row, 0);
            QCOMPARE(tick->role(), QAccessible::CheckBox);
            QCOMPARE(bool(tick->state().checked), row == 0);
            QCOMPARE(bool(tick->state().disabled), row == 2);
            QCOMPARE(bool(tick->state().focused), row == 2);
            QCOMPARE(tick->text(QAccessible::Description), rows[row]);
            QCOMPARE(cells->cellAt(row, 1)->text(QAccessible::Name),
                     "10.0.0." + QString::number(row + 1));
            QCOMPARE(list->child(list->indexOfChild(tick)), tick);
        }
        // Left and Right move the focus cell across the row, Space takes it back to the tick.
        QCOMPARE(list->focusChild(), cells->cellAt(2, 0));
        for (const auto& [key, column] : {std::pair{Qt::Key_Right, 1},
                                          {Qt::Key_Right, 2},
                                          {Qt::Key_Left, 1},
                                          {Qt::Key_Space, 0}}) {
            QTest::keyClick(table.list, key);
            QCOMPARE(list->focusChild(), cells->cellAt(2, column));
            QVERIFY(cells->cellAt(2, column)->state().focused);
        }
        // The toggle action follows the click rules.
        QVERIFY(cells->cellAt(2, 0)->actionInterface()->actionNames().isEmpty());
        cells->cellAt(1, 0)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        QCOMPARE(table.States(), (QList<int>{2, 2, 4}));
        // After a sort the rows read their new printers; what a screen reader kept of the old
        // first row never reads another printer's.
        const QAccessible::Id kept = QAccessible::uniqueId(cells->cellAt(0, 0));
        table.ClickHeader(1);
        table.ClickHeader(1);
        QCOMPARE(cells->cellAt(0, 0)->text(QAccessible::Description), rows[2]);
        QAccessibleInterface* old = QAccessible::accessibleInterface(kept);
        QVERIFY(old == nullptr || old->text(QAccessible::Description) == rows[0]);
    }

    void clicksOutsideTheRowsChangeNothing() {
        Table table(Specs{{u"10.0.0.1", u"A"}});
        QVERIFY(table.Show());
        const QRect row = table.list->visualItemRect(table.list->topLevelItem(0));
        QTest::mouseClick(table.list->viewport(), Qt::LeftButton, {},
                          QPoint(5, row.bottom() + row.height()));
        QCOMPARE(table.States(), (QList<int>{1}));
    }

    void selectAllPassesLockedRows() {
        Table table({{u"10.0.0.1", u"A"},
                     {u"10.0.0.2", u"-", kStatusNotCompleted, 1, 0},
                     {u"10.0.0.3", u"C", kStatusSent, 1, 0},
                     {u"10.0.0.4", u"D", 0, 0, 1}});
        table.list->SelectAll();
        QCOMPARE(table.States(), (QList<int>{2, 4, 4, 2}));
        QCOMPARE(table.Column(0), (QStringList{kChecked, kUnchecked, kUnchecked, kChecked}));
        const auto entries = Members(table.lists.entries);
        QCOMPARE(entries[0]->ticked, 1);
        QCOMPARE(entries[1]->ticked, 0);
        QVERIFY(!table.selectAll.isEnabled());
        QVERIFY(table.clearAll.isEnabled());
    }

    void clearAllLeavesLockedImages() {
        Table table({{u"10.0.0.1", u"A", 0, 0, 1},
                     {u"10.0.0.2", u"-", kStatusNotCompleted, 1, 0},
                     {u"10.0.0.3", u"C", 0, 1, 0},
                     {u"10.0.0.4", u"D"}});
        // A ticked, locked row, which the program never makes itself.
        table.list->SetStateImage(2, kTickTickedLocked);
        table.list->ClearAll();
        QCOMPARE(table.States(), (QList<int>{1, 4, 3, 1}));
        QCOMPARE(table.Column(0), (QStringList{kUnchecked, kUnchecked, kUnchecked, kUnchecked}));
        const auto entries = Members(table.lists.entries);
        QCOMPARE(entries[0]->ticked, 0);
        // Its row still counts as ticked.
        QCOMPARE(entries[2]->ticked, 1);
        QVERIFY(table.clearAll.isEnabled());
        QVERIFY(table.selectAll.isEnabled());
    }

    void headerClicksSort_data() {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QList<int>>("marks");
        QTest::addColumn<int>("nextDirection");
        QTest::addColumn<QString>("menuCurrent");
        const QString a = "10.0.0.10", b = "10.0.0.9", c = "10.0.0.2", d = "192.168.0.1";
        QTest::newRow("initial: by address, 10.0.0.9 before 10.0.0.10")
            << QList<int>{} << false << QStringList{c, b, a, d} << QList<int>{-1, 0, -1, -1} << 0
            << QString("Sort by IP Address (ascending)");
        QTest::newRow("address again: reversed, image 1")
            << QList<int>{1} << false << QStringList{d, a, b, c} << QList<int>{-1, 1, -1, -1} << 1
            << QString("Sort by IP Address (descending)");
        QTest::newRow("address a third time: image 0 again")
            << QList<int>{1, 1} << false << QStringList{c, b, a, d} << QList<int>{-1, 0, -1, -1}
            << 0 << QString("Sort by IP Address (ascending)");
        QTest::newRow("status: Failed, Sent, then Not completed")
            << QList<int>{3} << false << QStringList{c, b, a, d} << QList<int>{-1, -1, -1, 0} << 0
            << QString("Sort by Status (ascending)");
        QTest::newRow("status twice: reversed, image 1")
            << QList<int>{3, 3} << false << QStringList{a, d, b, c} << QList<int>{-1, -1, -1, 1}
            << 1 << QString("Sort by Status (descending)");
        QTest::newRow("select: ticked first, no mark anywhere")
            << QList<int>{0} << false << QStringList{c, d, b, a} << QList<int>{-1, -1, -1, -1} << 0
            << QString("Sort by Select (ascending)");
        QTest::newRow("name: the locale's order, lower case first")
            << QList<int>{2} << false << QStringList{d, b, a, c} << QList<int>{-1, -1, 0, -1} << 0
            << QString("Sort by Printer Name (ascending)");
        QTest::newRow("name twice: reversed")
            << QList<int>{2, 2} << false << QStringList{c, a, b, d} << QList<int>{-1, -1, 1, -1}
            << 1 << QString("Sort by Printer Name (descending)");
        QTest::newRow("menu, keyboard only: name, then back by address")
            << QList<int>{2, 1} << true << QStringList{c, b, a, d} << QList<int>{-1, 0, -1, -1} << 0
            << QString("Sort by IP Address (ascending)");
        QTest::newRow("menu: name")
            << QList<int>{2} << true << QStringList{d, b, a, c} << QList<int>{-1, -1, 0, -1} << 0
            << QString("Sort by Printer Name (ascending)");
        QTest::newRow("menu: status twice")
            << QList<int>{3, 3} << true << QStringList{a, d, b, c} << QList<int>{-1, -1, -1, 1} << 1
            << QString("Sort by Status (descending)");
        QTest::newRow("menu: select")
            << QList<int>{0} << true << QStringList{c, d, b, a} << QList<int>{-1, -1, -1, -1} << 0
            << QString("Sort by Select (ascending)");
    }
    void headerClicksSort() {
        QFETCH(QList<int>, clicks);
        QFETCH(bool, fromMenu);
        QFETCH(QStringList, order);
        QFETCH(QList<int>, marks);
        QFETCH(int, nextDirection);
        QFETCH(QString, menuCurrent);
        Table table({{u"10.0.0.10", u"beta"},
                     {u"10.0.0.9", u"Alpha", kStatusSent, 1, 0},
                     {u"10.0.0.2", u"gamma", kStatusFailed, 0, 1},
                     {u"192.168.0.1", u"alpha", 0, 0, 1}});
        QVERIFY(table.Show());
        table.list->InitHeaderImages();
        table.list->InitialSort();
        for (int column : clicks)
            fromMenu ? table.ChooseFromMenu(column) : table.ClickHeader(column);
        QCOMPARE(table.Column(1), order);
        QCOMPARE(table.Marks(), marks);
        QCOMPARE(table.list->Sort().nextDirection, nextDirection);
        QCOMPARE(table.CurrentMenuEntry(), menuCurrent);
    }

    void refillKeepsTheLastSort() {
        Table table({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}, {u"10.0.0.3", u"C"}});
        table.list->InitialSort();
        table.list->OnColumnClick(3);
        // A delivery changes the statuses; the refill sorts again by status, same direction.
        const auto entries = Members(table.lists.entries);
        entries[0]->status = kStatusSent;
        entries[2]->status = kStatusFailed;
        table.list->Refill();
        QCOMPARE(table.Column(1), (QStringList{"10.0.0.3", "10.0.0.1", "10.0.0.2"}));
        QCOMPARE(table.Marks(), (QList<int>{-1, -1, -1, 0}));
        QCOMPARE(table.list->Sort().nextDirection, 0);
    }

    void deliveryFollowsTheChainWhateverTheDisplay() {
        Table table({{u"10.0.0.5", u"A", 0, 0, 1},
                     {u"10.0.0.1", u"B"},
                     {u"10.0.0.3", u"C", 0, 0, 1},
                     {u"10.0.0.2", u"D", 0, 0, 1}});
        table.list->OnColumnClick(2);
        table.list->OnColumnClick(2); // names descending: D, C, B, A
        QCOMPARE(table.Column(2), (QStringList{"D", "C", "B", "A"}));
        DeliveryNode* nodes = nullptr;
        int count = 0;
        QCOMPARE(table.list->CollectTickedPrinters(&nodes, &count), 1);
        QCOMPARE(count, 3);
        QCOMPARE(Addresses(nodes),
                 (std::vector<std::u16string>{u"10.0.0.5", u"10.0.0.3", u"10.0.0.2"}));
        FreeDeliveryNodes(nodes);
    }

    void sentSurvivesARefreshWithoutAnAnswer() {
        FakeDiscovery discovery;
        Table table;
        QVERIFY(FirstSearch(table, discovery));
        QVERIFY(table.Show());
        table.ClickCell(table.RowOf("10.0.0.1"), 0);
        Deliver(table, {{"10.0.0.1", true}});
        int row = table.RowOf("10.0.0.1");
        QCOMPARE(table.list->GetItemText(row, 3), QStringLiteral("Sent"));
        QCOMPARE(table.list->GetStateImage(row), int{kTickUntickedLocked});

        discovery.Answer(kResultSuccess, {{u"10.0.0.2", u"B"}});
        table.list->RefreshPrinters(9, u"orchid");
        row = table.RowOf("10.0.0.1");
        QVERIFY(row >= 0);
        QCOMPARE(table.list->GetItemText(row, 3), QStringLiteral("Sent"));
        QCOMPARE(table.list->GetItemText(row, 0), kUnchecked);
        QCOMPARE(table.list->GetStateImage(row), int{kTickUntickedLocked});
        QCOMPARE(table.Column(1), (QStringList{"10.0.0.2", "10.0.0.1"}));
    }

    void failedStaysTickedAcrossRefreshes() {
        FakeDiscovery discovery;
        Table table;
        QVERIFY(FirstSearch(table, discovery));
        QVERIFY(table.Show());
        table.ClickCell(table.RowOf("10.0.0.2"), 0);
        MessageBoxRecorder recorder;
        Deliver(table, {{"10.0.0.2", false}});
        const auto expectFailedAndTicked = [&table] {
            const int row = table.RowOf("10.0.0.2");
            QCOMPARE(table.list->GetItemText(row, 3), QStringLiteral("Failed"));
            QCOMPARE(table.list->GetStateImage(row), int{kTickTicked});
            QCOMPARE(table.list->GetItemText(row, 0), kChecked);
        };
        expectFailedAndTicked();
        table.list->RefreshPrinters(9, u"orchid");
        expectFailedAndTicked();

        // Unticked by the operator, it comes back ticked: the history's copy carries the tick.
        table.ClickCell(table.RowOf("10.0.0.2"), 0);
        QCOMPARE(table.list->GetStateImage(table.RowOf("10.0.0.2")), int{kTickUnticked});
        table.list->RefreshPrinters(9, u"orchid");
        expectFailedAndTicked();
        QCOMPARE(recorder.Count(), size_t{0});
    }

    void ticksSurviveARefreshByAddress() {
        FakeDiscovery discovery;
        Table table;
        QVERIFY(FirstSearch(table, discovery));
        QVERIFY(table.Show());
        table.ClickCell(table.RowOf("10.0.0.2"), 0);
        // The printers answer in another order now.
        discovery.Answer(kResultSuccess,
                         {{u"10.0.0.2", u"B"}, {u"10.0.0.1", u"A"}, {u"10.0.0.0", u"Z"}});
        table.list->RefreshPrinters(9, u"orchid");
        QCOMPARE(table.list->GetStateImage(table.RowOf("10.0.0.2")), int{kTickTicked});
        QCOMPARE(table.list->GetStateImage(table.RowOf("10.0.0.1")), int{kTickUnticked});
        QCOMPARE(table.lists.entries->ticked, 1);
        // The focus row follows its printer through the refresh (a row came above it) and a
        // re-sort; when its printer is gone, the focus keeps its place.
        QCOMPARE(table.list->currentIndex().row(), table.RowOf("10.0.0.2"));
        table.ClickHeader(1);
        QCOMPARE(table.list->currentIndex().row(), table.RowOf("10.0.0.2"));
        table.list->setCurrentIndex(table.list->model()->index(table.RowOf("10.0.0.0"), 0));
        discovery.Answer(kResultSuccess, {{u"10.0.0.2", u"B"}, {u"10.0.0.1", u"A"}});
        table.list->RefreshPrinters(9, u"orchid");
        QCOMPARE(table.list->currentIndex().row(), table.RowOf("10.0.0.1"));
    }

    void aFailedSearchLeavesAnEmptyTable() {
        FakeDiscovery discovery;
        MessageBoxRecorder recorder;
        Table table(Specs{{u"10.0.0.1", u"A"}});
        discovery.Answer(kResultNetworkFailure);
        table.list->RefreshPrinters(9, u"orchid");
        QCOMPARE(table.list->GetItemCount(), 0);
        QCOMPARE(table.lists.entries, nullptr);
        QCOMPARE(recorder.Count(), size_t{1});
        QVERIFY(!table.selectAll.isEnabled());
        QVERIFY(!table.clearAll.isEnabled());
        QVERIFY(!table.download.isEnabled());
    }

    void outOfMemoryWhileBuildingStopsTheWindow_data() {
        QTest::addColumn<int>("step"); // 0: model list, 1: first search, 2: refresh
        QTest::newRow("model list") << 0;
        QTest::newRow("entries of the first search") << 1;
        QTest::newRow("entries or history of a refresh") << 2;
    }
    void outOfMemoryWhileBuildingStopsTheWindow() {
        QFETCH(int, step);
        // Count the allocations of a run that succeeds, then fail each one in turn.
        long allocations = 0;
        for (long failAt = 0; failAt == 0 || failAt <= allocations; ++failAt) {
            FakeDiscovery discovery;
            MessageBoxRecorder recorder;
            Table table;
            QSignalSpy stops(table.list, &CNetworkPrinterList::outOfMemoryStop);
            discovery.Answer(kResultSuccess, {{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}});
            PrepareDelivered(table, discovery, step);
            AllocationHook::FailNth(failAt > 0 ? failAt : -1);
            const int collected = table.list->GetStateImage(0) == kTickTicked ? 1 : 0;
            switch (step) {
            case 0:
                table.list->BuildModelList("Korvil 2950MFP-D,Korvil 2950MFP-N");
                break;
            case 1:
                table.list->RunDiscoveryDriver(9, u"orchid");
                break;
            default:
                table.list->RefreshPrinters(9, u"orchid");
                break;
            }
            if (failAt == 0) {
                allocations = AllocationHook::Count();
                QVERIFY(allocations > 0);
                QCOMPARE(stops.count(), 0);
                continue;
            }
            AllocationHook::Reset();
            QCOMPARE(recorder.Count(), size_t{1});
            QCOMPARE(QtText(recorder.Boxes().front().text),
                     QStringLiteral("Out of Memory.\r\nProgram will be terminated."));
            if (step == 2 && failAt <= collected) {
                // Collecting the ticked printers failed: the refresh just stops.
                QCOMPARE(stops.count(), 0);
                QCOMPARE(table.list->GetItemCount(), 2);
                continue;
            }
            QCOMPARE(stops.count(), 1);
            QCOMPARE(table.list->GetItemCount(), 0);
            QCOMPARE(table.lists.entries, nullptr);
            QCOMPARE(table.lists.models, nullptr);
            QCOMPARE(table.lists.manualPrinters, nullptr);
            QCOMPARE(table.lists.results, nullptr);
            QCOMPARE(TheDeliveryHistory().head, nullptr);
        }
    }

    void screenshotShowsTheFourTickImages() {
        Table table({{u"10.0.0.1", u"Korvil 2950MFP-D", 0, 0, 0},
                     {u"10.0.0.2", u"Korvil 2950MFP-N", kStatusFailed, 0, 1},
                     {u"10.0.0.3", u"Korvil 2950MFP-D (ticked, locked)", 0, 0, 1},
                     {u"10.0.0.4", u"-", kStatusNotCompleted, 1, 0}});
        table.list->SetStateImage(2, kTickTickedLocked);
        table.list->InitHeaderImages();
        table.list->InitialSort();
        QVERIFY(table.Show());

        const QImage rows = table.list->viewport()->grab().toImage();
        const char* files[] = {":/list/unticked.bmp", ":/list/ticked.bmp",
                               ":/list/ticked_locked.bmp", ":/list/unticked_locked.bmp"};
        for (int row = 0; row < 4; ++row) {
            const QRect rect = table.list->visualItemRect(table.list->topLevelItem(row));
            const QRect cell(0, rect.top(), 18, rect.height());
            QVERIFY2(FindImage(rows, QImage(files[table.list->GetStateImage(row) - 1]), cell),
                     qPrintable(QStringLiteral("row %1 shows its tick image").arg(row)));
        }
        QHeaderView* header = table.list->header();
        const QImage headerImage = header->viewport()->grab().toImage();
        const int left = header->sectionViewportPosition(1);
        const QRect section(left, 0, header->sectionSize(1), header->height());
        const auto mark = FindImage(headerImage, QImage(":/list/sort_up.png"), section);
        QVERIFY(mark.has_value());
        const int textEnd = left + header->fontMetrics().horizontalAdvance("IP Address");
        QVERIFY(mark->x() >= textEnd);

        const QByteArray path = qgetenv("TOLVANE_TABLE_SCREENSHOT");
        if (!path.isEmpty())
            QVERIFY(table.window.grab().save(QString::fromLocal8Bit(path)));
    }

  private:
    // The first search finds 10.0.0.1 and 10.0.0.2; the table shows them.
    static bool FirstSearch(Table& table, FakeDiscovery& discovery) {
        discovery.Answer(kResultSuccess, {{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}});
        if (table.list->RunDiscoveryDriver(9, u"orchid") != 1)
            return false;
        table.list->Refill();
        return true;
    }

    // Collects the ticked printers, lets each succeed or fail as given, records the outcome and
    // refills, as the delivery command does.
    static void Deliver(Table& table, const std::vector<std::pair<QString, bool>>& outcomes) {
        DeliveryNode* nodes = nullptr;
        int count = 0;
        QCOMPARE(table.list->CollectTickedPrinters(&nodes, &count), 1);
        QCOMPARE(count, static_cast<int>(outcomes.size()));
        for (DeliveryNode* node = nodes; node != nullptr; node = node->next) {
            for (const auto& [address, sent] : outcomes) {
                if (QtText(Text(node->ipAddress)) == address)
                    node->sent = sent ? 1 : 0;
            }
        }
        table.list->RecordDeliveryResults(nodes);
        FreeDeliveryNodes(nodes);
        table.list->Refill();
    }

    // For a refresh: two printers found, one ticked, one already in the history.
    static void PrepareDelivered(Table& table, FakeDiscovery& discovery, int step) {
        if (step != 2)
            return;
        QVERIFY(FirstSearch(table, discovery));
        table.list->SetCheck(1, true);
        table.lists.entries->next->ticked = 1;
        Deliver(table, {{"10.0.0.2", true}});
        table.list->SetCheck(0, true);
        table.list->EntryAt(0)->ticked = 1;
    }

    long m_liveBlocks = 0;
};

QTEST_MAIN(NetworkPrinterListTest)
#include "network_printer_list_test.moc"
