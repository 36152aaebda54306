#include "delivery/printer_conversation.h"

#include <algorithm>

ConversationResult Converse(OpenRequest* request, std::span<const uint8_t> data,
                            uint32_t blockBytes, ConversationHooks& hooks) {
    ConversationResult outcome{};
    ConnectionData* connection = nullptr;
    outcome.result = hooks.Open(request, &connection);
    if (outcome.result != kResultSuccess)
        return outcome;
    outcome.connected = true;

    const TransportEntry* transport =
        connection != nullptr ? &TransportTable[connection->transportIndex] : nullptr;
    while (outcome.sent < data.size() && outcome.result == kResultSuccess) {
        const auto block =
            static_cast<uint32_t>(std::min<uint64_t>(blockBytes, data.size() - outcome.sent));
        uint32_t count = 0;
        outcome.result =
            transport != nullptr
                ? transport->Send(connection, data.data() + outcome.sent, block, &count)
                : kResultBadArgument;
        outcome.sent += count;
        if (outcome.result == kResultSuccess)
            hooks.Progress(outcome.sent);
    }
    // Data handed to the socket may still be lost: the printer counts as served only once it
    // confirms the whole job. A Cancel still reaches the transport while it waits.
    if (outcome.result == kResultSuccess) {
        outcome.confirming = true;
        hooks.DataEnded();
        outcome.result = transport != nullptr ? transport->Finish(connection) : kResultBadArgument;
    }
    hooks.End(connection, outcome);
    return outcome;
}
