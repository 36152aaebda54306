// Throughput of the TCP transport's 256-byte sends against one blocking write of the whole
// buffer. Needs the printer lab:
//   scripts/printer-lab --printers bench/transport.printers -- build/default/bench/transport_bench
#include "delivery/transport.h"
#include "text/heap.h"
#include "text/notices.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <vector>

namespace {

constexpr const char* kPrinter = "10.77.1.1";
constexpr uint32_t kBlock = 256;

std::vector<uint8_t> Payload(int64_t length) {
    std::vector<uint8_t> data(static_cast<size_t>(length));
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 31);
    return data;
}

// The delivery's way: a non-blocking connection fed in blocks of 256 bytes.
void TcpSendInBlocks(benchmark::State& state) {
    const std::vector<uint8_t> data = Payload(state.range(0));
    OpenRequest request{};
    request.wideName = u"Bench printer";
    request.wideIpAddress = u"10.77.1.1";
    ConnectionData* connection = nullptr;
    if (OpenTransport(kTcpTransportIndex, &request, &connection) != kResultSuccess) {
        state.SkipWithError("cannot open the transport");
        return;
    }
    for (auto _ : state) {
        for (size_t at = 0; at < data.size(); at += kBlock) {
            const auto block = static_cast<uint32_t>(std::min<size_t>(kBlock, data.size() - at));
            uint32_t sent = 0;
            if (TcpSend(connection, data.data() + at, block, &sent) != kResultSuccess) {
                state.SkipWithError("send failed");
                break;
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    TcpClose(connection);
}

// The yardstick: a blocking socket handed the whole buffer at once.
void BlockingWriteWhole(benchmark::State& state) {
    const std::vector<uint8_t> data = Payload(state.range(0));
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(kPrinterRawPort);
    ::inet_pton(AF_INET, kPrinter, &peer.sin_addr);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) != 0) {
        state.SkipWithError("cannot connect");
        ::close(fd);
        return;
    }
    for (auto _ : state) {
        // One call normally takes it all; a signal may cut it short.
        for (size_t at = 0; at < data.size();) {
            const ssize_t taken = ::send(fd, data.data() + at, data.size() - at, MSG_NOSIGNAL);
            if (taken <= 0) {
                state.SkipWithError("send failed");
                break;
            }
            at += static_cast<size_t>(taken);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    ::close(fd);
}

BENCHMARK(TcpSendInBlocks)
    ->Arg(1 << 20)
    ->Arg(16 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BlockingWriteWhole)
    ->Arg(1 << 20)
    ->Arg(16 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    TakeProcessHeap();
    std::signal(SIGPIPE, SIG_IGN);
    InstallTcpTransport();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
