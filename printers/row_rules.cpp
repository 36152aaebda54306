#include "printers/printer_table.h"

#include "text/string_ids.h"
#include "text/string_table.h"

int TickStateOf(const PrinterEntry& entry) {
    if (entry.locked != 0)
        return kTickUntickedLocked;
    return entry.ticked != 0 ? kTickTicked : kTickUnticked;
}

std::u16string TickText(bool ticked) {
    return ResString(ticked ? IDS_CHECKED : IDS_UNCHECKED);
}

std::u16string StatusText(int32_t status) {
    return ResString(static_cast<uint16_t>(IDS_STATUS_BASE + status));
}

CommandButtonStates ComputeCommandButtons(std::span<const TableRow> rows) {
    CommandButtonStates states{false, false, false};
    size_t tickedOrLocked = 0;
    for (const TableRow& row : rows) {
        const bool ticked = IsTickedState(row.state);
        if (ticked)
            states.clearAll = true;
        if (ticked || row.entry->locked != 0)
            ++tickedOrLocked;
        if (row.entry->locked == 0)
            states.download = true;
    }
    states.selectAll = !rows.empty() && tickedOrLocked < rows.size();
    return states;
}
