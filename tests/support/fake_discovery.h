#pragma once

#include "printers/table_refresh.h"
#include "tests/support/printer_samples.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Stands in for the network search while it lives: records each call and answers with the
// scripted code and printers. The printers' texts belong to this object; a release only counts.
class FakeDiscovery {
  public:
    struct Call {
        int versionKind;
        bool hasAddresses;
        std::vector<std::string> addresses;
        int addressCount;
        const ModelListEntry* models;
        std::string community;
        int mode;
    };

    FakeDiscovery() : m_previous(SetDiscoveryFunctions({&Find, &Release})) { Current() = this; }
    ~FakeDiscovery() {
        SetDiscoveryFunctions(m_previous);
        Current() = nullptr;
    }
    FakeDiscovery(const FakeDiscovery&) = delete;
    FakeDiscovery& operator=(const FakeDiscovery&) = delete;

    // The printers the next searches find (replacing earlier ones) and the code they return.
    void Answer(int code, std::vector<std::pair<std::u16string, std::u16string>> printers = {}) {
        m_code = static_cast<ResultCode>(code);
        m_results = std::make_unique<SampleResults>();
        for (auto& [address, name] : printers)
            m_results->Add(address, name);
    }

    std::vector<Call> calls;
    int releases = 0;
    std::function<void()> duringSearch; // runs inside each search

  private:
    static FakeDiscovery*& Current() {
        static FakeDiscovery* current = nullptr;
        return current;
    }

    static ResultCode Find(int versionKind, const char* const* addresses, int addressCount,
                           const ModelListEntry* models, const char* community, int mode,
                           DiscoveredPrinter** list, int* count) {
        FakeDiscovery& self = *Current();
        Call call{versionKind, addresses != nullptr, {}, addressCount, models, community, mode};
        for (int i = 0; addresses != nullptr && i < addressCount; ++i)
            call.addresses.emplace_back(addresses[i]);
        self.calls.push_back(call);
        if (self.duringSearch)
            self.duringSearch();
        const bool any = self.m_results != nullptr && self.m_results->Count() > 0;
        *list = any ? const_cast<DiscoveredPrinter*>(self.m_results->Data()) : nullptr;
        *count = any ? self.m_results->Count() : 0;
        return self.m_code;
    }

    static ResultCode Release(int /*count*/, DiscoveredPrinter* /*list*/) {
        ++Current()->releases;
        return kResultSuccess;
    }

    DiscoveryFunctions m_previous;
    ResultCode m_code = kResultSuccess;
    std::unique_ptr<SampleResults> m_results;
};
