#include "win32/list_ctrl.h"

#include "resources/windows/resource_ids.h"
#include "win32/window_text.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace {

constexpr int kStateImageSize = 13;
constexpr UINT_PTR kSubclassId = 1;

// State image n lives in bits 12 to 15 of a row's state.
constexpr UINT StateOfImage(int image) {
    return static_cast<UINT>(image) << 12;
}

} // namespace

CMyListCtrl::~CMyListCtrl() {
    if (m_hWnd != nullptr)
        RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
}

void CMyListCtrl::Attach(HWND list) {
    m_hWnd = list;
    SetWindowSubclass(list, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void CMyListCtrl::InitStateImages() {
    // Scaled with the display, so a tick box keeps its size beside the text at 150 %.
    const int size = MulDiv(kStateImageSize, static_cast<int>(GetDpiForWindow(m_hWnd)), 96);
    if (m_stateImages == nullptr)
        m_stateImages = ImageList_Create(size, size, ILC_COLOR4, 0, 3);
    while (ImageList_GetImageCount(m_stateImages) > 0)
        ImageList_Remove(m_stateImages, 0);
    for (int id : {IDB_UNTICKED, IDB_TICKED, IDB_TICKED_LOCKED, IDB_UNTICKED_LOCKED}) {
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, size, size, 0));
        ImageList_AddMasked(m_stateImages, bitmap, RGB(0, 0, 0));
        DeleteObject(bitmap);
    }
    ImageList_SetBkColor(m_stateImages, GetSysColor(COLOR_WINDOW));
    ListView_SetImageList(m_hWnd, m_stateImages, LVSIL_STATE);
}

void CMyListCtrl::OnListClick(POINT point) {
    // A press on one row released on another is a drag, not a click.
    const int row = RowAt(point);
    if (row < 0 || row != std::exchange(m_pressedRow, -1))
        return;
    RECT bounds{};
    ListView_GetItemRect(m_hWnd, row, &bounds, LVIR_BOUNDS);
    // The focus frame only: the window vetoes any change that selects a row, and a veto would
    // drop the focus with it.
    ListView_SetItemState(m_hWnd, row, LVIS_FOCUSED, LVIS_FOCUSED);
    OnCellClick(row, HitTestColumn(point.x, bounds.left));
}

int CMyListCtrl::RowAt(POINT point) const {
    const int top = ListView_GetTopIndex(m_hWnd);
    const int last = std::min(top + ListView_GetCountPerPage(m_hWnd), GetItemCount() - 1);
    for (int row = top; row <= last; ++row) {
        RECT bounds{};
        if (ListView_GetItemRect(m_hWnd, row, &bounds, LVIR_BOUNDS) && PtInRect(&bounds, point))
            return row;
    }
    return -1;
}

int CMyListCtrl::HitTestColumn(int x, int rowLeft) const {
    if (m_pHeader == nullptr)
        return -1;
    const int offset = x - rowLeft;
    const int columns = Header_GetItemCount(m_pHeader);
    int left = 0;
    for (int column = 0; column < columns; ++column) {
        const int right = left + ListView_GetColumnWidth(m_hWnd, column);
        if (offset >= left && offset < right)
            return column;
        left = right;
    }
    return -1;
}

int CMyListCtrl::GetCellRect(RECT* rect, int row, int column) const {
    if (m_pHeader == nullptr)
        return -1;
    int left = 0;
    int right = 0;
    for (int i = 0; i <= column; ++i) {
        left = right;
        right += ListView_GetColumnWidth(m_hWnd, i);
    }
    RECT label{};
    ListView_GetItemRect(m_hWnd, row, &label, LVIR_LABEL);
    *rect = {left, label.top, column < 0 ? left : right, label.bottom};
    return 1;
}

void CMyListCtrl::OnCellClick(int, int) {}

void CMyListCtrl::OnContextMenu(POINT) {}

bool CMyListCtrl::OnListKey(ListKey) {
    return false;
}

void CMyListCtrl::OnListCharacter(char16_t) {}

int CMyListCtrl::GetItemCount() const {
    return ListView_GetItemCount(m_hWnd);
}

void CMyListCtrl::InsertRow(int row, int state) {
    LVITEMW item{};
    item.mask = LVIF_STATE | LVIF_TEXT;
    item.iItem = row;
    item.state = StateOfImage(state);
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.pszText = const_cast<wchar_t*>(L"");
    ListView_InsertItem(m_hWnd, &item);
}

void CMyListCtrl::DeleteAllItems() {
    ListView_DeleteAllItems(m_hWnd);
}

int CMyListCtrl::GetStateImage(int row) const {
    return static_cast<int>(ListView_GetItemState(m_hWnd, row, LVIS_STATEIMAGEMASK) >> 12);
}

void CMyListCtrl::SetStateImage(int row, int state) {
    if (GetStateImage(row) == state)
        return;
    ListView_SetItemState(m_hWnd, row, StateOfImage(state), LVIS_STATEIMAGEMASK);
    // Screen readers ask again for the row's state (checked, unavailable).
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_hWnd, OBJID_CLIENT, row + 1);
}

void CMyListCtrl::SetItemText(int row, int column, const std::u16string& text) {
    ListView_SetItemText(m_hWnd, row, column, const_cast<wchar_t*>(WideChars(text)));
}

std::u16string CMyListCtrl::GetItemText(int row, int column) const {
    wchar_t buffer[512] = {};
    ListView_GetItemText(m_hWnd, row, column, buffer, static_cast<int>(std::size(buffer)));
    return CoreText(buffer);
}

int CMyListCtrl::FocusRow() const {
    return ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED);
}

void CMyListCtrl::SetFocusRow(int row) {
    if (row < 0 || row >= GetItemCount())
        return;
    const bool moved = row != FocusRow();
    ListView_SetItemState(m_hWnd, row, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(m_hWnd, row, FALSE);
    if (moved && GetFocus() == m_hWnd)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWnd, OBJID_CLIENT, row + 1);
}

bool CMyListCtrl::OnKeyDown(WPARAM key) {
    static constexpr struct {
        WPARAM virtualKey;
        ListKey key;
    } kListKeys[] = {
        {VK_UP, ListKey::Up},       {VK_DOWN, ListKey::Down},    {VK_HOME, ListKey::Home},
        {VK_END, ListKey::End},     {VK_PRIOR, ListKey::PageUp}, {VK_NEXT, ListKey::PageDown},
        {VK_SPACE, ListKey::Space},
    };
    for (const auto& listKey : kListKeys) {
        if (listKey.virtualKey == key)
            return OnListKey(listKey.key);
    }
    return false;
}

LRESULT CALLBACK CMyListCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    auto* list = reinterpret_cast<CMyListCtrl*>(self);
    switch (message) {
    case WM_KEYDOWN:
        if (list->OnKeyDown(wParam))
            return 0;
        break;
    case WM_CHAR:
        // Typed characters are the derived class's, not the control's incremental search.
        if (wParam < L' ')
            break;
        list->OnListCharacter(static_cast<char16_t>(wParam));
        return 0;
    case WM_GETDLGCODE:
        // The arrows and Space belong to the list, not to the dialog's navigation.
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    // The menu key and Shift+F10 open the context menu here rather than through the default
    // handling, which Wine does not give the menu key.
    case WM_KEYUP:
        if (wParam != VK_APPS)
            break;
        list->OnContextMenu({-1, -1});
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam != VK_F10 || GetKeyState(VK_SHIFT) >= 0)
            break;
        list->OnContextMenu({-1, -1});
        return 0;
    case WM_CONTEXTMENU:
        list->OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONDOWN:
        list->m_pressedRow =
            list->RowAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
