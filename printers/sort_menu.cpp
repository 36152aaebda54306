#include "printers/sort_menu.h"

#include "text/string_ids.h"
#include "text/string_table.h"

namespace {

struct MenuColumn {
    int column;
    uint16_t title;
};
const MenuColumn kMenuColumns[] = {
    {kColumnAddress, IDS_COLUMN_IP_ADDRESS},
    {kColumnName, IDS_COLUMN_PRINTER_NAME},
    {kColumnStatus, IDS_COLUMN_STATUS},
    {kColumnTick, IDS_COLUMN_SELECT},
};

// The tick column's title is indented in its narrow header; a menu entry is not.
std::u16string Unindented(const std::u16string& title) {
    const size_t start = title.find_first_not_of(u' ');
    return start == std::u16string::npos ? std::u16string() : title.substr(start);
}

} // namespace

std::vector<SortMenuEntry> SortMenuEntries(const SortState& sort) {
    std::vector<SortMenuEntry> entries;
    for (const MenuColumn& menuColumn : kMenuColumns) {
        SortMenuEntry entry{menuColumn.column,
                            ResString(IDS_SORT_BY) + Unindented(ResString(menuColumn.title)),
                            menuColumn.column == sort.column};
        // The last sort went the other way from the next one.
        if (entry.current)
            entry.text +=
                ResString(sort.nextDirection == 1 ? IDS_SORT_DESCENDING : IDS_SORT_ASCENDING);
        entries.push_back(std::move(entry));
    }
    return entries;
}
