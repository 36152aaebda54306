#pragma once

#include "delivery/transport.h"
#include "tests/lab/lab_environment.h"

#include <chrono>
#include <cstdint>
#include <vector>

using Milliseconds = std::chrono::duration<double, std::milli>;

struct OpenOutcome {
    int result;
    ConnectionData* connection;
    Milliseconds elapsed;
    long attempts; // connections this namespace started meanwhile
};

// Opens a connection through the TCP entry, as the delivery worker does.
inline OpenOutcome OpenPrinter(const char16_t* address) {
    OpenRequest request{};
    request.wideName = u"Lab printer";
    request.wideIpAddress = address;
    const long opensBefore = TcpActiveOpens();
    const auto start = std::chrono::steady_clock::now();
    ConnectionData* connection = nullptr;
    const int result = OpenTransport(kTcpTransportIndex, &request, &connection);
    return {result, connection, std::chrono::steady_clock::now() - start,
            TcpActiveOpens() - opensBefore};
}

// Closes through the connection's own entry and says how long that took.
inline Milliseconds TimedClose(ConnectionData* connection) {
    const auto start = std::chrono::steady_clock::now();
    TransportTable[connection->transportIndex].Close(connection);
    return std::chrono::steady_clock::now() - start;
}

// Bytes that differ from block to block, so a lost, doubled or swapped block shows.
inline std::vector<uint8_t> Pattern(size_t length) {
    std::vector<uint8_t> data(length);
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>((i * 131 + i / 256) & 0xff);
    return data;
}
