#include "ui/check_list_ctrl.h"

#include "ui/check_list_accessible.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kStateRole = Qt::UserRole + 1;
constexpr int kDataRole = Qt::UserRole + 2;
constexpr int kStateImageSize = 13;

bool IsTickedImage(int state) {
    return state == kImageTicked || state == kImageTickedLocked;
}

// In StateImage order.
const char* const kStateImageFiles[] = {
    ":/list/unticked.bmp",
    ":/list/ticked.bmp",
    ":/list/ticked_locked.bmp",
    ":/list/unticked_locked.bmp",
};

} // namespace

CMyListCtrl::CMyListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    // Rows scroll whole, so the top row is always the first fully visible one.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A click must not scroll the view back to column 0 of the clicked row.
    setAutoScroll(false);
    // Columns may be as narrow as their owner sets them.
    header()->setMinimumSectionSize(0);
    setIconSize(QSize(kStateImageSize, kStateImageSize));
    // The focus frame spans the row, as the focus row is what Space ticks.
    setAllColumnsShowFocus(true);
    InstallCheckListAccessibility();
}

void CMyListCtrl::InitStateImages() {
    m_stateImages.clear();
    for (const char* file : kStateImageFiles)
        m_stateImages.append(QPixmap(QString::fromLatin1(file)));
    for (int row = 0; row < topLevelItemCount(); ++row)
        ShowStateImage(topLevelItem(row));
}

void CMyListCtrl::OnListClick(const QPoint& point) {
    const int row = RowOnPage(point);
    if (row < 0)
        return;
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
    OnCellClick(row, HitTestColumn(point.x(), RowBounds(row).left()));
}

int CMyListCtrl::HitTestColumn(int x, int rowLeft) const {
    if (m_pHeader == nullptr)
        return -1;
    const int offset = x - rowLeft;
    int start = 0;
    for (int column = 0; column < m_pHeader->count(); ++column) {
        const int width = m_pHeader->sectionSize(column);
        if (offset >= start && offset < start + width)
            return column;
        start += width;
    }
    return -1;
}

int CMyListCtrl::GetCellRect(QRect* rect, int row, int column) const {
    if (m_pHeader == nullptr)
        return -1;
    int left = 0;
    int width = 0;
    for (int i = 0; i <= column && i < m_pHeader->count(); ++i) {
        left += width;
        width = m_pHeader->sectionSize(i);
    }
    const QRect label = visualRect(model()->index(row, 0));
    *rect = QRect(left, label.top(), width, label.height());
    return 1;
}

void CMyListCtrl::OnCellClick(int /*row*/, int /*column*/) {}

bool CMyListCtrl::OnKey(const QKeyEvent& /*event*/) {
    return false;
}

int CMyListCtrl::FocusRow() const {
    return currentIndex().row();
}

void CMyListCtrl::SetFocusRow(int row, bool bringIntoView) {
    if (row < 0 || row >= topLevelItemCount())
        return;
    const bool moved = row != FocusRow();
    setCurrentIndex(model()->index(row, 0));
    // The view does not scroll by itself (a click must leave it where it is).
    if (bringIntoView && moved) {
        const int left = horizontalScrollBar()->value();
        scrollTo(currentIndex());
        horizontalScrollBar()->setValue(left);
    }
}

int CMyListCtrl::RowsPerPage() const {
    const int rowHeight = topLevelItemCount() > 0 ? visualRect(model()->index(0, 0)).height() : 0;
    return rowHeight > 0 ? std::max(1, viewport()->height() / rowHeight) : 1;
}

int CMyListCtrl::GetItemCount() const {
    return topLevelItemCount();
}

QTreeWidgetItem* CMyListCtrl::InsertRow(int row, int state) {
    auto* item = new QTreeWidgetItem;
    // Ticks are our own state images; the toolkit's check boxes stay off.
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(0, kStateRole, state);
    insertTopLevelItem(row, item);
    ShowStateImage(item);
    return item;
}

int CMyListCtrl::GetStateImage(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, kStateRole).toInt() : 0;
}

void CMyListCtrl::SetStateImage(int row, int state) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr)
        return;
    const bool wasTicked = IsTickedImage(item->data(0, kStateRole).toInt());
    item->setData(0, kStateRole, state);
    ShowStateImage(item);
    if (IsTickedImage(state) != wasTicked && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        event.setChild(row);
        QAccessible::updateAccessibility(&event);
    }
}

void CMyListCtrl::SetItemText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

QString CMyListCtrl::GetItemText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->text(column) : QString();
}

void CMyListCtrl::keyPressEvent(QKeyEvent* event) {
    // Shift+F10 opens the context menu as the menu key does; X11 does not make it one.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        contextMenuEvent(&menu);
        event->accept();
        return;
    }
    if (OnKey(*event)) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CMyListCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The tree view's own focus event names a cell, which the rows this list shows assistive
    // technology do not have: the row is named instead, and the frame redrawn.
    QAbstractItemView::currentChanged(current, previous);
    viewport()->update();
    AnnounceFocusRow();
}

void CMyListCtrl::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    // The toolkit names the list itself as focused once this handler is done; the focus row is
    // named after that, so that assistive technology lands on the row, as it does after a key.
    QMetaObject::invokeMethod(this, &CMyListCtrl::AnnounceFocusRow, Qt::QueuedConnection);
}

void CMyListCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_pressedRow = RowOnPage(event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
}

void CMyListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && RowOnPage(point) == m_pressedRow)
        OnListClick(point);
}

void CMyListCtrl::AnnounceFocusRow() {
    if (currentIndex().isValid() && hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(currentIndex().row());
        QAccessible::updateAccessibility(&event);
    }
}

void CMyListCtrl::ShowStateImage(QTreeWidgetItem* item) const {
    const int state = item->data(0, kStateRole).toInt();
    if (state >= kImageUnticked && state <= m_stateImages.size())
        item->setIcon(0, QIcon(m_stateImages[state - kImageUnticked]));
    else
        item->setIcon(0, QIcon());
}

// The whole row: from its left edge (which moves with horizontal scrolling) across every column
// and on to the right border of the list.
QRect CMyListCtrl::RowBounds(int row) const {
    const QRect cell = visualRect(model()->index(row, 0));
    const int left = -horizontalOffset();
    const int columns = header()->length();
    const int right = std::max(left + columns, viewport()->width());
    return QRect(left, cell.top(), right - left, cell.height());
}

int CMyListCtrl::RowOnPage(const QPoint& point) const {
    const int count = topLevelItemCount();
    if (count == 0)
        return -1;
    const int top = verticalScrollBar()->value();
    const int rowHeight = visualRect(model()->index(top, 0)).height();
    const int perPage = rowHeight > 0 ? viewport()->height() / rowHeight : 0;
    // The rows on the page, the partly visible one below them included.
    const int last = std::min(top + perPage, count - 1);
    for (int row = top; row <= last; ++row) {
        if (RowBounds(row).contains(point))
            return row;
    }
    return -1;
}
