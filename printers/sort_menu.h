#pragma once

#include "printers/printer_table.h"

#include <string>
#include <vector>

// One entry of the printer list's context menu, the keyboard's way to sort: choosing it does
// what a click on the header of `column` does.
struct SortMenuEntry {
    int column;
    std::u16string text;
    bool current; // the column the rows are sorted by
};

// The entries, address first and the tick column last; the current column's text names the
// direction of its last sort, as its header mark shows it.
std::vector<SortMenuEntry> SortMenuEntries(const SortState& sort);
