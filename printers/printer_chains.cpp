#include "printers/entry_chain.h"
#include "printers/printer_table.h"

#include "discovery/discovery.h"
#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"

#include <algorithm>
#include <cstring>
#include <string_view>

using namespace printer_chain;

int BuildModelList(const char* text, ModelListEntry** models) {
    ModelListEntry** tail = TailOf(models);
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const size_t first = piece.find_first_not_of(' ');
        // A blank piece would make an empty model name, which every description contains.
        if (first == std::string_view::npos)
            continue;
        piece = piece.substr(first, piece.find_last_not_of(' ') - first + 1);
        auto* entry = HeapNew<ModelListEntry>();
        if (entry == nullptr) {
            ShowOutOfMemory();
            return 0;
        }
        std::memcpy(entry->name, piece.data(),
                    std::min(piece.size(), static_cast<size_t>(kModelNameBytes - 1)));
        *tail = entry;
        tail = &entry->next;
    }
    return 1;
}

int BuildPrinterEntries(const DiscoveredPrinter* results, int resultCount,
                        const ManualPrinter* manualPrinters, PrinterEntry** chain) {
    PrinterEntry** tail = TailOf(chain);
    for (int i = 0; i < resultCount; ++i) {
        const DiscoveredPrinter& result = results[i];
        PrinterEntry* entry = NewEntry(WideText(result.wideVersion), WideText(result.wideName),
                                       WideText(result.wideAddress));
        if (entry == nullptr) {
            ShowOutOfMemory();
            return 0;
        }
        *tail = entry;
        tail = &entry->next;
    }
    for (const ManualPrinter* manual = manualPrinters; manual != nullptr; manual = manual->next) {
        PrinterEntry* entry = NewEntry({}, {}, WideText(manual->ipAddress));
        if (entry == nullptr) {
            ShowOutOfMemory();
            return 0;
        }
        // A hand-added printer that also answered is shown once, as discovered.
        if (FindByAddressUnits(*chain, entry->ipAddress) != nullptr) {
            FreeEntry(entry);
            continue;
        }
        *tail = entry;
        tail = &entry->next;
    }
    return 1;
}

void RestoreTicks(PrinterEntry* chain, const DeliveryNode* nodes) {
    for (; nodes != nullptr; nodes = nodes->next) {
        PrinterEntry* entry = FindByAddressUnits(chain, nodes->ipAddress);
        if (entry != nullptr && entry->locked == 0)
            entry->ticked = 1;
    }
}

int CollectTickedPrinters(const PrinterEntry* chain, std::span<const PrinterEntry* const> rows,
                          DeliveryNode** nodes, int* count) {
    *nodes = nullptr;
    *count = 0;
    DeliveryNode** tail = nodes;
    for (const PrinterEntry* entry = chain; entry != nullptr; entry = entry->next) {
        if (entry->ticked == 0 || std::find(rows.begin(), rows.end(), entry) == rows.end())
            continue;
        auto* node = HeapNew<DeliveryNode>();
        if (node == nullptr) {
            ShowOutOfMemory();
            FreeDeliveryNodes(*nodes);
            *nodes = nullptr;
            *count = 0;
            return 0;
        }
        CopyWideField(node->ipAddress, kNodeIpUnits, WideText(entry->ipAddress));
        CopyWideField(node->name, kNameUnits, WideText(entry->name));
        *tail = node;
        tail = &node->next;
        ++*count;
    }
    return 1;
}
