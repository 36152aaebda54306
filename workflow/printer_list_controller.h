#pragma once

#include "printers/list_rows.h"
#include "printers/printer_table.h"
#include "printers/table_refresh.h"
#include "workflow/printer_list_view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The printer list's rules, the same in both windows: one row per entry of the main window's
// entry chain, ticks and locks, the focus frame, sorting by any column, the keys and typing an
// address. The window's list control is its view; the rows it keeps are the list's rows.
class PrinterListController final : public PrinterListRows {
  public:
    // A millisecond count from a monotonic clock (TickCount); tests pass their own.
    using Clock = std::function<uint32_t()>;

    explicit PrinterListController(PrinterListView& view, Clock clock = {});

    // `lists` are the main window's and must outlive the controller's use of them.
    void SetUpTable(PrinterTableLists* lists);
    // Called once the lists could not be built: the notice was shown, every list released and
    // the rows emptied; the main window must end.
    void SetOutOfMemoryStop(std::function<void()> stop);
    bool OutOfMemoryStopped() const;

    // Builds the model filter list from the settings' model list. Returns 1, or 0 after the
    // out-of-memory stop.
    int BuildModelList(const char* modelList);
    // Searches and builds the entry chain. Returns 1 when it was rebuilt, 0 when discovery
    // failed or after the out-of-memory stop.
    int RunDiscoveryDriver(int versionKind, std::u16string_view community);
    // Searches again, keeping the ticks and the delivery outcomes, then refills and re-sorts.
    void RefreshPrinters(int versionKind, std::u16string_view community);

    // Replaces every row by the rows of the entry chain.
    void FillPrinterList();
    void UpdateCommandButtons();
    // FillPrinterList, UpdateCommandButtons and the re-sort, the focus following its printer.
    void Refill();

    void SelectAll();
    void ClearAll();
    bool AnyRowTicked() const;

    // The ticked printers for a delivery, in entry-chain order. Returns 1, or 0 after the
    // out-of-memory notice with no nodes.
    int CollectTickedPrinters(DeliveryNode** nodes, int* count);
    // Writes a delivery's outcome into the entries and the history; 1 when every node was sent.
    int RecordDeliveryResults(const DeliveryNode* nodes);

    // Sorts by "IP Address" when the table first shows.
    void InitialSort();
    // A click on the header of `column` (or its sort menu entry): sorts by it, reversing on a
    // repeated click. A negative column does nothing.
    void OnColumnClick(int column);
    // Sorts by the current column in the direction of the last sort.
    void Resort();
    const SortState& Sort() const;
    // The sort menu, the keyboard's way to sort.
    void OnContextMenu();

    // A click on a cell; column -1 lies right of every column.
    void OnCellClick(int row, int column);
    // True when the key was the list's.
    bool OnKey(ListKey key);
    // A typed character: digits and dots typed less than a second apart move the focus frame to
    // the first row whose address starts with them; other characters do nothing.
    void OnCharacter(char16_t typed);

    PrinterEntry* EntryAt(int row) const;

    int RowCount() const override;
    int RowState(int row) const override;
    void SetRowState(int row, int state) override;
    PrinterEntry* RowEntry(int row) const override;
    std::u16string RowAddress(int row) const override;
    // Shows the row's state with `text`.
    void SetRowTickText(int row, const std::u16string& text) override;

  private:
    void OutOfMemoryStop();
    void SortRows(int column, int direction);
    // The focus frame follows its printer (by address) across refills and sorts; when the
    // printer is gone, the frame keeps its place, so the keyboard and a screen reader still
    // have a row.
    struct FocusedPrinter {
        std::u16string address;
        int row = -1;
    };
    FocusedPrinter Focus() const;
    void Refocus(const FocusedPrinter& focus);
    void RefillFocusing(const FocusedPrinter& focus);

    struct Row {
        PrinterEntry* entry;
        int state;
    };

    PrinterListView& m_view;
    Clock m_clock;
    PrinterTableLists* m_lists = nullptr;
    std::vector<Row> m_rows;
    SortState m_sort;
    std::function<void()> m_outOfMemoryStop;
    bool m_outOfMemory = false;
    std::u16string m_typed;
    uint32_t m_lastTyped = 0;
};
