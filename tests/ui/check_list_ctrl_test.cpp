#include "ui/check_list_ctrl.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

#include <optional>
#include <set>
#include <utility>

namespace {

// A list that records the cells its clicks reach.
class RecordingList : public CMyListCtrl {
  public:
    explicit RecordingList(bool withHeader = true) {
        setColumnCount(4);
        const int widths[] = {18, 100, 220, 100};
        for (int i = 0; i < 4; ++i)
            header()->resizeSection(i, widths[i]);
        header()->setStretchLastSection(false);
        if (withHeader)
            m_pHeader = header();
        InitStateImages();
    }
    void OnCellClick(int row, int column) override { cells.emplace_back(row, column); }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            InsertRow(GetItemCount(), 1);
            SetItemText(GetItemCount() - 1, 1, QString::number(i));
        }
    }
    std::vector<std::pair<int, int>> cells;
};

QColor PixelColour(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

} // namespace

class CheckListCtrlTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void stateImagesAreDrawnAsDescribed_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QColor>("interior");
        QTest::addColumn<bool>("ticked");
        const QColor white(255, 255, 255), grey(128, 128, 128);
        QTest::newRow("1 unticked") << ":/list/unticked.bmp" << white << false;
        QTest::newRow("2 ticked") << ":/list/ticked.bmp" << white << true;
        QTest::newRow("3 ticked, locked") << ":/list/ticked_locked.bmp" << grey << true;
        QTest::newRow("4 unticked, locked") << ":/list/unticked_locked.bmp" << grey << false;
    }
    void stateImagesAreDrawnAsDescribed() {
        QFETCH(QString, file);
        QFETCH(QColor, interior);
        QFETCH(bool, ticked);
        const std::set<std::pair<int, int>> tick{{3, 9}, {3, 10}, {4, 8}, {4, 9}, {5, 3},  {5, 7},
                                                 {5, 8}, {6, 2},  {6, 3}, {6, 6}, {6, 7},  {7, 2},
                                                 {7, 3}, {7, 5},  {7, 6}, {8, 2}, {8, 3},  {8, 4},
                                                 {8, 5}, {9, 2},  {9, 3}, {9, 4}, {10, 2}, {10, 3}};
        const QImage image(file);
        QCOMPARE(image.size(), QSize(13, 13));
        for (int y = 0; y < 13; ++y) {
            for (int x = 0; x < 13; ++x) {
                const bool frame = x == 0 || y == 0 || x == 12 || y == 12;
                const bool black = frame || (ticked && tick.count({y, x}) != 0);
                const QColor expected = black ? QColor(0, 0, 0) : interior;
                QVERIFY2(PixelColour(image, x, y) == expected,
                         qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
        }
    }

    void eachRowShowsTheImageOfItsState() {
        RecordingList list;
        for (int state = 1; state <= 4; ++state)
            list.InsertRow(state - 1, state);
        list.InitStateImages(); // a second build keeps the same four images
        const char* files[] = {":/list/unticked.bmp", ":/list/ticked.bmp",
                               ":/list/ticked_locked.bmp", ":/list/unticked_locked.bmp"};
        for (int row = 0; row < 4; ++row) {
            const QImage shown = list.topLevelItem(row)->icon(0).pixmap(13, 13).toImage();
            QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                     QImage(files[row]).convertToFormat(QImage::Format_RGB32));
        }
        list.SetStateImage(0, 2);
        QCOMPARE(list.GetStateImage(0), 2);
        QCOMPARE(list.topLevelItem(0)->icon(0).pixmap(13, 13).toImage().convertToFormat(
                     QImage::Format_RGB32),
                 QImage(files[1]).convertToFormat(QImage::Format_RGB32));
        QVERIFY(!(list.topLevelItem(0)->flags() & Qt::ItemIsUserCheckable));
    }

    void hitTestUsesWidthsFromTheRowsLeftEdge_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("rowLeft");
        QTest::addColumn<int>("column");
        QTest::newRow("first pixel of column 0") << 0 << 0 << 0;
        QTest::newRow("last pixel of column 0") << 17 << 0 << 0;
        QTest::newRow("column 1 starts at 18") << 18 << 0 << 1;
        QTest::newRow("column 3 ends at 437") << 437 << 0 << 3;
        QTest::newRow("right of the last column") << 438 << 0 << -1;
        QTest::newRow("scrolled 150 left: 60 lies in column 2") << 60 << -150 << 2;
        QTest::newRow("left of the row") << -5 << 0 << -1;
    }
    void hitTestUsesWidthsFromTheRowsLeftEdge() {
        QFETCH(int, x);
        QFETCH(int, rowLeft);
        QFETCH(int, column);
        RecordingList list;
        QCOMPARE(list.HitTestColumn(x, rowLeft), column);
    }

    void cellRectangles() {
        RecordingList list;
        list.AddRows(3);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QRect row = list.visualItemRect(list.topLevelItem(1));
        QRect cell;
        QCOMPARE(list.GetCellRect(&cell, 1, 0), 1);
        QCOMPARE(cell, QRect(0, row.top(), 18, row.height()));
        QCOMPARE(list.GetCellRect(&cell, 1, 2), 1);
        QCOMPARE(cell, QRect(118, row.top(), 220, row.height()));
        QCOMPARE(list.GetCellRect(&cell, 1, -1), 1);
        QVERIFY(cell.isEmpty());

        RecordingList headless(false);
        headless.AddRows(1);
        QCOMPARE(headless.GetCellRect(&cell, 0, 1), -1);
        QCOMPARE(headless.HitTestColumn(30, 0), -1);
    }

    void clicksReachTheCellUnderThem_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("x");
        QTest::addColumn<double>("rowsDown");    // in row heights from the top of the viewport
        QTest::addColumn<double>("releaseDown"); // where the button goes up; the press is above
        QTest::addColumn<int>("row");            // -1: the hook is not called
        QTest::addColumn<int>("column");
        QTest::newRow("column 0 of row 0") << 5 << 8 << 0.5 << 0.5 << 0 << 0;
        QTest::newRow("column 1 of row 2") << 5 << 50 << 2.5 << 2.5 << 2 << 1;
        QTest::newRow("column 2") << 5 << 200 << 1.5 << 1.5 << 1 << 2;
        QTest::newRow("column 3") << 5 << 400 << 1.5 << 1.5 << 1 << 3;
        QTest::newRow("right of the last column") << 5 << 500 << 1.5 << 1.5 << 1 << -1;
        QTest::newRow("below the last row") << 2 << 50 << 3.5 << 3.5 << -1 << 0;
        QTest::newRow("an empty list") << 0 << 50 << 0.5 << 0.5 << -1 << 0;
        QTest::newRow("pressed on row 0, released on row 2: a drag")
            << 5 << 8 << 0.5 << 2.5 << -1 << 0;
        QTest::newRow("pressed below the rows, released on row 1")
            << 2 << 8 << 3.5 << 1.5 << -1 << 0;
        QTest::newRow("moved within row 1: a click") << 5 << 8 << 1.2 << 1.8 << 1 << 0;
    }
    void clicksReachTheCellUnderThem() {
        QFETCH(int, rows);
        QFETCH(int, x);
        QFETCH(double, rowsDown);
        QFETCH(double, releaseDown);
        QFETCH(int, row);
        QFETCH(int, column);
        RecordingList list;
        list.AddRows(rows);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const int height = RowHeight(list);
        QTest::mousePress(list.viewport(), Qt::LeftButton, {},
                          QPoint(x, static_cast<int>(rowsDown * height)));
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {},
                            QPoint(x, static_cast<int>(releaseDown * height)));
        if (row < 0) {
            QVERIFY(list.cells.empty());
        } else {
            QCOMPARE(list.cells.size(), size_t{1});
            QCOMPARE(list.cells[0], std::make_pair(row, column));
        }
    }

    void onlyTheLeftButtonClicks() {
        RecordingList list;
        list.AddRows(2);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTest::mouseClick(list.viewport(), Qt::RightButton, {}, QPoint(8, RowHeight(list) / 2));
        QVERIFY(list.cells.empty());
    }

    void thePartlyVisibleRowOfThePageCounts() {
        RecordingList list;
        list.AddRows(10);
        list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const int height = RowHeight(list);
        // Three whole rows and half of the fourth.
        list.resize(600, list.height() - list.viewport()->height() + 3 * height + height / 2);
        QTRY_COMPARE(list.viewport()->height(), 3 * height + height / 2);

        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(50, 3 * height + 2));
        QCOMPARE(list.cells.size(), size_t{1});
        QCOMPARE(list.cells[0], std::make_pair(3, 1));

        // Scrolled down by two rows, the top row is row 2 and the half row is row 5.
        list.verticalScrollBar()->setValue(2);
        QCOMPARE(list.visualItemRect(list.topLevelItem(2)).top(), 0);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(50, 2));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(50, 3 * height + 2));
        QCOMPARE(list.cells.size(), size_t{3});
        QCOMPARE(list.cells[1], std::make_pair(2, 1));
        QCOMPARE(list.cells[2], std::make_pair(5, 1));
    }

    // The focus row's rules are the printer-list controller's; the list moves the frame where
    // it is told, scrolling the rows (never the columns) only when asked to.
    void focusRowMovesWhereItIsTold() {
        RecordingList list;
        list.AddRows(10);
        list.resize(250, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.resize(250, list.height() - list.viewport()->height() + 4 * RowHeight(list));
        QTRY_COMPARE(list.viewport()->height(), 4 * RowHeight(list));
        QCOMPARE(list.RowsPerPage(), 4);
        list.horizontalScrollBar()->setValue(50);
        list.SetFocusRow(9, false);
        QCOMPARE(list.FocusRow(), 9);
        QCOMPARE(list.verticalScrollBar()->value(), 0);
        list.SetFocusRow(8, true);
        QCOMPARE(list.FocusRow(), 8);
        const QRect row = list.visualRect(list.currentIndex());
        QVERIFY(row.top() >= 0 && row.bottom() < list.viewport()->height());
        QCOMPARE(list.horizontalScrollBar()->value(), 50);
    }

    void horizontalScrollingIsHonoured_data() {
        QTest::addColumn<int>("scroll");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("column");
        QTest::newRow("not scrolled, x 60: column 1") << 0 << 60 << 1;
        QTest::newRow("scrolled 150, x 60: column 2") << 150 << 60 << 2;
        QTest::newRow("scrolled 150, x 200: column 3") << 150 << 200 << 3;
        QTest::newRow("scrolled 10, x 5: column 0 starts left of view") << 10 << 5 << 0;
    }
    void horizontalScrollingIsHonoured() {
        QFETCH(int, scroll);
        QFETCH(int, x);
        QFETCH(int, column);
        RecordingList list;
        list.AddRows(3);
        list.resize(250, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.horizontalScrollBar()->setValue(scroll);
        QCOMPARE(list.horizontalScrollBar()->value(), scroll);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(x, RowHeight(list) / 2));
        QCOMPARE(list.cells.size(), size_t{1});
        QCOMPARE(list.cells[0], std::make_pair(0, column));
        QCOMPARE(list.header()->logicalIndexAt(x), column);
        // The click does not scroll the view back to column 0.
        QCOMPARE(list.horizontalScrollBar()->value(), scroll);
    }

    void withoutAHeaderEveryClickGivesColumnMinusOne() {
        RecordingList list(false);
        list.AddRows(2);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(8, RowHeight(list) / 2));
        QCOMPARE(list.cells.size(), size_t{1});
        QCOMPARE(list.cells[0], std::make_pair(0, -1));
    }

  private:
    static int RowHeight(const CMyListCtrl& list) {
        // An empty list has no row to measure; any click height will do there.
        if (list.topLevelItemCount() == 0)
            return 20;
        return list.visualItemRect(list.topLevelItem(0)).height();
    }
};

QTEST_MAIN(CheckListCtrlTest)
#include "check_list_ctrl_test.moc"
