#include "discovery/reply_socket.h"

namespace {

// Printers answer a broadcast almost at once, so the socket must queue a burst of replies. A
// small reply costs the queue about 832 bytes of kernel accounting; the kernel doubles the
// request and caps it at net.core.rmem_max (208 KiB on a stock system, which still holds 512
// replies rather than the default 256).
constexpr int kReplyQueueBytes = 1000 * 1024;

} // namespace

SocketHandle OpenReplySocket() {
    const SocketHandle handle = OpenDatagramSocket();
    if (handle == kInvalidSocket)
        return kInvalidSocket;
    if (!SetNonBlocking(handle)) {
        CloseSocket(handle);
        return kInvalidSocket;
    }
    // A larger queue only helps; the exchange works without it.
    RequestReceiveQueue(handle, kReplyQueueBytes);
    if (!BindAnyPort(handle)) {
        CloseSocket(handle);
        return kInvalidSocket;
    }
    return handle;
}
