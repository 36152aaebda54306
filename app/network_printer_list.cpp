#include "app/network_printer_list.h"

#include "platform/text_convert.h"
#include "printers/sort_menu.h"
#include "text/inert_text.h"
#include "text/string_ids.h"
#include "ui/qt_text.h"
#include "ui/sort_header.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

struct Column {
    uint16_t title;
    int width;
};
// In ListColumn order.
const Column kColumns[] = {
    {IDS_COLUMN_SELECT, 18},
    {IDS_COLUMN_IP_ADDRESS, 100},
    {IDS_COLUMN_PRINTER_NAME, 220},
    {IDS_COLUMN_STATUS, 100},
};

// The printer table's tick states are the list control's state images.
static_assert(int{kTickUnticked} == kImageUnticked && int{kTickTicked} == kImageTicked &&
              int{kTickTickedLocked} == kImageTickedLocked &&
              int{kTickUntickedLocked} == kImageUntickedLocked);

// A device chooses its own name: shown inert, it stays on one line of its row.
QString ShownName(const char16_t* name) {
    return QtText(InertText(WideText(name)));
}

} // namespace

CNetworkPrinterList::CNetworkPrinterList(QWidget* parent) : CMyListCtrl(parent) {
    auto* sortHeader = new CSortHeader(this);
    setHeader(sortHeader);
    sortHeader->setSectionsClickable(true);
    sortHeader->setSectionsMovable(false);
    sortHeader->setStretchLastSection(false);
    connect(sortHeader, &QHeaderView::sectionClicked, this, &CNetworkPrinterList::OnColumnClick);
    // Rows are never selected; only their tick boxes change.
    setSelectionMode(QAbstractItemView::NoSelection);
}

void CNetworkPrinterList::SetUpTable(PrinterTableLists* lists) {
    m_lists = lists;
    m_pHeader = header();
    InitStateImages();
    setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList titles;
    for (const Column& column : kColumns)
        titles.append(ResQString(column.title));
    setHeaderLabels(titles);
    for (int i = 0; i < columnCount(); ++i)
        header()->resizeSection(i, kColumns[i].width);
}

void CNetworkPrinterList::SetCommandButtons(QAbstractButton* selectAll, QAbstractButton* clearAll,
                                            QAbstractButton* download) {
    m_selectAll = selectAll;
    m_clearAll = clearAll;
    m_download = download;
}

int CNetworkPrinterList::BuildModelList(const char* modelList) {
    if (::BuildModelList(modelList, &m_lists->models) != 0)
        return 1;
    OutOfMemoryStop();
    return 0;
}

int CNetworkPrinterList::RunDiscoveryDriver(int versionKind, QStringView community) {
    const TableOutcome outcome = ::RunDiscoveryDriver(m_lists, versionKind, WideOf(community));
    if (outcome == kTableOutOfMemory)
        OutOfMemoryStop();
    return outcome == kTableRebuilt ? 1 : 0;
}

void CNetworkPrinterList::RefreshPrinters(int versionKind, QStringView community) {
    DeliveryNode* ticked = nullptr;
    int count = 0;
    if (CollectTickedPrinters(&ticked, &count) == 0)
        return;
    const FocusRow focus = Focus();
    // The rows refer to the entries about to be released.
    clear();
    const TableOutcome outcome =
        RebuildPrinterEntries(m_lists, versionKind, WideOf(community), ticked);
    FreeDeliveryNodes(ticked);
    if (outcome == kTableOutOfMemory) {
        OutOfMemoryStop();
        return;
    }
    RefillFocusing(focus);
}

void CNetworkPrinterList::FillPrinterList() {
    clear();
    int row = 0;
    for (PrinterEntry* entry = m_lists->entries; entry != nullptr; entry = entry->next, ++row) {
        const int state = TickStateOf(*entry);
        QTreeWidgetItem* item = InsertRow(row, state);
        // Without the selectable flag a row refuses the selection a click asks for.
        item->setFlags(Qt::ItemIsEnabled);
        SetItemText(row, kColumnTick, QtText(TickText(state == kTickTicked)));
        SetItemText(row, kColumnAddress, QtText(WideText(entry->ipAddress)));
        SetItemText(row, kColumnName, ShownName(entry->name));
        SetItemText(row, kColumnStatus, QtText(StatusText(entry->status)));
        SetItemData(row, entry);
    }
}

void CNetworkPrinterList::UpdateCommandButtons() {
    const CommandButtonStates states = ComputeCommandButtons(TableRowsOf(*this));
    if (m_selectAll != nullptr)
        m_selectAll->setEnabled(states.selectAll);
    if (m_clearAll != nullptr)
        m_clearAll->setEnabled(states.clearAll);
    if (m_download != nullptr)
        m_download->setEnabled(states.download);
}

void CNetworkPrinterList::Refill() {
    RefillFocusing(Focus());
}

void CNetworkPrinterList::RefillFocusing(const FocusRow& focus) {
    FillPrinterList();
    UpdateCommandButtons();
    Resort();
    Refocus(focus);
}

CNetworkPrinterList::FocusRow CNetworkPrinterList::Focus() const {
    const int row = currentIndex().row();
    return {WideOf(GetItemText(row, kColumnAddress)), row};
}

void CNetworkPrinterList::Refocus(const FocusRow& focus) {
    const int row = FocusRowAfter(*this, focus.address, focus.row);
    if (row >= 0)
        setCurrentIndex(model()->index(row, 0));
}

void CNetworkPrinterList::SelectAll() {
    TickAllRows(*this);
    UpdateCommandButtons();
}

void CNetworkPrinterList::ClearAll() {
    UntickAllRows(*this);
    UpdateCommandButtons();
}

int CNetworkPrinterList::CollectTickedPrinters(DeliveryNode** nodes, int* count) {
    return ::CollectTickedPrinters(m_lists->entries, RowEntriesOf(*this), nodes, count);
}

int CNetworkPrinterList::RecordDeliveryResults(const DeliveryNode* nodes) {
    return ::RecordDeliveryResults(nodes, m_lists->entries);
}

void CNetworkPrinterList::InitHeaderImages() {
    SortHeader()->SetImageList({QPixmap(QStringLiteral(":/list/sort_up.png")),
                                QPixmap(QStringLiteral(":/list/sort_down.png"))});
}

void CNetworkPrinterList::InitialSort() {
    OnColumnClick(kColumnAddress);
}

void CNetworkPrinterList::OnColumnClick(int column) {
    if (column < 0)
        return;
    const SortClick click = ClickSortColumn(m_sort, column);
    if (click.unmarkColumn >= 0)
        SortHeader()->SetSectionImage(click.unmarkColumn, kSortMarkNone);
    SortHeader()->SetSectionImage(column, click.mark);
    SortRows(column, click.direction);
}

void CNetworkPrinterList::Resort() {
    SortRows(m_sort.column, 1 - m_sort.nextDirection);
}

PrinterEntry* CNetworkPrinterList::EntryAt(int row) const {
    return static_cast<PrinterEntry*>(GetItemData(row));
}

const SortState& CNetworkPrinterList::Sort() const {
    return m_sort;
}

void CNetworkPrinterList::OnCellClick(int row, int column) {
    if (column != kColumnTick)
        return;
    SetCheck(row, !IsTickedState(GetStateImage(row)));
    FollowRowTick(*this, row);
    UpdateCommandButtons();
}

void CNetworkPrinterList::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // One column is the current one: the entries show as a choice of one.
    auto* columns = new QActionGroup(menu);
    for (const SortMenuEntry& entry : SortMenuEntries(m_sort)) {
        QAction* action = menu->addAction(QtText(entry.text));
        columns->addAction(action);
        action->setCheckable(true);
        action->setChecked(entry.current);
        const int column = entry.column;
        connect(action, &QAction::triggered, this, [this, column] { OnColumnClick(column); });
    }
    // From the keyboard the menu opens at the focus row, or at the top of the rows.
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect focusRow = visualItemRect(currentItem());
        at = viewport()->mapToGlobal(focusRow.isValid() ? focusRow.bottomLeft() : QPoint());
    }
    menu->popup(at);
}

int CNetworkPrinterList::RowCount() const {
    return GetItemCount();
}

int CNetworkPrinterList::RowState(int row) const {
    return GetStateImage(row);
}

void CNetworkPrinterList::SetRowState(int row, int state) {
    SetStateImage(row, state);
}

PrinterEntry* CNetworkPrinterList::RowEntry(int row) const {
    return EntryAt(row);
}

std::u16string CNetworkPrinterList::RowAddress(int row) const {
    return WideOf(GetItemText(row, kColumnAddress));
}

void CNetworkPrinterList::SetRowTickText(int row, const std::u16string& text) {
    SetItemText(row, kColumnTick, QtText(text));
}

void CNetworkPrinterList::OutOfMemoryStop() {
    clear();
    ReleaseTableLists(m_lists);
    emit outOfMemoryStop();
}

void CNetworkPrinterList::SortRows(int column, int direction) {
    const SortParams params{direction, IsTextColumn(column), column};
    std::vector<std::pair<const PrinterEntry*, QTreeWidgetItem*>> rows;
    for (int row = 0; row < GetItemCount(); ++row)
        rows.emplace_back(EntryAt(row), topLevelItem(row));
    std::stable_sort(rows.begin(), rows.end(), [&params](const auto& a, const auto& b) {
        return ComparePrinterRows(a.first, b.first, params) < 0;
    });
    // The items are all in `rows`; they leave the list and come back in order.
    QTreeWidgetItem* const focus = currentItem();
    invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> sorted;
    for (const auto& row : rows)
        sorted.append(row.second);
    addTopLevelItems(sorted);
    if (focus != nullptr)
        setCurrentItem(focus);
}

CSortHeader* CNetworkPrinterList::SortHeader() const {
    return static_cast<CSortHeader*>(header());
}
