#pragma once

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

// The thin socket layer: IPv4 sockets as the rest of the program needs them, with the system's
// error numbers folded into the few classes callers act on.

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr SocketHandle kInvalidSocket = INVALID_SOCKET;
#else
using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;
#endif

enum class SocketError {
    kNone,
    kConnected,      // a repeated connect found the connection up
    kInProgress,     // a connect is still being made
    kWouldBlock,     // no room yet (or no data yet) on a non-blocking socket
    kInterrupted,    // a signal came first: just try again
    kConnectionLost, // the peer reset or aborted the connection, or it is closed for writing
    kOther,
};

// The class of the last failed socket call on this thread.
SocketError LastSocketError();

// New sockets, not inheritable by child processes; kInvalidSocket when the system refuses.
SocketHandle OpenDatagramSocket();
SocketHandle OpenStreamSocket();

// Closes `handle`; kInvalidSocket is ignored.
void CloseSocket(SocketHandle handle);

bool SetNonBlocking(SocketHandle handle);
bool AllowBroadcast(SocketHandle handle);
// Asks for a receive queue of `bytes`; the system may grant less.
void RequestReceiveQueue(SocketHandle handle, int bytes);
// Binds to every local address on a port the system picks.
bool BindAnyPort(SocketHandle handle);

// The peer `dotted` (an IPv4 address text; nullptr: the limited broadcast) on `port`. False
// for a text that is no address, the all-ones text included.
bool MakePeer(const char* dotted, uint16_t port, sockaddr_in* peer);

// The dotted text of a peer's address, in narrow text.
std::string PeerAddressText(const sockaddr_in& peer);

bool SendDatagram(SocketHandle handle, const sockaddr_in& peer, const uint8_t* data, size_t length);
// Sends out of the interface numbered `interfaceIndex`, whatever the routes say: a limited
// broadcast then leaves by that interface even where no route covers it.
bool SendDatagramVia(SocketHandle handle, unsigned interfaceIndex, const sockaddr_in& peer,
                     const uint8_t* data, size_t length);

// Reads one datagram into `buffer`. Returns the datagram's full length, which exceeds
// `capacity` when it did not fit (the rest is lost), or -1 on failure.
ssize_t ReceiveDatagram(SocketHandle handle, uint8_t* buffer, size_t capacity, sockaddr_in* sender);

// Starts or continues a connect: kNone once the connection is up, else the error class
// (kConnected: it was already up).
SocketError Connect(SocketHandle handle, const sockaddr_in& peer);

// Sends what the socket takes now without raising SIGPIPE. Returns the bytes taken, or -1 with
// LastSocketError telling why.
ssize_t SendSome(SocketHandle handle, const uint8_t* data, size_t length);

// Waits at most `timeoutMs` for room to send on `handle`; the outcome is left to the next send.
void WaitWritable(SocketHandle handle, int timeoutMs);

// Ends the sending side of a stream connection: the peer reads the end of the data. False when
// the connection is gone already.
bool ShutdownSending(SocketHandle handle);

// Reads what the socket holds now into `buffer`. Returns the bytes read, 0 once the peer has
// closed its side, or -1 with LastSocketError telling why.
ssize_t ReceiveSome(SocketHandle handle, uint8_t* buffer, size_t capacity);

// The bytes sent on a stream connection that the peer has not acknowledged yet (an ending
// still to be acknowledged counts as one), or -1 when the system cannot tell.
int UnacknowledgedBytes(SocketHandle handle);

// True when an error is pending on the socket (a reset that came after the peer's close, for
// instance); reading it clears it.
bool HasPendingError(SocketHandle handle);

enum class WaitOutcome {
    kReady,    // *ready holds the index of a socket with something to read
    kTimedOut, // nothing arrived in time
    kAgain,    // interrupted, or no readable socket could be named: wait again
    kFailed,
};

// Waits at most `timeoutMs` until one of `sockets` can be read; only the first kMaxWaitSockets
// of them are watched.
constexpr size_t kMaxWaitSockets = 64;
WaitOutcome WaitReadable(std::span<const SocketHandle> sockets, int timeoutMs, size_t* ready);
