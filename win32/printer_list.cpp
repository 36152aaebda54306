#include "win32/printer_list.h"

#include "platform/text_convert.h"
#include "printers/sort_menu.h"
#include "resources/windows/resource_ids.h"
#include "text/inert_text.h"
#include "text/string_ids.h"
#include "win32/window_text.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace {

struct Column {
    uint16_t title;
    int width; // at 96 dots per inch
};
// In ListColumn order.
const Column kColumns[] = {
    {IDS_COLUMN_SELECT, 18},
    {IDS_COLUMN_IP_ADDRESS, 100},
    {IDS_COLUMN_PRINTER_NAME, 220},
    {IDS_COLUMN_STATUS, 100},
};

constexpr int kSortImageSize = 16;
// The header's margins around a title and between it and its sort mark, at 96 dpi.
constexpr int kTitleMargins = 30;

// A device chooses its own name: shown inert, it stays on one line of its row.
std::u16string ShownName(const char16_t* name) {
    return InertText(WideText(name));
}

} // namespace

void CNetworkPrinterList::SetUpTable(PrinterTableLists* lists) {
    m_lists = lists;
    m_pHeader = ListView_GetHeader(m_hWnd);
    InitStateImages();
    const UINT dpi = GetDpiForWindow(m_hWnd);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        const std::u16string title = LoadResourceString(kColumns[i].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(WideChars(title));
        // Wider where the display's font needs it, so a title and its sort mark both show;
        // the select column stays as narrow as its tick box.
        column.cx = MulDiv(kColumns[i].width, static_cast<int>(dpi), 96);
        if (i != kColumnTick)
            column.cx = std::max(
                column.cx, ListView_GetStringWidth(m_hWnd, column.pszText) +
                               MulDiv(kSortImageSize + kTitleMargins, static_cast<int>(dpi), 96));
        column.iSubItem = i;
        ListView_InsertColumn(m_hWnd, i, &column);
    }
}

void CNetworkPrinterList::SetCommandButtons(HWND selectAll, HWND clearAll, HWND download) {
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

int CNetworkPrinterList::RunDiscoveryDriver(int versionKind, std::u16string_view community) {
    const TableOutcome outcome = ::RunDiscoveryDriver(m_lists, versionKind, community);
    if (outcome == kTableOutOfMemory)
        OutOfMemoryStop();
    return outcome == kTableRebuilt ? 1 : 0;
}

void CNetworkPrinterList::RefreshPrinters(int versionKind, std::u16string_view community) {
    DeliveryNode* ticked = nullptr;
    int count = 0;
    if (CollectTickedPrinters(&ticked, &count) == 0)
        return;
    const FocusedPrinter focus = Focus();
    // The rows refer to the entries about to be released.
    DeleteAllItems();
    const TableOutcome outcome = RebuildPrinterEntries(m_lists, versionKind, community, ticked);
    FreeDeliveryNodes(ticked);
    if (outcome == kTableOutOfMemory) {
        OutOfMemoryStop();
        return;
    }
    FillPrinterList();
    UpdateCommandButtons();
    Resort();
    Refocus(focus);
}

void CNetworkPrinterList::FillPrinterList() {
    DeleteAllItems();
    int row = 0;
    for (PrinterEntry* entry = m_lists->entries; entry != nullptr; entry = entry->next, ++row) {
        const int state = TickStateOf(*entry);
        InsertRow(row, state);
        ShowRow(row, {entry, state, TickText(state == kTickTicked)});
    }
    m_accessible.Annotate(m_hWnd, this);
}

void CNetworkPrinterList::ShowRow(int row, const Row& shown) {
    SetStateImage(row, shown.state);
    SetItemText(row, kColumnTick, shown.tickText);
    SetItemText(row, kColumnAddress, std::u16string(WideText(shown.entry->ipAddress)));
    SetItemText(row, kColumnName, ShownName(shown.entry->name));
    SetItemText(row, kColumnStatus, StatusText(shown.entry->status));
    SetItemData(row, shown.entry);
}

void CNetworkPrinterList::UpdateCommandButtons() {
    const CommandButtonStates states = ComputeCommandButtons(TableRowsOf(*this));
    EnableWindow(m_selectAll, states.selectAll);
    EnableWindow(m_clearAll, states.clearAll);
    EnableWindow(m_download, states.download);
}

int CNetworkPrinterList::AccessibleRowCount() const {
    return GetItemCount();
}

AccessibleRow CNetworkPrinterList::AccessibleRowAt(int row) const {
    std::u16string name = GetItemText(row, kColumnAddress);
    for (int column : {kColumnName, kColumnStatus})
        name += u", " + GetItemText(row, column);
    return {name, GetStateImage(row), row == FocusRow() && GetFocus() == m_hWnd};
}

void CNetworkPrinterList::Refill() {
    const FocusedPrinter focus = Focus();
    FillPrinterList();
    UpdateCommandButtons();
    Resort();
    Refocus(focus);
}

CNetworkPrinterList::FocusedPrinter CNetworkPrinterList::Focus() const {
    const int row = FocusRow();
    return {row < 0 ? std::u16string() : GetItemText(row, kColumnAddress), row};
}

void CNetworkPrinterList::Refocus(const FocusedPrinter& focus) {
    const int row = FocusRowAfter(*this, focus.address, focus.row);
    if (row >= 0)
        SetFocusRow(row);
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
    if (m_headerImages == nullptr)
        m_headerImages =
            ImageList_Create(kSortImageSize, kSortImageSize, ILC_COLOR24 | ILC_MASK, 2, 2);
    for (int id : {IDB_SORT_UP, IDB_SORT_DOWN}) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
        ImageList_AddMasked(m_headerImages, bitmap, RGB(255, 0, 255));
        DeleteObject(bitmap);
    }
    Header_SetImageList(m_pHeader, m_headerImages);
}

void CNetworkPrinterList::SetSortMark(int column, int mark) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(m_pHeader, column, &item);
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    if (mark != kSortMarkNone) {
        item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
        item.iImage = mark;
    }
    Header_SetItem(m_pHeader, column, &item);
}

void CNetworkPrinterList::InitialSort() {
    OnColumnClick(kColumnAddress);
}

void CNetworkPrinterList::OnColumnClick(int column) {
    if (column < 0)
        return;
    const SortClick click = ClickSortColumn(m_sort, column);
    if (click.unmarkColumn >= 0)
        SetSortMark(click.unmarkColumn, kSortMarkNone);
    SetSortMark(column, click.mark);
    SortRows(column, click.direction);
}

void CNetworkPrinterList::Resort() {
    SortRows(m_sort.column, 1 - m_sort.nextDirection);
}

PrinterEntry* CNetworkPrinterList::EntryAt(int row) const {
    return static_cast<PrinterEntry*>(GetItemData(row));
}

void CNetworkPrinterList::OnCellClick(int row, int column) {
    if (column != kColumnTick)
        return;
    SetCheck(row, !IsTickedState(GetStateImage(row)));
    FollowRowTick(*this, row);
    UpdateCommandButtons();
}

void CNetworkPrinterList::OnContextMenu(POINT screen) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    // Each entry's command is its column + 1; 0 is "nothing chosen".
    for (const SortMenuEntry& entry : SortMenuEntries(m_sort))
        AppendMenuW(menu, MF_STRING | (entry.current ? MF_CHECKED : MF_UNCHECKED),
                    static_cast<UINT_PTR>(entry.column + 1), WideChars(entry.text));
    // From the keyboard the menu opens at the focus row, or at the top of the rows.
    if (screen.x == -1 && screen.y == -1) {
        RECT row{};
        screen = {0, 0};
        if (FocusRow() >= 0 && ListView_GetItemRect(m_hWnd, FocusRow(), &row, LVIR_BOUNDS))
            screen = {row.left, row.bottom};
        ClientToScreen(m_hWnd, &screen);
    }
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                                      m_hWnd, nullptr);
    DestroyMenu(menu);
    if (chosen > 0)
        OnColumnClick(chosen - 1);
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
    return GetItemText(row, kColumnAddress);
}

void CNetworkPrinterList::SetRowTickText(int row, const std::u16string& text) {
    SetItemText(row, kColumnTick, text);
}

void CNetworkPrinterList::OutOfMemoryStop() {
    DeleteAllItems();
    ReleaseTableLists(m_lists);
    m_outOfMemory = true;
}

void CNetworkPrinterList::SortRows(int column, int direction) {
    const SortParams params{direction, IsTextColumn(column), column};
    std::vector<Row> rows;
    for (int row = 0; row < GetItemCount(); ++row)
        rows.push_back({EntryAt(row), GetStateImage(row), GetItemText(row, kColumnTick)});
    std::stable_sort(rows.begin(), rows.end(), [&params](const Row& a, const Row& b) {
        return ComparePrinterRows(a.entry, b.entry, params) < 0;
    });
    // The rows are rewritten in order; the focus frame stays with its printer.
    const FocusedPrinter focus = Focus();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        ShowRow(row, rows[static_cast<size_t>(row)]);
    Refocus(focus);
}
