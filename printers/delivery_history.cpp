#include "printers/entry_chain.h"
#include "printers/printer_table.h"

#include "text/heap.h"
#include "text/notices.h"

using namespace printer_chain;

namespace {

DeliveryHistory g_history;

} // namespace

DeliveryHistory& TheDeliveryHistory() {
    return g_history;
}

void ClearDeliveryHistory() {
    FreePrinterEntries(g_history.head);
    g_history = {};
}

int MergeDeliveryHistory(PrinterEntry** chain) {
    for (const PrinterEntry* past = g_history.head; past != nullptr; past = past->next) {
        PrinterEntry* match = FindByAddressForLocale(*chain, past->ipAddress);
        if (match != nullptr) {
            if (!OverwriteEntry(match, *past)) {
                ShowOutOfMemory();
                return 0;
            }
            continue;
        }
        PrinterEntry* copy = CopyEntry(*past);
        if (copy == nullptr) {
            ShowOutOfMemory();
            return 0;
        }
        *TailOf(chain) = copy;
    }
    return 1;
}

int RecordDeliveryResults(const DeliveryNode* nodes, PrinterEntry* chain) {
    int result = 1;
    for (const DeliveryNode* node = nodes; node != nullptr; node = node->next) {
        PrinterEntry* entry = FindByAddressUnits(chain, node->ipAddress);
        if (entry == nullptr)
            continue;
        if (node->sent != 0) {
            entry->status = kStatusSent;
            entry->ticked = 0;
            entry->locked = 1;
        } else {
            entry->status = kStatusFailed;
            entry->ticked = 1;
            entry->locked = 0;
            result = 0;
        }
    }
    for (const PrinterEntry* entry = chain; entry != nullptr; entry = entry->next) {
        if (entry->status == kStatusNotCompleted)
            continue;
        PrinterEntry* copy = CopyEntry(*entry);
        if (copy == nullptr) {
            ShowOutOfMemory();
            break;
        }
        copy->locked = entry->status != kStatusFailed ? 1 : 0;
        PrinterEntry* match = FindByAddressForLocale(g_history.head, copy->ipAddress);
        if (match == nullptr) {
            *TailOf(&g_history.head) = copy;
            ++g_history.count;
            continue;
        }
        // The copy's content, version text included, moves into the history's entry.
        PrinterEntry* const next = match->next;
        HeapFree(match->versionText);
        *match = *copy;
        match->next = next;
        HeapFree(copy);
    }
    return result;
}
