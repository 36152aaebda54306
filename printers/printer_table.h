#pragma once

#include "printers/printer_records.h"

#include <cstdint>
#include <span>
#include <string>

struct DiscoveredPrinter;

// Columns of the printer list, left to right.
enum ListColumn : int {
    kColumnTick = 0,
    kColumnAddress = 1,
    kColumnName = 2,
    kColumnStatus = 3,
};

// Tick states of a list row, as state-image indices.
enum TickState : int {
    kTickUnticked = 1,
    kTickTicked = 2,
    kTickTickedLocked = 3,
    kTickUntickedLocked = 4,
};

// A row counts as ticked unless it is unticked, locked or not.
inline bool IsTickedState(int state) {
    return state != kTickUnticked && state != kTickUntickedLocked;
}

// The operator cannot change locked rows.
inline bool IsLockedState(int state) {
    return state == kTickTickedLocked || state == kTickUntickedLocked;
}

// The state a row gets when it is filled from its entry.
int TickStateOf(const PrinterEntry& entry);

// "Checked" or "Unchecked", the text of the tick column.
std::u16string TickText(bool ticked);

// The "Status" column's text for a RowStatus code.
std::u16string StatusText(int32_t status);

// Printers that took part in a delivery, kept across refreshes. One per process; emptied when
// the main window goes.
struct DeliveryHistory {
    PrinterEntry* head = nullptr;
    int count = 0;
};
DeliveryHistory& TheDeliveryHistory();
void ClearDeliveryHistory();

// Sort column and the direction the next click on it applies (1 ascending as the comparison
// defines it, 0 reversed).
struct SortState {
    int column = 0;
    int nextDirection = 1;
};

struct SortParams {
    int direction;
    bool textCompare;
    int column;
};

// Only the name column is compared as text.
bool IsTextColumn(int column);

// The row order of the printer list: negative when a goes before b.
int ComparePrinterRows(const PrinterEntry* a, const PrinterEntry* b, const SortParams& params);

void FreePrinterEntries(PrinterEntry* chain);
void FreeManualPrinters(ManualPrinter* chain);
void FreeModelList(ModelListEntry* chain);
void FreeDeliveryNodes(DeliveryNode* chain);

// Builds the model filter list from the comma-separated narrow `text`. Returns 1, or 0 after the
// out-of-memory notice, with *models then holding what was built so far.
int BuildModelList(const char* text, ModelListEntry** models);

// Appends one entry per discovery result and per hand-added address not already present to
// *chain. Returns 1, or 0 after the out-of-memory notice, with *chain then holding what was
// built so far (the caller releases every list).
int BuildPrinterEntries(const DiscoveredPrinter* results, int resultCount,
                        const ManualPrinter* manualPrinters, PrinterEntry** chain);

// Lays the delivery history over *chain: matching addresses take the history's content, the
// others are appended. Returns 1, or 0 after the out-of-memory notice.
int MergeDeliveryHistory(PrinterEntry** chain);

// Ticks again the entries whose printers were ticked before a refresh. Locked entries are left
// alone: their rows show unticked, so they must not be delivered to.
void RestoreTicks(PrinterEntry* chain, const DeliveryNode* nodes);

// Builds the delivery nodes of the ticked entries in chain order; only entries some row still
// shows count. Returns 1, or 0 after the out-of-memory notice with no nodes.
int CollectTickedPrinters(const PrinterEntry* chain, std::span<const PrinterEntry* const> rows,
                          DeliveryNode** nodes, int* count);

// Writes the delivery outcome into the entries and the delivery history. Returns 1 when every
// node was sent.
int RecordDeliveryResults(const DeliveryNode* nodes, PrinterEntry* chain);

// What the command buttons of the printer table may do, from the rows alone.
struct TableRow {
    int state;
    const PrinterEntry* entry;
};
struct CommandButtonStates {
    bool selectAll;
    bool clearAll;
    bool download;
};
CommandButtonStates ComputeCommandButtons(std::span<const TableRow> rows);
