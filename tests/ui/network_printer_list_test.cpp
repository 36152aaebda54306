#include "app/network_printer_list.h"
#include "platform/collation.h"
#include "tests/support/printer_samples.h"
#include "text/heap.h"
#include "text/notices.h"
#include "ui/qt_text.h"
#include "ui/sort_header.h"

#include <QAccessible>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

using SampleEntries = std::vector<SampleEntry>;

// The printer table inside a window with the three buttons it drives.
struct Table {
    explicit Table(const SampleEntries& samples = {}) {
        window.resize(480, 240);
        list = new CNetworkPrinterList(&window);
        list->setGeometry(0, 0, 480, 200);
        list->SetUpTable();
        list->Controller().SetUpTable(&lists);
        list->SetCommandButtons(&selectAll, &clearAll, &download);
        lists.entries = MakeChain(samples);
        list->Controller().FillPrinterList();
        list->Controller().UpdateCommandButtons();
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

    void theTableDrawsWhatItsControllerShows() {
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
        for (int row = 0; row < list.GetItemCount(); ++row)
            QVERIFY(!(list.topLevelItem(row)->flags() & Qt::ItemIsUserCheckable));
        QVERIFY(table.selectAll.isEnabled());
        QVERIFY(table.clearAll.isEnabled());
        QVERIFY(table.download.isEnabled());
    }

    // Clicks and keys reach the controller; the rows and buttons show its answer.
    void clicksAndKeysReachTheController_data() {
        QTest::addColumn<QList<int>>("keys"); // none: a click on the focus row's cell instead
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("focus");
        QTest::addColumn<QList<int>>("states");
        const int space = Qt::Key_Space, down = Qt::Key_Down, end = Qt::Key_End;
        QTest::newRow("a click on the tick column")
            << QList<int>{} << 0 << 0 << QList<int>{2, 1, 1};
        QTest::newRow("a click on another column") << QList<int>{} << 2 << 0 << QList<int>{1, 1, 1};
        QTest::newRow("Space") << QList<int>{space} << 0 << 0 << QList<int>{2, 1, 1};
        QTest::newRow("Shift+Space is not a tick")
            << QList<int>{(Qt::ShiftModifier | Qt::Key_Space).toCombined()} << 0 << 0
            << QList<int>{1, 1, 1};
        QTest::newRow("Down, Space") << QList<int>{down, space} << 0 << 1 << QList<int>{1, 2, 1};
        QTest::newRow("End") << QList<int>{end} << 0 << 2 << QList<int>{1, 1, 1};
        QTest::newRow("typing an address") << QList<int>{'1', '9'} << 0 << 2 << QList<int>{1, 1, 1};
        QTest::newRow("typing a name does nothing")
            << QList<int>{'B'} << 0 << 0 << QList<int>{1, 1, 1};
    }
    void clicksAndKeysReachTheController() {
        QFETCH(QList<int>, keys);
        QFETCH(int, column);
        QFETCH(int, focus);
        QFETCH(QList<int>, states);
        Table table({{u"10.0.0.1", u"A"}, {u"10.0.0.2", u"B"}, {u"192.168.0.1", u"B"}});
        QVERIFY(table.Show());
        table.list->setCurrentIndex(table.list->model()->index(0, 0));
        if (keys.isEmpty())
            table.ClickCell(0, column);
        for (const int key : keys) {
            const auto modifiers = Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask);
            const int code = key & ~Qt::KeyboardModifierMask;
            if (code < 0x80 && code != Qt::Key_Space)
                QTest::keyClick(table.list, char(code), modifiers);
            else
                QTest::keyClick(table.list, Qt::Key(code), modifiers);
        }
        QCOMPARE(table.list->currentIndex().row(), focus);
        QCOMPARE(table.States(), states);
        QCOMPARE(table.list->GetItemText(0, 0), states[0] == 2 ? kChecked : kUnchecked);
        QCOMPARE(table.clearAll.isEnabled(), states.contains(2));
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
        QCOMPARE(list->childCount(), 3);
        const QStringList names{"10.0.0.1, A, Failed", "10.0.0.2, B, Not completed",
                                "10.0.0.3, -, Not completed"};
        for (int row = 0; row < 3; ++row) {
            const QAccessible::State state = list->child(row)->state();
            QVERIFY(state.checkable);
            QCOMPARE(bool(state.checked), row == 0);
            QCOMPARE(bool(state.disabled), row == 2);
            QCOMPARE(bool(state.focused), row == 2);
            QCOMPARE(list->child(row)->text(QAccessible::Name), names[row]);
        }
        QCOMPARE(list->focusChild(), list->child(2));
        // The toggle action follows the click rules.
        QVERIFY(list->child(2)->actionInterface()->actionNames().isEmpty());
        list->child(1)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(table.States(), (QList<int>{2, 2, 4}));
        // After a sort the rows read their new printers; what a screen reader kept of the old
        // first row never reads another printer's.
        const QAccessible::Id kept = QAccessible::uniqueId(list->child(0));
        table.ClickHeader(1);
        table.ClickHeader(1);
        QCOMPARE(list->child(0)->text(QAccessible::Name), names[2]);
        QAccessibleInterface* old = QAccessible::accessibleInterface(kept);
        QVERIFY(old == nullptr || old->text(QAccessible::Name) == names[0]);
    }

    void clicksOutsideTheRowsChangeNothing() {
        Table table(SampleEntries{{u"10.0.0.1", u"A"}});
        QVERIFY(table.Show());
        const QRect row = table.list->visualItemRect(table.list->topLevelItem(0));
        QTest::mouseClick(table.list->viewport(), Qt::LeftButton, {},
                          QPoint(5, row.bottom() + row.height()));
        QCOMPARE(table.States(), (QList<int>{1}));
    }

    // Header clicks and the sort menu reach the controller; the header shows its marks.
    void headerClicksAndTheMenuSort_data() {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QList<int>>("marks");
        QTest::addColumn<QString>("menuCurrent");
        const QString a = "10.0.0.10", b = "10.0.0.9", c = "10.0.0.2", d = "192.168.0.1";
        QTest::newRow("initial: by address")
            << QList<int>{} << false << QStringList{c, b, a, d} << QList<int>{-1, 0, -1, -1}
            << QString("Sort by IP Address (ascending)");
        QTest::newRow("address again: reversed, image 1")
            << QList<int>{1} << false << QStringList{d, a, b, c} << QList<int>{-1, 1, -1, -1}
            << QString("Sort by IP Address (descending)");
        QTest::newRow("menu, keyboard only: name, then back by address")
            << QList<int>{2, 1} << true << QStringList{c, b, a, d} << QList<int>{-1, 0, -1, -1}
            << QString("Sort by IP Address (ascending)");
        QTest::newRow("menu: status twice")
            << QList<int>{3, 3} << true << QStringList{a, d, b, c} << QList<int>{-1, -1, -1, 1}
            << QString("Sort by Status (descending)");
    }
    void headerClicksAndTheMenuSort() {
        QFETCH(QList<int>, clicks);
        QFETCH(bool, fromMenu);
        QFETCH(QStringList, order);
        QFETCH(QList<int>, marks);
        QFETCH(QString, menuCurrent);
        Table table({{u"10.0.0.10", u"beta"},
                     {u"10.0.0.9", u"Alpha", kStatusSent, 1, 0},
                     {u"10.0.0.2", u"gamma", kStatusFailed, 0, 1},
                     {u"192.168.0.1", u"alpha", 0, 0, 1}});
        QVERIFY(table.Show());
        table.list->InitHeaderImages();
        table.list->Controller().InitialSort();
        for (int column : clicks)
            fromMenu ? table.ChooseFromMenu(column) : table.ClickHeader(column);
        QCOMPARE(table.Column(1), order);
        QCOMPARE(table.Marks(), marks);
        QCOMPARE(table.CurrentMenuEntry(), menuCurrent);
    }

    void screenshotShowsTheFourTickImages() {
        Table table({{u"10.0.0.1", u"Korvil 2950MFP-D", 0, 0, 0},
                     {u"10.0.0.2", u"Korvil 2950MFP-N", kStatusFailed, 0, 1},
                     {u"10.0.0.3", u"Korvil 2950MFP-D (ticked, locked)", 0, 0, 1},
                     {u"10.0.0.4", u"-", kStatusNotCompleted, 1, 0}});
        table.list->SetStateImage(2, kTickTickedLocked);
        table.list->InitHeaderImages();
        table.list->Controller().InitialSort();
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
    long m_liveBlocks = 0;
};

QTEST_MAIN(NetworkPrinterListTest)
#include "network_printer_list_test.moc"
