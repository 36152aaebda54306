#pragma once

#include "platform/sockets.h"
#include "text/result_code.h"

#include <cstdint>

// A request to open a connection to one printer; the worker fills the wide texts and
// OpenTransport makes the narrow ones for the entry's Open.
struct OpenRequest {
    char* narrowName;
    char* narrowIpAddress;
    const char16_t* wideName;
    const char16_t* wideIpAddress;
};

// One open TCP connection; a zero-filled heap record owned by the transport from a successful
// Open until Close.
struct ConnectionData {
    int32_t transportIndex;
    char* printerName;
    char* ipAddress;
    int32_t cancelFlag;        // written by Cancel, read by Send and Finish: std::atomic_ref
    SocketHandle socketHandle; // kInvalidSocket until created and after closing
    sockaddr_in peer;
};

constexpr uint16_t kPrinterRawPort = 9100;

using TransportOpen = ResultCode (*)(int index, OpenRequest* request, ConnectionData** connection);
using TransportSend = ResultCode (*)(ConnectionData* connection, const uint8_t* data,
                                     uint32_t length, uint32_t* sent);
using TransportFinish = ResultCode (*)(ConnectionData* connection);
using TransportCancel = ResultCode (*)(ConnectionData* connection);
using TransportClose = ResultCode (*)(ConnectionData* connection);

struct TransportEntry {
    TransportOpen Open;
    TransportSend Send;
    TransportFinish Finish;
    TransportCancel Cancel;
    TransportClose Close;
};

constexpr int kTransportCount = 3;
constexpr int kTcpTransportIndex = 2;

// Entries 0 and 1 stay empty; start-up fills entry 2 when TransportProbe succeeds.
extern TransportEntry TransportTable[kTransportCount];

// 1 when a datagram socket can be created, 0 otherwise.
int TransportProbe();

// Writes the TCP operations into entry 2 of TransportTable.
void InstallTcpTransport();

// Opens a connection through entry `index`.
ResultCode OpenTransport(int index, OpenRequest* request, ConnectionData** connection);

// The TCP transport's own operations (entry 2). Send always stores the bytes it sent through
// `sent` (never null) and returns kResultBadArgument for no connection. Finish, after the last
// Send, ends the data and waits until the printer confirms it has the whole job (success), fails
// it (kResultNetworkFailure) or a Cancel comes (kResultCancelled, the socket closed). Cancel may
// come from another thread; Close releases the connection and pauses 300 ms.
ResultCode TcpOpen(int index, OpenRequest* request, ConnectionData** connection);
ResultCode TcpSend(ConnectionData* connection, const uint8_t* data, uint32_t length,
                   uint32_t* sent);
ResultCode TcpFinish(ConnectionData* connection);
ResultCode TcpCancel(ConnectionData* connection);
ResultCode TcpClose(ConnectionData* connection);
