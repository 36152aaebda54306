#include "app/network_printer_list.h"

#include "ui/qt_text.h"
#include "ui/sort_header.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include <iterator>

namespace {

// The printer table's tick states are the list control's state images.
static_assert(int{kTickUnticked} == kImageUnticked && int{kTickTicked} == kImageTicked &&
              int{kTickTickedLocked} == kImageTickedLocked &&
              int{kTickUntickedLocked} == kImageUntickedLocked);

struct KeyOfList {
    int qtKey;
    ListKey key;
};
const KeyOfList kListKeys[] = {
    {Qt::Key_Up, ListKey::Up},         {Qt::Key_Down, ListKey::Down},
    {Qt::Key_Home, ListKey::Home},     {Qt::Key_End, ListKey::End},
    {Qt::Key_PageUp, ListKey::PageUp}, {Qt::Key_PageDown, ListKey::PageDown},
};

bool IsTyping(const QKeyEvent& event) {
    return !event.text().isEmpty() && event.text().front().isPrint() &&
           !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

CNetworkPrinterList::CNetworkPrinterList(QWidget* parent)
    : CMyListCtrl(parent), m_controller(*this) {
    auto* sortHeader = new CSortHeader(this);
    setHeader(sortHeader);
    sortHeader->setSectionsClickable(true);
    sortHeader->setSectionsMovable(false);
    sortHeader->setStretchLastSection(false);
    connect(sortHeader, &QHeaderView::sectionClicked, this,
            [this](int column) { m_controller.OnColumnClick(column); });
    // Rows are never selected; only their tick boxes change.
    setSelectionMode(QAbstractItemView::NoSelection);
}

void CNetworkPrinterList::SetUpTable() {
    m_pHeader = header();
    InitStateImages();
    setColumnCount(static_cast<int>(std::size(kPrinterListColumns)));
    QStringList titles;
    for (const PrinterListColumn& column : kPrinterListColumns)
        titles.append(ResQString(column.title));
    setHeaderLabels(titles);
    for (int i = 0; i < columnCount(); ++i)
        header()->resizeSection(i, kPrinterListColumns[i].width);
}

void CNetworkPrinterList::SetCommandButtons(QAbstractButton* selectAll, QAbstractButton* clearAll,
                                            QAbstractButton* download) {
    m_selectAll = selectAll;
    m_clearAll = clearAll;
    m_download = download;
}

void CNetworkPrinterList::InitHeaderImages() {
    SortHeader()->SetImageList({QPixmap(QStringLiteral(":/list/sort_up.png")),
                                QPixmap(QStringLiteral(":/list/sort_down.png"))});
}

PrinterListController& CNetworkPrinterList::Controller() {
    return m_controller;
}

void CNetworkPrinterList::OnCellClick(int row, int column) {
    m_controller.OnCellClick(row, column);
}

bool CNetworkPrinterList::OnKey(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Space && event.modifiers() == Qt::NoModifier)
        return m_controller.OnKey(ListKey::Space);
    for (const KeyOfList& listKey : kListKeys) {
        if (event.key() == listKey.qtKey)
            return m_controller.OnKey(listKey.key);
    }
    if (!IsTyping(event))
        return false;
    for (const QChar typed : event.text())
        m_controller.OnCharacter(typed.unicode());
    return true;
}

void CNetworkPrinterList::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard the menu opens at the focus row, or at the top of the rows.
    m_menuAt = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect focusRow = visualItemRect(currentItem());
        m_menuAt = viewport()->mapToGlobal(focusRow.isValid() ? focusRow.bottomLeft() : QPoint());
    }
    m_controller.OnContextMenu();
}

void CNetworkPrinterList::ShowRows(std::span<const PrinterListRow> rows) {
    clear();
    int row = 0;
    for (const PrinterListRow& shown : rows) {
        QTreeWidgetItem* item = InsertRow(row, shown.tickState);
        // Without the selectable flag a row refuses the selection a click asks for.
        item->setFlags(Qt::ItemIsEnabled);
        SetItemText(row, kColumnTick, QtText(shown.tickText));
        SetItemText(row, kColumnAddress, QtText(shown.address));
        SetItemText(row, kColumnName, QtText(shown.name));
        SetItemText(row, kColumnStatus, QtText(shown.status));
        ++row;
    }
}

void CNetworkPrinterList::ReorderRows(std::span<const int> formerRows) {
    // The items leave the list and come back in order, so that each stays its printer's.
    const QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> sorted;
    for (int former : formerRows)
        sorted.append(items[former]);
    addTopLevelItems(sorted);
}

void CNetworkPrinterList::ShowTick(int row, int tickState, const std::u16string& tickText) {
    SetStateImage(row, tickState);
    SetItemText(row, kColumnTick, QtText(tickText));
}

void CNetworkPrinterList::ShowSortMark(int column, int mark) {
    SortHeader()->SetSectionImage(column, mark);
}

int CNetworkPrinterList::FocusRow() const {
    return CMyListCtrl::FocusRow();
}

void CNetworkPrinterList::SetFocusRow(int row) {
    CMyListCtrl::SetFocusRow(row, false);
}

void CNetworkPrinterList::MoveFocusRow(int row) {
    CMyListCtrl::SetFocusRow(row, true);
}

int CNetworkPrinterList::PageRows() const {
    return RowsPerPage();
}

void CNetworkPrinterList::EnableCommands(const CommandButtonStates& states) {
    if (m_selectAll != nullptr)
        m_selectAll->setEnabled(states.selectAll);
    if (m_clearAll != nullptr)
        m_clearAll->setEnabled(states.clearAll);
    if (m_download != nullptr)
        m_download->setEnabled(states.download);
}

void CNetworkPrinterList::ShowSortMenu(const std::vector<SortMenuEntry>& entries) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // One column is the current one: the entries show as a choice of one.
    auto* columns = new QActionGroup(menu);
    for (const SortMenuEntry& entry : entries) {
        QAction* action = menu->addAction(QtText(entry.text));
        columns->addAction(action);
        action->setCheckable(true);
        action->setChecked(entry.current);
        const int column = entry.column;
        connect(action, &QAction::triggered, this,
                [this, column] { m_controller.OnColumnClick(column); });
    }
    menu->popup(m_menuAt);
}

CSortHeader* CNetworkPrinterList::SortHeader() const {
    return static_cast<CSortHeader*>(header());
}
