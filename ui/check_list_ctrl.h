#pragma once

#include <QList>
#include <QPixmap>
#include <QTreeWidget>

class QHeaderView;
class QRect;

// The control's state images, by index.
enum StateImage : int {
    kImageUnticked = 1,
    kImageTicked = 2,
    kImageTickedLocked = 3,
    kImageUntickedLocked = 4,
};

// A report-view list whose rows carry a tick box drawn from the control's own four state
// images. A left click is turned into a (row, column) event for the derived class; a press on
// one row released on another is a drag, not a click. Keys go to the derived class first (its
// rules move the focus row, a frame: rows are never shown selected). Shift+F10 opens the context
// menu, as the menu key does.
class CMyListCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    explicit CMyListCtrl(QWidget* parent = nullptr);

    // Builds the four state images; rows show them from then on. Calling it again rebuilds them.
    void InitStateImages();

    // Handles a click at `point` (viewport coordinates): finds the row among those on the
    // page and reports the cell to OnCellClick. A click on no row does nothing.
    void OnListClick(const QPoint& point);

    // The column under x for a row whose left edge is rowLeft, by the header's column widths
    // in index order; -1 right of the last column or without a header.
    int HitTestColumn(int x, int rowLeft) const;

    // The cell's rectangle: top and bottom in viewport coordinates, left and right measured
    // from the row's left edge. Returns 1, or -1 without a header.
    int GetCellRect(QRect* rect, int row, int column) const;

    // The derived class's cell hook; column -1 when the click lies right of every column.
    virtual void OnCellClick(int row, int column);
    // The derived class's key hook: true when it took the key, else the list's own handling
    // (Left and Right, Tab, Escape...) has it.
    virtual bool OnKey(const QKeyEvent& event);

    // The focus row; -1 when there is none.
    int FocusRow() const;
    // Moves the focus row; `bringIntoView` scrolls the rows (never the columns) to show it.
    void SetFocusRow(int row, bool bringIntoView);
    // Whole rows the viewport shows, at least 1.
    int RowsPerPage() const;

    int GetItemCount() const;
    // Inserts an empty row at `row` with the state image `state`; returns its item.
    QTreeWidgetItem* InsertRow(int row, int state);
    int GetStateImage(int row) const;
    void SetStateImage(int row, int state);
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    QList<QPixmap> m_stateImages;
    // Set by the derived class to the list's header before any click arrives.
    QHeaderView* m_pHeader = nullptr;

  private:
    // Tells assistive technology which row has the focus, while the list has it.
    void AnnounceFocusRow();
    void ShowStateImage(QTreeWidgetItem* item) const;
    QRect RowBounds(int row) const;
    // The row on the page (the partly visible one below included) under `point`, or -1.
    int RowOnPage(const QPoint& point) const;

    int m_pressedRow = -1;
};
