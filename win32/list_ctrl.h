#pragma once

#include "printers/printer_table.h"
#include "workflow/printer_list_view.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

// A report-view list whose rows carry a tick box drawn from the list's own four state images
// (not the control's check-box style). A left click is turned into a (row, column) event for the
// derived class; a press on one row released on another is a drag, not a click. The control
// gives a list with its own state images no keyboard toggle, so the arrow, Home, End and page
// keys, Space and typed characters go to the derived class instead of the control's own
// handling (its rules move a focus frame: rows are never shown selected).
class CMyListCtrl {
  public:
    CMyListCtrl() = default;
    virtual ~CMyListCtrl();
    CMyListCtrl(const CMyListCtrl&) = delete;
    CMyListCtrl& operator=(const CMyListCtrl&) = delete;

    // Takes over the dialog's list control: its keys and mouse presses come here first.
    void Attach(HWND list);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Builds the four state images and makes them the list's state image list; calling it
    // again rebuilds them.
    void InitStateImages();

    // Handles a click at `point` (client coordinates): finds the row among those on the page
    // (the partly visible one below included) and reports the cell to OnCellClick.
    void OnListClick(POINT point);

    // The column under x for a row whose left edge is rowLeft, by the header's column widths in
    // index order; -1 right of the last column or without a header.
    int HitTestColumn(int x, int rowLeft) const;
    // The cell's rectangle: top and bottom in client coordinates, left and right measured from
    // the row's left edge. Returns 1, or -1 without a header.
    int GetCellRect(RECT* rect, int row, int column) const;

    // The derived class's cell hook; column -1 when the click lies right of every column.
    virtual void OnCellClick(int row, int column);
    // The derived class's context menu hook, for a right click or the keyboard (the menu key,
    // Shift+F10), at `screen`: {-1, -1} from the keyboard.
    virtual void OnContextMenu(POINT screen);
    // The derived class's key hooks: a list key (true when it took it) and a typed character.
    virtual bool OnListKey(ListKey key);
    virtual void OnListCharacter(char16_t typed);

    int GetItemCount() const;
    void InsertRow(int row, int state);
    void DeleteAllItems();
    int GetStateImage(int row) const;
    void SetStateImage(int row, int state);
    void SetItemText(int row, int column, const std::u16string& text);
    std::u16string GetItemText(int row, int column) const;
    // The row with the focus frame, or -1; moving it scrolls it into view.
    int FocusRow() const;
    void SetFocusRow(int row);

  protected:
    HWND m_hWnd = nullptr;
    // Set by the derived class to the list's header before any click arrives.
    HWND m_pHeader = nullptr;

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    // True when the derived class took the key.
    bool OnKeyDown(WPARAM key);
    int RowAt(POINT point) const;

    HIMAGELIST m_stateImages = nullptr;
    int m_pressedRow = -1;
};
