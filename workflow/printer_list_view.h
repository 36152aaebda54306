#pragma once

#include "printers/printer_table.h"
#include "printers/sort_menu.h"
#include "text/string_ids.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The list's columns in ListColumn order: the title's string and the width at 96 dots per inch.
struct PrinterListColumn {
    uint16_t title;
    int width;
};
inline constexpr PrinterListColumn kPrinterListColumns[] = {
    {IDS_COLUMN_SELECT, 18},
    {IDS_COLUMN_IP_ADDRESS, 100},
    {IDS_COLUMN_PRINTER_NAME, 220},
    {IDS_COLUMN_STATUS, 100},
};

// What one row of the printer list shows.
struct PrinterListRow {
    int tickState; // a TickState, the row's state image
    std::u16string tickText;
    std::u16string address;
    std::u16string name;
    std::u16string status;
};

// The keys the printer list gives its controller; the widget keeps every other key.
enum class ListKey {
    Up,
    Down,
    Home,
    End,
    PageUp,
    PageDown,
    Space,
};

// What the printer-list controller asks of a window's list control. The window draws; every
// decision (which rows, ticks, marks, focus, buttons) is the controller's.
class PrinterListView {
  public:
    // Replaces every row by `rows`, top to bottom.
    virtual void ShowRows(std::span<const PrinterListRow> rows) = 0;
    // The same rows in a new order: row i now shows what row formerRows[i] showed.
    virtual void ReorderRows(std::span<const int> formerRows) = 0;
    virtual void ShowTick(int row, int tickState, const std::u16string& tickText) = 0;
    // A header's sort mark, a SortMark.
    virtual void ShowSortMark(int column, int mark) = 0;
    // The row with the focus frame, or -1.
    virtual int FocusRow() const = 0;
    // Puts the focus frame on `row` after the rows changed, the view scrolled as it is.
    virtual void SetFocusRow(int row) = 0;
    // The operator moved the focus frame to `row`: it is brought into view.
    virtual void MoveFocusRow(int row) = 0;
    // How many rows a page key moves the focus frame.
    virtual int PageRows() const = 0;
    // "Select All", "Clear All" and "Download...".
    virtual void EnableCommands(const CommandButtonStates& states) = 0;
    // The sort menu; choosing an entry calls the controller's OnColumnClick with its column.
    virtual void ShowSortMenu(const std::vector<SortMenuEntry>& entries) = 0;

  protected:
    ~PrinterListView() = default;
};
