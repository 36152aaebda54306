#pragma once

#include "delivery/transport.h"

#include <cstdint>
#include <span>

// How one printer's conversation ended.
struct ConversationResult {
    ResultCode result;
    bool connected;  // the connection was opened
    bool confirming; // every byte was taken: the result is the printer's answer to the job
    uint64_t sent;   // bytes the connection took, a failed block's share included
};

// The steps of a printer's conversation that belong to the job running it: how its Cancel
// reaches the open connection, and what it watches of the progress.
class ConversationHooks {
  public:
    virtual ~ConversationHooks() = default;
    // Opens the connection and makes it reachable for the job's Cancel; a Cancel that came
    // while it was being made applies before any data goes out.
    virtual ResultCode Open(OpenRequest* request, ConnectionData** connection) = 0;
    // A block went out; `sent` bytes in all.
    virtual void Progress(uint64_t sent) = 0;
    // The last block went out; the printer's confirmation comes next.
    virtual void DataEnded() {}
    // Only after a successful Open: makes the connection unreachable for Cancel and closes it.
    virtual void End(ConnectionData* connection, const ConversationResult& result) = 0;
};

// The conversation with one printer: opens the connection, sends `data` in blocks of at most
// `blockBytes`, waits until the printer confirms it has the whole job, and ends it.
ConversationResult Converse(OpenRequest* request, std::span<const uint8_t> data,
                            uint32_t blockBytes, ConversationHooks& hooks);
