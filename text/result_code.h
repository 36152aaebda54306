#pragma once

// Result codes shared by discovery, the transport and the delivery worker. Unscoped over int so
// that the values stay the ones callers have always compared with.
enum ResultCode : int {
    kResultSuccess = 0,
    kResultCancelled = 2,
    kResultBadArgument = 3,    // also: no usable transport, no connection
    kResultNetworkFailure = 4, // the network or the communication failed
    kResultOutOfMemory = 5,
};
