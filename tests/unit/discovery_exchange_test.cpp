#include "discovery/discovery.h"
#include "discovery/snmp_codec.h"
#include "discovery/snmp_exchange.h"
#include "platform/text_convert.h"
#include "platform/tick.h"
#include "tests/support/heap_guard.h"
#include "tests/support/loopback_sockets.h"
#include "tests/unit/loopback_agents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

using snmp_test::Reply;

uint32_t g_tickReads = 0;

uint32_t CountingTick() {
    return ++g_tickReads;
}

struct Entry {
    std::string name, address, version;
    std::u16string wideName, wideAddress, wideVersion;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(const DiscoveredPrinter* list, int count) {
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const DiscoveredPrinter& p = list[i];
        entries.push_back({p.narrowName, p.narrowAddress, p.narrowVersion, p.wideName,
                           p.wideAddress, p.wideVersion});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.address < b.address; });
    return entries;
}

Entry Printer(const std::string& name, const std::string& address, const std::string& version) {
    return {
        name, address, version, NarrowToWide(name), NarrowToWide(address), NarrowToWide(version)};
}

// Full discovery runs against agents on loopback addresses; only the destination port differs
// from a real run (the SNMP port needs privileges and a private network).
class DiscoveryRun : public ::testing::Test {
  protected:
    DiscoveryRun() {
        for (const char* name : {"Korvil 2950MFP-D", "Korvil 2950MFP-N"}) {
            m_models.push_back(ModelListEntry{});
            std::strcpy(m_models.back().name, name);
        }
        m_models[0].next = &m_models[1];
    }

    void Serve(std::vector<LoopbackAgents::Agent> agents) {
        m_agents = std::make_unique<LoopbackAgents>(std::move(agents));
        ASSERT_TRUE(m_agents->Ready());
        m_previousPort = SetSnmpDestinationPort(m_agents->Port());
    }

    ~DiscoveryRun() override {
        if (m_agents)
            SetSnmpDestinationPort(m_previousPort);
    }

    int Find(std::vector<const char*> addresses, int versionKind = 9,
             const char* community = nullptr, const ModelListEntry* models = nullptr) {
        return FindNetworkPrinters(versionKind, addresses.data(),
                                   static_cast<int>(addresses.size()),
                                   models != nullptr ? models : m_models.data(), community,
                                   kDiscoverAddresses, &m_list, &m_count);
    }

    void Release() {
        if (m_list != nullptr) {
            EXPECT_EQ(FreeNetworkPrinterList(m_count, m_list), 0);
        }
        m_list = nullptr;
        m_count = 0;
    }

    std::vector<ModelListEntry> m_models;
    std::unique_ptr<LoopbackAgents> m_agents;
    uint16_t m_previousPort = kSnmpPort;
    DiscoveredPrinter* m_list = nullptr;
    int m_count = 0;
};

TEST_F(DiscoveryRun, ListsAcceptedPrintersWithNameAddressAndVersion) {
    if (UnderWine())
        GTEST_SKIP() << kWineLoopbackBind;
    HeapLeakGuard guard;
    Serve({{"127.0.0.2", Reply("Korvil 2950MFP-N;NIC 1.10,ESS 2.20,IOT 3.30")},
           {"127.0.0.3", Reply("Korvil 2950MFP-D (ESS 2.21)")},
           {"127.0.0.4", Reply("Other Printer 9 (ESS 1)")},
           // Not UTF-8, so Windows-1252; then valid UTF-8, kept as it is.
           {"127.0.0.5", Reply("Korvil 2950MFP-N B\xFCro \x80 (ESS 2.22)")},
           {"127.0.0.6", Reply("Korvil 2950MFP-D B\xC3\xBCro (ESS 2.23)")}});
    ASSERT_EQ(Find({"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5", "127.0.0.6"}, 0, "pub"), 0);
    EXPECT_EQ(Entries(m_list, m_count),
              (std::vector<Entry>{Printer("Korvil 2950MFP-N", "127.0.0.2", "2.20"),
                                  Printer("Korvil 2950MFP-D", "127.0.0.3", "2.21"),
                                  Printer("Korvil 2950MFP-N Büro €", "127.0.0.5", "2.22"),
                                  Printer("Korvil 2950MFP-D Büro", "127.0.0.6", "2.23")}));
    uint8_t expected[kSnmpRequestBufferBytes];
    const size_t length = SnmpBuildRequest("pub", expected);
    for (const snmp_test::Bytes& request : m_agents->Requests())
        EXPECT_EQ(request, snmp_test::Bytes(expected, expected + length));
    EXPECT_EQ(m_agents->Requests().size(), 5u);
    Release();
}

TEST_F(DiscoveryRun, RepeatedAddressIsAskedTwiceAndListedOnce) {
    if (UnderWine())
        GTEST_SKIP() << kWineLoopbackBind;
    HeapLeakGuard guard;
    Serve({{"127.0.0.2", Reply("Korvil 2950MFP-N")}});
    ASSERT_EQ(Find({"127.0.0.2", "127.0.0.2"}), 0);
    EXPECT_EQ(Entries(m_list, m_count),
              (std::vector<Entry>{Printer("Korvil 2950MFP-N", "127.0.0.2", "")}));
    EXPECT_EQ(m_agents->Requests().size(), 2u);
    Release();
}

TEST_F(DiscoveryRun, WithoutModelsNothingIsListed) {
    HeapLeakGuard guard;
    Serve({{"127.0.0.2", Reply("Korvil 2950MFP-N")}});
    ModelListEntry none{};
    auto* untouched = reinterpret_cast<DiscoveredPrinter*>(&none);
    m_list = untouched;
    EXPECT_EQ(Find({"127.0.0.2"}, 9, nullptr, &none), 0);
    EXPECT_EQ(m_count, 0);
    EXPECT_EQ(m_list, untouched);
    m_list = nullptr;
}

TEST_F(DiscoveryRun, NothingToAskOpensNoWindow) {
    const TickSource previous = SetTickSource(CountingTick);
    g_tickReads = 0;
    const char* address = "127.0.0.2";
    EXPECT_EQ(FindNetworkPrinters(9, &address, 1, m_models.data(), nullptr, 0, &m_list, &m_count),
              0);
    EXPECT_EQ(FindNetworkPrinters(9, &address, 0, m_models.data(), nullptr, kDiscoverAddresses,
                                  &m_list, &m_count),
              0);
    SetTickSource(previous);
    EXPECT_EQ(m_count, 0);
    EXPECT_EQ(m_list, nullptr);
    EXPECT_EQ(g_tickReads, 0u);
}

TEST_F(DiscoveryRun, OutOfMemoryAtEachAllocationIsReportedWithoutLeaks) {
    if (UnderWine())
        GTEST_SKIP() << kWineLoopbackBind;
    Serve({{"127.0.0.2", Reply("Korvil 2950MFP-N;ESS 2.20")},
           {"127.0.0.3", Reply("Korvil 2950MFP-D;ESS 2.21")}});
    const std::vector<const char*> addresses{"127.0.0.2", "127.0.0.3"};
    long allocations = 0;
    {
        HeapLeakGuard guard;
        ASSERT_EQ(Find(addresses, 0), 0);
        allocations = AllocationHook::Count();
        ASSERT_EQ(m_count, 2);
        Release();
    }
    // Two descriptions, three filter copies, the array, two entries of five texts (the copy of
    // the description among them), six narrow texts.
    EXPECT_EQ(allocations, 2 + 3 + 1 + 10 + 6);
    const long narrowStart = allocations - 6;
    for (long n = 1; n <= allocations; ++n) {
        SCOPED_TRACE(n);
        HeapLeakGuard guard;
        AllocationHook::FailNth(n);
        EXPECT_EQ(Find(addresses, 0), 5);
        // A list comes back only when filling the wide texts failed.
        const bool partList = n > 6 && n <= narrowStart;
        EXPECT_EQ(m_list != nullptr, partList);
        EXPECT_EQ(m_count, partList ? 2 : 0);
        Release();
    }
}

TEST(DiscoveredList, ReleasingNothingIsABadArgument) {
    DiscoveredPrinter entry{};
    EXPECT_EQ(FreeNetworkPrinterList(0, &entry), 3);
    EXPECT_EQ(FreeNetworkPrinterList(1, nullptr), 3);
}

} // namespace
