#include "delivery/transport.h"

#include "platform/sockets.h"
#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"

#include <cstring>

TransportEntry TransportTable[kTransportCount] = {};

namespace {

void ReleaseNarrowTexts(OpenRequest* request) {
    HeapFree(request->narrowName);
    HeapFree(request->narrowIpAddress);
    request->narrowName = nullptr;
    request->narrowIpAddress = nullptr;
}

} // namespace

int TransportProbe() {
    // The socket library needs no start-up here; a datagram socket shows that sockets work.
    const SocketHandle probe = OpenDatagramSocket();
    if (probe == kInvalidSocket)
        return 0;
    CloseSocket(probe);
    return 1;
}

void InstallTcpTransport() {
    TransportTable[kTcpTransportIndex] =
        TransportEntry{TcpOpen, TcpSend, TcpFinish, TcpCancel, TcpClose};
}

ResultCode OpenTransport(int index, OpenRequest* request, ConnectionData** connection) {
    if (connection == nullptr)
        return kResultBadArgument;
    *connection = nullptr;
    if (index < 0 || index >= kTransportCount || request == nullptr)
        return kResultBadArgument;
    const TransportEntry& entry = TransportTable[index];
    // An entry without operations is no usable transport: nothing is allocated or called.
    if (entry.Open == nullptr)
        return kResultBadArgument;
    if (index == 0)
        return entry.Open(index, request, connection);

    request->narrowName = HeapNarrowCopy(request->wideName);
    request->narrowIpAddress =
        request->narrowName == nullptr ? nullptr : HeapNarrowCopy(request->wideIpAddress);
    if (request->narrowIpAddress == nullptr) {
        ReleaseNarrowTexts(request);
        return kResultOutOfMemory;
    }
    const ResultCode result = entry.Open(index, request, connection);
    ReleaseNarrowTexts(request);
    return result;
}
