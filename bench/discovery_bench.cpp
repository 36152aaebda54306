// Broadcast discovery against the printers of the surrounding printer lab: how many are found,
// how long the call takes (on average and at most) and the processor time it costs. Run
// through scripts/discovery-bench, which sets up labs of 250 and 1,000 printers, with replies
// spread over 100 ms and all in one burst, and one where a thousand addresses flood the search.
#include "discovery/discovery.h"
#include "tests/lab/lab_environment.h"
#include "text/heap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// The printers of the lab: lines that start with an address.
long LabPrinters() {
    const char* path = std::getenv("TOLVANE_LAB_PRINTERS");
    std::ifstream file(path != nullptr ? path : "");
    long printers = 0;
    std::string line;
    while (std::getline(file, line))
        printers += !line.empty() && line[0] >= '0' && line[0] <= '9';
    return printers;
}

// One counter of the "Udp:" lines in /proc/net/snmp, for this network namespace.
long UdpCounter(const std::string& wanted) {
    return SnmpCounter("/proc/net/snmp", "Udp:", wanted);
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BroadcastDiscovery(benchmark::State& state) {
    ModelListEntry model{};
    std::strcpy(model.name, "Korvil 2950MFP-N");
    const long printers = LabPrinters();
    double found = 0;
    double cpu = 0;
    double longest = 0;
    const long dropsBefore = UdpCounter("RcvbufErrors");
    for (auto _ : state) {
        DiscoveredPrinter* list = nullptr;
        int count = 0;
        const double cpuStart = ThreadCpuMs();
        const auto start = std::chrono::steady_clock::now();
        if (FindNetworkPrinters(9, nullptr, 0, &model, nullptr, kDiscoverBroadcast, &list,
                                &count) != 0) {
            state.SkipWithError("discovery failed");
            break;
        }
        longest = std::max(longest, std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
        cpu += ThreadCpuMs() - cpuStart;
        found += count;
        if (list != nullptr)
            FreeNetworkPrinterList(count, list);
    }
    const auto rounds = static_cast<double>(state.iterations());
    state.counters["printers"] = static_cast<double>(printers);
    state.counters["found"] = rounds > 0 ? found / rounds : 0;
    state.counters["cpu_ms"] = rounds > 0 ? cpu / rounds : 0;
    state.counters["longest_ms"] = longest;
    state.counters["dropped"] =
        rounds > 0 ? static_cast<double>(UdpCounter("RcvbufErrors") - dropsBefore) / rounds : 0;
}

BENCHMARK(BroadcastDiscovery)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    TakeProcessHeap();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
