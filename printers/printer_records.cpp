#include "printers/entry_chain.h"
#include "printers/printer_table.h"

#include "platform/collation.h"
#include "platform/text_convert.h"
#include "text/heap.h"

namespace {

constexpr std::u16string_view kNoText = u"-";

bool SameUnits(const char16_t* a, const char16_t* b) {
    return WideText(a) == WideText(b);
}

template <typename T> void FreeChain(T* chain) {
    while (chain != nullptr) {
        T* next = chain->next;
        HeapFree(chain);
        chain = next;
    }
}

} // namespace

namespace printer_chain {

PrinterEntry* NewEntry(std::u16string_view version, std::u16string_view name,
                       std::u16string_view address) {
    auto* entry = HeapNew<PrinterEntry>();
    if (entry == nullptr)
        return nullptr;
    entry->versionText = HeapStrDup(version.empty() ? kNoText : version);
    if (entry->versionText == nullptr) {
        HeapFree(entry);
        return nullptr;
    }
    CopyWideField(entry->name, kNameUnits, name.empty() ? kNoText : name);
    CopyWideField(entry->ipAddress, kIpUnits, address);
    entry->locked = WideText(entry->name) == kNoText ? 1 : 0;
    return entry;
}

void FreeEntry(PrinterEntry* entry) {
    HeapFree(entry->versionText);
    HeapFree(entry);
}

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
        if (CompareForLocale(WideText(chain->ipAddress), WideText(address)) == 0)
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

} // namespace printer_chain

using namespace printer_chain;

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
