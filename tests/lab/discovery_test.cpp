// Discovery on the real SNMP port against simulated printers (tests/lab/discovery.printers,
// and in the topologies of tests/lab/CMakeLists.txt a second link, tests/lab/second_link.printers).
#include "discovery/discovery.h"
#include "platform/text_convert.h"
#include "tests/lab/lab_environment.h"
#include "tests/lab/transport_lab.h"
#include "tests/support/heap_guard.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Found {
    std::string address;
    std::string name;
    std::string version;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& found) {
    return out << found.address << " \"" << found.name << "\" " << found.version;
}

uint32_t Numeric(const Found& found) {
    return ntohl(inet_addr(found.address.c_str()));
}

struct Outcome {
    int result = -1;
    std::vector<Found> printers; // in address order
    Clock::duration took{};
};

// One discovery with the built-in models and community, version kind 0 (the controller).
Outcome Discover(int mode, std::vector<const char*> addresses = {}) {
    ModelListEntry models[2] = {};
    std::strcpy(models[0].name, "Korvil 2950MFP-D");
    std::strcpy(models[1].name, "Korvil 2950MFP-N");
    models[0].next = &models[1];
    DiscoveredPrinter* list = nullptr;
    int count = 0;
    Outcome run;
    const auto start = Clock::now();
    run.result = FindNetworkPrinters(0, addresses.data(), static_cast<int>(addresses.size()),
                                     models, nullptr, mode, &list, &count);
    run.took = Clock::now() - start;
    for (int i = 0; i < count; ++i) {
        const DiscoveredPrinter& p = list[i];
        EXPECT_EQ(WideToNarrow(p.wideName), p.narrowName);
        EXPECT_EQ(WideToNarrow(p.wideAddress), p.narrowAddress);
        EXPECT_EQ(WideToNarrow(p.wideVersion), p.narrowVersion);
        run.printers.push_back({p.narrowAddress, p.narrowName, p.narrowVersion});
    }
    if (list != nullptr)
        FreeNetworkPrinterList(count, list);
    std::sort(run.printers.begin(), run.printers.end(),
              [](const Found& a, const Found& b) { return Numeric(a) < Numeric(b); });
    return run;
}

const Found kN1{"10.77.4.1", "Korvil 2950MFP-N", "2.20"};
const Found kD2{"10.77.4.2", "Korvil 2950MFP-D", "2.21"};
const Found kDeaf{"10.77.4.5", "Korvil 2950MFP-N", "5.05"};
const Found kLongForm{"10.77.4.15", "Korvil 2950MFP-N", "0.15"};
const Found kTwice{"10.77.4.18", "Korvil 2950MFP-N", "0.18"};
const Found kOtherAddress{"10.77.4.20", "Korvil 2950MFP-N", "0.19"};
const Found kDelayed{"10.77.4.22", "Korvil 2950MFP-D", "0.22"};

TEST(LabDiscovery, BroadcastListsEveryAcceptedPrinterOnce) {
    HeapLeakGuard guard;
    const Outcome run = Discover(kDiscoverBroadcast);
    ASSERT_EQ(run.result, 0);
    // Absent: another model, a silent and a deaf printer, every damaged reply, the reply after
    // the window. The twice-answering printer keeps its first reply; the one answering from
    // its other address is listed under that address.
    EXPECT_EQ(run.printers,
              (std::vector<Found>{kN1, kD2, kLongForm, kTwice, kOtherAddress, kDelayed}));
    EXPECT_GE(run.took, 990ms) << "a broadcast uses the whole window";
}

TEST(LabDiscovery, HandTypedAddressesAddPrintersBehindARouter) {
    HeapLeakGuard guard;
    // 10.77.4.1 answers the broadcast and its own request, and is listed once.
    const Outcome run =
        Discover(kDiscoverBroadcast | kDiscoverAddresses, {"10.77.4.5", "10.77.4.1"});
    ASSERT_EQ(run.result, 0);
    EXPECT_EQ(run.printers,
              (std::vector<Found>{kN1, kD2, kDeaf, kLongForm, kTwice, kOtherAddress, kDelayed}));
}

TEST(LabDiscovery, AddressesAloneEndOnceEveryPrinterAnswered) {
    HeapLeakGuard guard;
    const Outcome run = Discover(kDiscoverAddresses, {"10.77.4.1", "10.77.4.2"});
    ASSERT_EQ(run.result, 0);
    EXPECT_EQ(run.printers, (std::vector<Found>{kN1, kD2}));
    EXPECT_LT(run.took, 900ms) << "both answered at once, so the window should end early";
}

struct AskedCase {
    const char* why;
    const char* address;
    std::vector<Found> printers;
    bool wholeWindow; // the socket was never done, so the window ran to its end
};

TEST(LabDiscovery, EachReplyFaultAskedByAddress) {
    const AskedCase cases[] = {
        {"another model is dropped", "10.77.4.3", {}, false},
        {"silent printer", "10.77.4.4", {}, true},
        {"error status 2 is ignored", "10.77.4.10", {}, false},
        {"GetRequest PDU is ignored", "10.77.4.11", {}, false},
        {"trap PDU is ignored", "10.77.4.12", {}, false},
        {"zero-byte datagram keeps the window open", "10.77.4.13", {}, true},
        {"datagram over 1280 bytes is discarded", "10.77.4.14", {}, false},
        {"81 xx value length is decoded", "10.77.4.15", {kLongForm}, false},
        {"truncated reply is ignored", "10.77.4.16", {}, false},
        {"reply after the window is not listed", "10.77.4.17", {}, true},
        {"second reply loses to the first", "10.77.4.18", {kTwice}, false},
        {"reply from another address counts under it", "10.77.4.19", {kOtherAddress}, false},
        {"82 xx xx value length is ignored", "10.77.4.21", {}, false},
        {"reply within the window", "10.77.4.22", {kDelayed}, false},
    };
    for (const AskedCase& c : cases) {
        SCOPED_TRACE(c.why);
        HeapLeakGuard guard;
        const Outcome run = Discover(kDiscoverAddresses, {c.address});
        ASSERT_EQ(run.result, 0);
        EXPECT_EQ(run.printers, c.printers);
        if (c.wholeWindow)
            EXPECT_GE(run.took, 990ms);
        else
            EXPECT_LT(run.took, 900ms);
    }
}

TEST(LabDiscovery, ZeroByteDatagramHoldsTheWindowForAnAnsweredPrinter) {
    HeapLeakGuard guard;
    const Outcome run = Discover(kDiscoverAddresses, {"10.77.4.1", "10.77.4.13"});
    ASSERT_EQ(run.result, 0);
    EXPECT_EQ(run.printers, (std::vector<Found>{kN1}));
    EXPECT_GE(run.took, 990ms);
}

const Found kLinkLocalN{"169.254.7.1", "Korvil 2950MFP-N", "7.01"};
const Found kLinkLocalD{"169.254.7.2", "Korvil 2950MFP-D", "7.02"};

struct TopologyCase {
    const char* topology;
    size_t links;
    std::vector<Found> printers;            // all found by the start-up search
    std::vector<const char16_t*> deliverTo; // each receives a job
};

// The lab runs one row: its topology is named by TOLVANE_LAB_TOPOLOGY (none: one link with a
// default route), and every link's printers must read exactly one request per search.
TEST(LabTopology, StartUpSearchReachesEveryLinkWithOneRequestEach) {
    const std::vector<Found> firstLink{kN1, kD2, kLongForm, kTwice, kOtherAddress, kDelayed};
    std::vector<Found> bothLinks = firstLink;
    bothLinks.insert(bothLinks.end(), {kLinkLocalN, kLinkLocalD});
    const TopologyCase cases[] = {
        {"one_link", 1, firstLink, {}},
        {"two_links_no_route", 2, bothLinks, {u"10.77.4.2", u"169.254.7.2"}},
        {"two_links_route_on_one", 2, bothLinks, {}},
    };
    const char* topology = std::getenv("TOLVANE_LAB_TOPOLOGY");
    const std::string wanted = topology != nullptr ? topology : "one_link";
    const auto row = std::find_if(std::begin(cases), std::end(cases),
                                  [&](const TopologyCase& c) { return c.topology == wanted; });
    ASSERT_NE(row, std::end(cases)) << "no row for topology " << wanted;
    HeapLeakGuard guard;

    const std::vector<long> before = DatagramsReadPerLink();
    const Outcome run = Discover(kDiscoverBroadcast);
    std::vector<long> requests = DatagramsReadPerLink();
    ASSERT_EQ(before.size(), row->links);
    ASSERT_EQ(requests.size(), row->links);
    for (size_t link = 0; link < requests.size(); ++link)
        requests[link] -= before[link];
    ASSERT_EQ(run.result, 0);
    EXPECT_EQ(run.printers, row->printers);
    EXPECT_EQ(requests, std::vector<long>(row->links, 1));

    InstallTcpTransport();
    const std::vector<uint8_t> job = Pattern(3000);
    for (const char16_t* address : row->deliverTo) {
        SCOPED_TRACE(WideToNarrow(address));
        JobWatcher watcher(WideToNarrow(address));
        const OpenOutcome open = OpenPrinter(address);
        ASSERT_EQ(open.result, kResultSuccess);
        uint32_t sent = 0;
        EXPECT_EQ(TcpSend(open.connection, job.data(), static_cast<uint32_t>(job.size()), &sent),
                  kResultSuccess);
        TimedClose(open.connection);
        EXPECT_EQ(watcher.NextJob(10s), std::string(job.begin(), job.end()));
    }
}

} // namespace
