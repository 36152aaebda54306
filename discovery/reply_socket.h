#pragma once

#include "platform/sockets.h"

// A UDP socket for SNMP replies: non-blocking (a blocking read would outlast the receive
// window), with a queue for a burst of replies, bound to a port the system picks.
// kInvalidSocket when any step fails; nothing is left open then.
SocketHandle OpenReplySocket();
