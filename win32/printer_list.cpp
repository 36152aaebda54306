#include "win32/printer_list.h"

#include "resources/windows/resource_ids.h"
#include "win32/window_text.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

constexpr int kSortImageSize = 16;
// The header's margins around a title and between it and its sort mark, at 96 dpi.
constexpr int kTitleMargins = 30;

} // namespace

CNetworkPrinterList::CNetworkPrinterList() : m_controller(*this) {}

void CNetworkPrinterList::SetUpTable() {
    m_pHeader = ListView_GetHeader(m_hWnd);
    InitStateImages();
    const UINT dpi = GetDpiForWindow(m_hWnd);
    for (int i = 0; i < static_cast<int>(std::size(kPrinterListColumns)); ++i) {
        const std::u16string title = LoadResourceString(kPrinterListColumns[i].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(WideChars(title));
        // Wider where the display's font needs it, so a title and its sort mark both show;
        // the select column stays as narrow as its tick box.
        column.cx = MulDiv(kPrinterListColumns[i].width, static_cast<int>(dpi), 96);
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

void CNetworkPrinterList::OnCellClick(int row, int column) {
    m_controller.OnCellClick(row, column);
}

void CNetworkPrinterList::OnContextMenu(POINT screen) {
    // From the keyboard the menu opens at the focus row, or at the top of the rows.
    if (screen.x == -1 && screen.y == -1) {
        RECT row{};
        screen = {0, 0};
        if (FocusRow() >= 0 && ListView_GetItemRect(m_hWnd, FocusRow(), &row, LVIR_BOUNDS))
            screen = {row.left, row.bottom};
        ClientToScreen(m_hWnd, &screen);
    }
    m_menuAt = screen;
    m_controller.OnContextMenu();
}

bool CNetworkPrinterList::OnListKey(ListKey key) {
    return m_controller.OnKey(key);
}

void CNetworkPrinterList::OnListCharacter(char16_t typed) {
    m_controller.OnCharacter(typed);
}

void CNetworkPrinterList::ShowRows(std::span<const PrinterListRow> rows) {
    DeleteAllItems();
    int row = 0;
    for (const PrinterListRow& shown : rows) {
        InsertRow(row, shown.tickState);
        ShowRow(row++, shown);
    }
    m_accessible.Annotate(m_hWnd, this);
}

void CNetworkPrinterList::ReorderRows(std::span<const int> formerRows) {
    std::vector<PrinterListRow> rows;
    for (int former : formerRows)
        rows.push_back(ShownRow(former));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        ShowRow(row, rows[static_cast<size_t>(row)]);
}

void CNetworkPrinterList::ShowRow(int row, const PrinterListRow& shown) {
    SetStateImage(row, shown.tickState);
    SetItemText(row, kColumnTick, shown.tickText);
    SetItemText(row, kColumnAddress, shown.address);
    SetItemText(row, kColumnName, shown.name);
    SetItemText(row, kColumnStatus, shown.status);
}

PrinterListRow CNetworkPrinterList::ShownRow(int row) const {
    return {GetStateImage(row), GetItemText(row, kColumnTick), GetItemText(row, kColumnAddress),
            GetItemText(row, kColumnName), GetItemText(row, kColumnStatus)};
}

void CNetworkPrinterList::ShowTick(int row, int tickState, const std::u16string& tickText) {
    SetStateImage(row, tickState);
    SetItemText(row, kColumnTick, tickText);
}

void CNetworkPrinterList::ShowSortMark(int column, int mark) {
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

int CNetworkPrinterList::FocusRow() const {
    return CMyListCtrl::FocusRow();
}

void CNetworkPrinterList::SetFocusRow(int row) {
    CMyListCtrl::SetFocusRow(row);
}

void CNetworkPrinterList::MoveFocusRow(int row) {
    CMyListCtrl::SetFocusRow(row);
}

int CNetworkPrinterList::PageRows() const {
    return ListView_GetCountPerPage(m_hWnd) - 1;
}

void CNetworkPrinterList::EnableCommands(const CommandButtonStates& states) {
    EnableWindow(m_selectAll, states.selectAll);
    EnableWindow(m_clearAll, states.clearAll);
    EnableWindow(m_download, states.download);
}

void CNetworkPrinterList::ShowSortMenu(const std::vector<SortMenuEntry>& entries) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return;
    // Each entry's command is its column + 1; 0 is "nothing chosen".
    for (const SortMenuEntry& entry : entries)
        AppendMenuW(menu, MF_STRING | (entry.current ? MF_CHECKED : MF_UNCHECKED),
                    static_cast<UINT_PTR>(entry.column + 1), WideChars(entry.text));
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, m_menuAt.x, m_menuAt.y,
                                      0, m_hWnd, nullptr);
    DestroyMenu(menu);
    if (chosen > 0)
        m_controller.OnColumnClick(chosen - 1);
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
