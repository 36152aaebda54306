#pragma once

#include "printers/printer_table.h"

#include <string>
#include <vector>

// What the printer list's rules need of a window's list control. Each window's list
// implements it over its own control, so both windows decide ticks, focus and sorting alike.
class PrinterListRows {
  public:
    virtual int RowCount() const = 0;
    virtual int RowState(int row) const = 0;
    virtual void SetRowState(int row, int state) = 0;
    virtual PrinterEntry* RowEntry(int row) const = 0;
    virtual std::u16string RowAddress(int row) const = 0;
    virtual void SetRowTickText(int row, const std::u16string& text) = 0;

  protected:
    ~PrinterListRows() = default;
};

// "Select All": ticks every row the operator may change; locked rows and entries keep theirs.
void TickAllRows(PrinterListRows& rows);
// "Clear All": unticks every row that is not locked.
void UntickAllRows(PrinterListRows& rows);
// After a click changed the state of `row`: its tick text and entry follow the state.
void FollowRowTick(PrinterListRows& rows, int row);

// The row the focus frame goes to after a refill or sort: the row of the printer it was on,
// else the same place (the last row when the list got shorter); -1 when there is none.
int FocusRowAfter(const PrinterListRows& rows, const std::u16string& address, int formerRow);

std::vector<TableRow> TableRowsOf(const PrinterListRows& rows);
std::vector<const PrinterEntry*> RowEntriesOf(const PrinterListRows& rows);

// The header's sort marks, as image indices.
enum SortMark : int {
    kSortMarkNone = -1,
    kSortMarkUp = 0,
    kSortMarkDown = 1,
};

// What a click on a column's header changes: the mark leaving the former column, the clicked
// column's mark and the direction to sort it in.
struct SortClick {
    int unmarkColumn; // -1 when the column stays the same
    int mark;         // kSortMarkNone for the tick column
    int direction;
};
SortClick ClickSortColumn(SortState& sort, int column);
