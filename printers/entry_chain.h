#pragma once

#include "printers/printer_records.h"

#include <string_view>

// Entry helpers shared by the parts of the printer table (records, chains, history).
namespace printer_chain {

template <typename T> T** TailOf(T** chain) {
    while (*chain != nullptr)
        chain = &(*chain)->next;
    return chain;
}

// A new entry; an empty version or name shows as "-", and a nameless entry is locked.
PrinterEntry* NewEntry(std::u16string_view version, std::u16string_view name,
                       std::u16string_view address);
void FreeEntry(PrinterEntry* entry);

// Gives `target` the content of `source` with its own copy of the version text, keeping
// target's link. Returns false, leaving target alone, when the copy cannot be made.
bool OverwriteEntry(PrinterEntry* target, const PrinterEntry& source);
PrinterEntry* CopyEntry(const PrinterEntry& source);

// Addresses are matched against the history the way the operator's locale compares texts, and
// elsewhere unit by unit.
PrinterEntry* FindByAddressForLocale(PrinterEntry* chain, const char16_t* address);
PrinterEntry* FindByAddressUnits(PrinterEntry* chain, const char16_t* address);

} // namespace printer_chain
