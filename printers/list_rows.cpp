#include "printers/list_rows.h"

#include <algorithm>

namespace {

void FollowState(PrinterListRows& rows, int row, PrinterEntry* entry) {
    if (entry != nullptr)
        entry->ticked = IsTickedState(rows.RowState(row)) ? 1 : 0;
}

} // namespace

void TickAllRows(PrinterListRows& rows) {
    for (int row = 0; row < rows.RowCount(); ++row) {
        PrinterEntry* entry = rows.RowEntry(row);
        if (entry == nullptr || entry->locked != 0)
            continue;
        if (!IsLockedState(rows.RowState(row)))
            rows.SetRowState(row, kTickTicked);
        rows.SetRowTickText(row, TickText(true));
        FollowState(rows, row, entry);
    }
}

void UntickAllRows(PrinterListRows& rows) {
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (!IsLockedState(rows.RowState(row)))
            rows.SetRowState(row, kTickUnticked);
        rows.SetRowTickText(row, TickText(false));
        FollowState(rows, row, rows.RowEntry(row));
    }
}

void FollowRowTick(PrinterListRows& rows, int row) {
    rows.SetRowTickText(row, TickText(IsTickedState(rows.RowState(row))));
    FollowState(rows, row, rows.RowEntry(row));
}

int FocusRowAfter(const PrinterListRows& rows, const std::u16string& address, int formerRow) {
    const int count = rows.RowCount();
    if (formerRow < 0 || count == 0)
        return -1;
    for (int row = 0; row < count; ++row) {
        if (rows.RowAddress(row) == address)
            return row;
    }
    return std::min(formerRow, count - 1);
}

std::vector<TableRow> TableRowsOf(const PrinterListRows& rows) {
    std::vector<TableRow> table;
    for (int row = 0; row < rows.RowCount(); ++row)
        table.push_back({rows.RowState(row), rows.RowEntry(row)});
    return table;
}

std::vector<const PrinterEntry*> RowEntriesOf(const PrinterListRows& rows) {
    std::vector<const PrinterEntry*> entries;
    for (int row = 0; row < rows.RowCount(); ++row)
        entries.push_back(rows.RowEntry(row));
    return entries;
}

SortClick ClickSortColumn(SortState& sort, int column) {
    SortClick click{-1, kSortMarkNone, 0};
    if (column != sort.column) {
        click.unmarkColumn = sort.column;
        sort.nextDirection = 1;
        sort.column = column;
    }
    // The tick column never shows a mark.
    if (column != kColumnTick)
        click.mark = sort.nextDirection == 1 ? kSortMarkUp : kSortMarkDown;
    click.direction = sort.nextDirection;
    sort.nextDirection = 1 - sort.nextDirection;
    return click;
}
