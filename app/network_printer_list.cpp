#include "app/network_printer_list.h"

#include "platform/text_convert.h"
#include "text/inert_text.h"
#include "text/string_ids.h"
#include "ui/qt_text.h"
#include "ui/sort_header.h"

#include <QAbstractButton>

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

constexpr int kMarkUp = 0;
constexpr int kMarkDown = 1;

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
    std::vector<TableRow> rows;
    for (int row = 0; row < GetItemCount(); ++row)
        rows.push_back({GetStateImage(row), EntryAt(row)});
    const CommandButtonStates states = ComputeCommandButtons(rows);
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
    return {GetItemText(row, kColumnAddress), row};
}

void CNetworkPrinterList::Refocus(const FocusRow& focus) {
    const int count = GetItemCount();
    if (focus.row < 0 || count == 0)
        return;
    int row = std::min(focus.row, count - 1);
    for (int i = 0; i < count; ++i) {
        if (GetItemText(i, kColumnAddress) == focus.address) {
            row = i;
            break;
        }
    }
    setCurrentIndex(model()->index(row, 0));
}

void CNetworkPrinterList::SelectAll() {
    for (int row = 0; row < GetItemCount(); ++row) {
        PrinterEntry* entry = EntryAt(row);
        if (entry == nullptr || entry->locked != 0)
            continue;
        if (!IsLockedState(GetStateImage(row)))
            SetStateImage(row, kTickTicked);
        SetItemText(row, kColumnTick, QtText(TickText(true)));
        entry->ticked = IsTickedState(GetStateImage(row)) ? 1 : 0;
    }
    UpdateCommandButtons();
}

void CNetworkPrinterList::ClearAll() {
    for (int row = 0; row < GetItemCount(); ++row) {
        if (!IsLockedState(GetStateImage(row)))
            SetStateImage(row, kTickUnticked);
        SetItemText(row, kColumnTick, QtText(TickText(false)));
        if (PrinterEntry* entry = EntryAt(row))
            entry->ticked = IsTickedState(GetStateImage(row)) ? 1 : 0;
    }
    UpdateCommandButtons();
}

int CNetworkPrinterList::CollectTickedPrinters(DeliveryNode** nodes, int* count) {
    std::vector<const PrinterEntry*> rows;
    for (int row = 0; row < GetItemCount(); ++row)
        rows.push_back(EntryAt(row));
    return ::CollectTickedPrinters(m_lists->entries, rows, nodes, count);
}

int CNetworkPrinterList::RecordDeliveryResults(const DeliveryNode* nodes) {
    return ::RecordDeliveryResults(nodes, m_lists->entries);
}

void CNetworkPrinterList::InitHeaderImages() {
    SortHeader()->SetImageList({QPixmap(QStringLiteral(":/list/sort_up.png")),
                                QPixmap(QStringLiteral(":/list/sort_down.png"))});
}

void CNetworkPrinterList::InitialSort() {
    m_sort.column = kColumnAddress;
    SortRows(m_sort.column, m_sort.nextDirection);
    SortHeader()->SetSectionImage(m_sort.column, kMarkUp);
    m_sort.nextDirection = 1 - m_sort.nextDirection;
}

void CNetworkPrinterList::OnColumnClick(int column) {
    if (column < 0)
        return;
    if (column != m_sort.column) {
        SortHeader()->SetSectionImage(m_sort.column, -1);
        m_sort.nextDirection = 1;
        m_sort.column = column;
    }
    // The tick column never shows a mark.
    if (column != kColumnTick)
        SortHeader()->SetSectionImage(column, m_sort.nextDirection == 1 ? kMarkUp : kMarkDown);
    SortRows(column, m_sort.nextDirection);
    m_sort.nextDirection = 1 - m_sort.nextDirection;
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
    const bool ticked = IsTickedState(GetStateImage(row));
    SetItemText(row, kColumnTick, QtText(TickText(ticked)));
    if (PrinterEntry* entry = EntryAt(row))
        entry->ticked = ticked ? 1 : 0;
    UpdateCommandButtons();
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
