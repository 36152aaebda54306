#pragma once

#include "discovery/discovery.h"
#include "discovery/exchange_state.h"
#include "discovery/model_list.h"
#include "platform/sockets.h"

#include <cstddef>
#include <cstdint>

constexpr uint16_t kSnmpPort = 161;
constexpr uint32_t kReceiveWindowMs = 1000;
constexpr size_t kMaxReadSockets = 64;
static_assert(kMaxReadSockets <= kMaxWaitSockets, "the wait must watch the whole read set");

// Does all of FindNetworkPrinters except the narrow texts of the entries.
ResultCode SnmpDiscover(int versionKind, const char* const* addresses, int addressCount,
                        const ModelListEntry* models, const char* community, int mode,
                        DiscoveredPrinter** list, int* count);

// Opens a UDP socket and sends `request` to `address` (dotted text; nullptr: the limited
// broadcast) on the SNMP port. Returns kResultSuccess with the open socket, or
// kResultNetworkFailure with kInvalidSocket.
ResultCode SnmpSendRequest(const char* address, const uint8_t* request, size_t length,
                           SocketHandle* socket);

// Sends `request` to the limited broadcast (`target`) by every interface that can carry it, so
// that the printers of each network this computer is on hear it, even where no route covers
// 255.255.255.255 (no default route, a link-local cable). Their replies all come back to this one
// socket. With no such interface known, or none that took it, it goes once by the routes.
bool SendBroadcast(SocketHandle handle, const sockaddr_in& target, const uint8_t* request,
                   size_t length);

// Collects replies on the exchange's sockets for at most one receive window into the answer
// array, which is empty when the window opens (one answer per sender). With `earlyStop` the window
// ends as soon as every socket is done.
ResultCode SnmpReceiveAnswers(bool earlyStop);

// The exchange's process-wide state: sockets in the order they were opened, answers in the
// order they were accepted. Both are empty between discoveries.
SocketArray& DiscoverySockets();
AnswerArray& DiscoveryAnswers();

// Test seam: the UDP port requests go to (loopback tests cannot use the privileged one);
// returns the previous port.
uint16_t SetSnmpDestinationPort(uint16_t port);
