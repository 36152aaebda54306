#include "printers/printer_table.h"

#include "discovery/discovery.h"
#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

DeliveryHistory g_history;

const char16_t kNoText[] = u"-";

bool SameUnits(const char16_t* a, const char16_t* b) {
    return WideText(a) == WideText(b);
}

QCollator MakeCollator() {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseSensitive);
    return collator;
}

// The operator's locale, case counting; kept between comparisons since a sort makes many.
const QCollator& UserCollator() {
    static QCollator collator = MakeCollator();
    if (collator.locale() != QLocale())
        collator = MakeCollator();
    return collator;
}

// Addresses are matched against the history the way the operator's locale compares texts.
bool SameAddressForLocale(const char16_t* a, const char16_t* b) {
    return UserCollator().compare(WideText(a), WideText(b)) == 0;
}

template <typename T> void FreeChain(T* chain) {
    while (chain != nullptr) {
        T* next = chain->next;
        HeapFree(chain);
        chain = next;
    }
}

template <typename T> T** TailOf(T** chain) {
    while (*chain != nullptr)
        chain = &(*chain)->next;
    return chain;
}

PrinterEntry* NewEntry(QStringView version, QStringView name, QStringView address) {
    auto* entry = HeapNew<PrinterEntry>();
    if (entry == nullptr)
        return nullptr;
    entry->versionText = HeapStrDup(version.isEmpty() ? QStringView(kNoText) : version);
    if (entry->versionText == nullptr) {
        HeapFree(entry);
        return nullptr;
    }
    CopyWideField(entry->name, kNameUnits, name.isEmpty() ? QStringView(kNoText) : name);
    CopyWideField(entry->ipAddress, kIpUnits, address);
    entry->locked = WideText(entry->name) == QStringView(kNoText) ? 1 : 0;
    return entry;
}

void FreeEntry(PrinterEntry* entry) {
    HeapFree(entry->versionText);
    HeapFree(entry);
}

// Gives `target` the content of `source` with its own copy of the version text, keeping
// target's link. Returns false, leaving target alone, when the copy cannot be made.
bool OverwriteEntry(PrinterEntry* target, const PrinterEntry& source) {
    char16_t* version = nullptr;
    if (source.versionText != nullptr) {
        version = HeapStrDup(source.versionText);
        if (version == nullptr)
            return false;
    }
    PrinterEntry* const next = target->next;
    HeapFree(target->versionText);
    *target = source;
    target->versionText = version;
    target->next = next;
    return true;
}

PrinterEntry* CopyEntry(const PrinterEntry& source) {
    auto* copy = HeapNew<PrinterEntry>();
    if (copy != nullptr && !OverwriteEntry(copy, source)) {
        HeapFree(copy);
        return nullptr;
    }
    return copy;
}

PrinterEntry* FindByAddressForLocale(PrinterEntry* chain, const char16_t* address) {
    for (; chain != nullptr; chain = chain->next) {
        if (SameAddressForLocale(chain->ipAddress, address))
            return chain;
    }
    return nullptr;
}

PrinterEntry* FindByAddressUnits(PrinterEntry* chain, const char16_t* address) {
    for (; chain != nullptr; chain = chain->next) {
        if (SameUnits(chain->ipAddress, address))
            return chain;
    }
    return nullptr;
}

// The decimal value of the token's leading digits; none count as 0. Saturates far above any
// address byte so that odd texts cannot overflow.
uint64_t TokenValue(QStringView token) {
    constexpr uint64_t kCeiling = 1'000'000'000'000ULL;
    uint64_t value = 0;
    for (const QChar c : token) {
        if (c < u'0' || c > u'9')
            break;
        value = std::min(kCeiling, value * 10 + static_cast<uint64_t>(c.unicode() - u'0'));
    }
    return value;
}

int CompareAddresses(const char16_t* a, const char16_t* b) {
    const auto tokensA = WideText(a).split(u'.');
    const auto tokensB = WideText(b).split(u'.');
    const qsizetype common = std::min(tokensA.size(), tokensB.size());
    for (qsizetype i = 0; i < common; ++i) {
        const uint64_t x = TokenValue(tokensA[i]);
        const uint64_t y = TokenValue(tokensB[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

int CompareNames(const char16_t* a, const char16_t* b) {
    const int order = UserCollator().compare(WideText(a), WideText(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CompareNumbers(int a, int b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

int TickStateOf(const PrinterEntry& entry) {
    if (entry.locked != 0)
        return kTickUntickedLocked;
    return entry.ticked != 0 ? kTickTicked : kTickUnticked;
}

QString TickText(bool ticked) {
    return ResString(ticked ? IDS_CHECKED : IDS_UNCHECKED);
}

QString StatusText(int32_t status) {
    return ResString(static_cast<uint16_t>(IDS_STATUS_BASE + status));
}

DeliveryHistory& TheDeliveryHistory() {
    return g_history;
}

void ClearDeliveryHistory() {
    FreePrinterEntries(g_history.head);
    g_history = {};
}

bool IsTextColumn(int column) {
    return column != kColumnTick && column != kColumnAddress && column != kColumnStatus;
}

int ComparePrinterRows(const PrinterEntry* a, const PrinterEntry* b, const SortParams& params) {
    if (params.textCompare)
        return params.direction != 0 ? CompareNames(a->name, b->name)
                                     : CompareNames(b->name, a->name);
    int order = 0;
    switch (params.column) {
    case kColumnTick:
        // Ticked rows first: the larger flag goes first.
        order = CompareNumbers(b->ticked != 0, a->ticked != 0);
        break;
    case kColumnAddress:
        order = CompareAddresses(a->ipAddress, b->ipAddress);
        break;
    case kColumnStatus:
        // The higher status code first.
        order = CompareNumbers(b->status, a->status);
        break;
    default:
        break;
    }
    return params.direction != 0 ? order : -order;
}

void FreePrinterEntries(PrinterEntry* chain) {
    while (chain != nullptr) {
        PrinterEntry* next = chain->next;
        FreeEntry(chain);
        chain = next;
    }
}

void FreeManualPrinters(ManualPrinter* chain) {
    FreeChain(chain);
}

void FreeModelList(ModelListEntry* chain) {
    FreeChain(chain);
}

void FreeDeliveryNodes(DeliveryNode* chain) {
    FreeChain(chain);
}

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
