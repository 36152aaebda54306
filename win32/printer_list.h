#pragma once

#include "win32/check_list_accessible.h"
#include "win32/list_ctrl.h"
#include "workflow/printer_list_controller.h"

#include <string>

// The printer table's control: the rows, header and sort menu its controller asks for, and the
// clicks and keys it hands to the controller.
class CNetworkPrinterList : public CMyListCtrl, private PrinterListView, private AccessibleRows {
  public:
    CNetworkPrinterList();

    // The header, the state images and the four columns.
    void SetUpTable();
    // The "Select All", "Clear All" and "Download..." buttons, which the controller sets.
    void SetCommandButtons(HWND selectAll, HWND clearAll, HWND download);
    // The sort marks' two images (up, then down).
    void InitHeaderImages();

    PrinterListController& Controller() { return m_controller; }
    const PrinterListController& Controller() const { return m_controller; }

    void OnCellClick(int row, int column) override;
    // The sort menu: one entry per column, each doing what a click on its header does.
    void OnContextMenu(POINT screen) override;
    bool OnListKey(ListKey key) override;
    void OnListCharacter(char16_t typed) override;
    // What screen readers are told of the rows.
    const CheckListAccessible& Accessible() const { return m_accessible; }

  private:
    void ShowRows(std::span<const PrinterListRow> rows) override;
    void ReorderRows(std::span<const int> formerRows) override;
    void ShowTick(int row, int tickState, const std::u16string& tickText) override;
    void ShowSortMark(int column, int mark) override;
    int FocusRow() const override;
    void SetFocusRow(int row) override;
    void MoveFocusRow(int row) override;
    int PageRows() const override;
    void EnableCommands(const CommandButtonStates& states) override;
    void ShowSortMenu(const std::vector<SortMenuEntry>& entries) override;

    void ShowRow(int row, const PrinterListRow& shown);
    PrinterListRow ShownRow(int row) const;
    int AccessibleRowCount() const override;
    AccessibleRow AccessibleRowAt(int row) const override;

    PrinterListController m_controller;
    HIMAGELIST m_headerImages = nullptr;
    HWND m_selectAll = nullptr;
    HWND m_clearAll = nullptr;
    HWND m_download = nullptr;
    POINT m_menuAt{}; // where the sort menu opens, in screen coordinates
    CheckListAccessible m_accessible;
};
