#pragma once

#include "printers/list_rows.h"
#include "printers/printer_table.h"
#include "printers/table_refresh.h"
#include "win32/check_list_accessible.h"
#include "win32/list_ctrl.h"

#include <string>
#include <string_view>

// The printer table: one row per entry of the main window's entry chain, with its tick box,
// address, name and delivery status, sortable by any column.
class CNetworkPrinterList : public CMyListCtrl, private PrinterListRows, private AccessibleRows {
  public:
    // The header, the state images and the four columns. `lists` are the main window's and
    // must outlive the list's use of them.
    void SetUpTable(PrinterTableLists* lists);
    // The "Select All", "Clear All" and "Download..." buttons that UpdateCommandButtons sets.
    void SetCommandButtons(HWND selectAll, HWND clearAll, HWND download);

    // Builds the model filter list; 1, or 0 after the out-of-memory stop.
    int BuildModelList(const char* modelList);
    // Searches and builds the entry chain: 1 when rebuilt, 0 when discovery failed or after the
    // out-of-memory stop.
    int RunDiscoveryDriver(int versionKind, std::u16string_view community);
    // Searches again, keeping ticks and outcomes, then refills and re-sorts.
    void RefreshPrinters(int versionKind, std::u16string_view community);

    void FillPrinterList();
    void UpdateCommandButtons();
    // FillPrinterList, UpdateCommandButtons and the re-sort, the focus following its printer.
    void Refill();

    void SelectAll();
    void ClearAll();

    int CollectTickedPrinters(DeliveryNode** nodes, int* count);
    int RecordDeliveryResults(const DeliveryNode* nodes);

    void InitHeaderImages();
    void InitialSort();
    void OnColumnClick(int column);
    void Resort();

    PrinterEntry* EntryAt(int row) const;
    // True once the lists could not be built: the notice was shown, every list released, and
    // the main window must end.
    bool OutOfMemoryStopped() const { return m_outOfMemory; }

    void OnCellClick(int row, int column) override;
    // What screen readers are told of the rows.
    const CheckListAccessible& Accessible() const { return m_accessible; }
    // The sort menu: one entry per column, each doing what a click on its header does.
    void OnContextMenu(POINT screen) override;

  private:
    int RowCount() const override;
    int RowState(int row) const override;
    void SetRowState(int row, int state) override;
    PrinterEntry* RowEntry(int row) const override;
    std::u16string RowAddress(int row) const override;
    void SetRowTickText(int row, const std::u16string& text) override;

    void OutOfMemoryStop();
    void SortRows(int column, int direction);
    struct Row {
        PrinterEntry* entry;
        int state;
        std::u16string tickText;
    };
    void ShowRow(int row, const Row& shown);
    void SetSortMark(int column, int mark);
    int AccessibleRowCount() const override;
    AccessibleRow AccessibleRowAt(int row) const override;
    struct FocusedPrinter {
        std::u16string address;
        int row = -1;
    };
    FocusedPrinter Focus() const;
    void Refocus(const FocusedPrinter& focus);

    PrinterTableLists* m_lists = nullptr;
    SortState m_sort;
    HIMAGELIST m_headerImages = nullptr;
    HWND m_selectAll = nullptr;
    HWND m_clearAll = nullptr;
    HWND m_download = nullptr;
    bool m_outOfMemory = false;
    CheckListAccessible m_accessible;
};
