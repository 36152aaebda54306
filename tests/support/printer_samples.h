#pragma once

#include "discovery/discovery.h"
#include "platform/text_convert.h"
#include "printers/printer_records.h"
#include "text/heap.h"

#include <deque>
#include <string>
#include <vector>

// Builders for printer-table records in tests. Entries come from the process heap, like the
// program's own, so the leak guard sees them.

// One printer-table entry as a test writes it: address, name and the entry's flags.
struct SampleEntry {
    const char16_t* ip;
    const char16_t* name;
    int32_t status = kStatusNotCompleted;
    int32_t locked = 0;
    int32_t ticked = 0;
};

inline std::u16string Text(const char16_t* text) {
    return std::u16string(WideText(text));
}

inline PrinterEntry* MakeEntry(const SampleEntry& sample) {
    auto* entry = HeapNew<PrinterEntry>();
    entry->versionText = HeapStrDup(u"-");
    CopyWideField(entry->name, kNameUnits, Text(sample.name));
    CopyWideField(entry->ipAddress, kIpUnits, Text(sample.ip));
    entry->status = sample.status;
    entry->locked = sample.locked;
    entry->ticked = sample.ticked;
    return entry;
}

inline PrinterEntry* MakeChain(const std::vector<SampleEntry>& samples) {
    PrinterEntry* head = nullptr;
    PrinterEntry** tail = &head;
    for (const SampleEntry& sample : samples) {
        *tail = MakeEntry(sample);
        tail = &(*tail)->next;
    }
    return head;
}

template <typename T> std::vector<T*> Members(T* chain) {
    std::vector<T*> members;
    for (; chain != nullptr; chain = chain->next)
        members.push_back(chain);
    return members;
}

// The addresses of a chain of entries or nodes, in chain order.
template <typename T> std::vector<std::u16string> Addresses(T* chain) {
    std::vector<std::u16string> addresses;
    for (; chain != nullptr; chain = chain->next)
        addresses.push_back(Text(chain->ipAddress));
    return addresses;
}

// Discovery results that point into texts this object keeps.
class SampleResults {
  public:
    void Add(std::u16string address, std::u16string name, std::u16string version = u"1.0") {
        m_texts.push_back({std::move(address), std::move(name), std::move(version)});
        Texts& t = m_texts.back();
        DiscoveredPrinter printer{};
        printer.wideAddress = t.address.data();
        printer.wideName = t.name.data();
        printer.wideVersion = t.version.data();
        m_printers.push_back(printer);
    }
    const DiscoveredPrinter* Data() const { return m_printers.data(); }
    int Count() const { return static_cast<int>(m_printers.size()); }

  private:
    struct Texts {
        std::u16string address, name, version;
    };
    std::deque<Texts> m_texts;
    std::vector<DiscoveredPrinter> m_printers;
};

// Hand-added addresses linked in the order given.
class SampleManualPrinters {
  public:
    explicit SampleManualPrinters(const std::vector<const char16_t*>& addresses)
        : m_printers(addresses.size()) {
        for (size_t i = 0; i < addresses.size(); ++i) {
            CopyWideField(m_printers[i].ipAddress, kIpUnits, Text(addresses[i]));
            m_printers[i].next = i + 1 < addresses.size() ? &m_printers[i + 1] : nullptr;
        }
    }
    const ManualPrinter* Head() const { return m_printers.empty() ? nullptr : &m_printers[0]; }

  private:
    std::vector<ManualPrinter> m_printers;
};
