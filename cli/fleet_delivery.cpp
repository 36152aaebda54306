#include "cli/fleet_delivery.h"

#include "cli/console.h"
#include "delivery/printer_conversation.h"
#include "delivery/transport.h"
#include "platform/utf8.h"
#include "text/notices.h"

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;

std::string OpenFailure(ResultCode result) {
    switch (result) {
    case kResultBadArgument:
        return "no usable transport";
    case kResultOutOfMemory:
        return "out of memory";
    default:
        return "cannot connect to port " + std::to_string(kPrinterRawPort);
    }
}

} // namespace

FleetDelivery::FleetDelivery(std::span<const uint8_t> data, std::vector<PrinterState> printers,
                             std::chrono::seconds stallLimit)
    : m_data(data), m_stallLimit(stallLimit) {
    for (PrinterState& printer : printers) {
        m_slots.push_back(std::make_unique<Slot>());
        m_slots.back()->state = std::move(printer);
    }
}

FleetDelivery::~FleetDelivery() {
    // Workers use the fleet until they end, so none may outlive it. A caller that cannot wait
    // for them (JoinWorkers false) keeps the fleet alive instead of destroying it.
    Cancel();
    for (std::thread& worker : m_workers)
        worker.join();
}

void FleetDelivery::Start(int parallel) {
    const size_t count = std::min(static_cast<size_t>(parallel), m_slots.size());
    m_running = static_cast<int>(count);
    for (size_t i = 0; i < count; ++i)
        m_workers.emplace_back([this] { Work(); });
}

void FleetDelivery::Work() {
    for (size_t i; !m_cancelled && (i = m_next++) < m_slots.size();)
        Deliver(*m_slots[i]);
    --m_running;
}

// The fleet's workers share one lock, so the connection is opened and closed outside it: a
// Cancel raises the fleet's flag first and then only meets connections already open.
class FleetDelivery::SlotConversation final : public ConversationHooks {
  public:
    SlotConversation(FleetDelivery& fleet, Slot& slot) : m_fleet(fleet), m_slot(slot) {}

    ResultCode Open(OpenRequest* request, ConnectionData** connection) override {
        const ResultCode opened = OpenTransport(kTcpTransportIndex, request, connection);
        if (opened == kResultSuccess) {
            std::lock_guard guard(m_fleet.m_lock);
            m_slot.connection = *connection;
            if (m_fleet.m_cancelled)
                TransportTable[(*connection)->transportIndex].Cancel(*connection);
        }
        return opened;
    }

    void Progress(uint64_t sent) override { m_slot.bytes = sent; }

    void DataEnded() override { m_slot.dataEnded = true; }

    void End(ConnectionData* connection, const ConversationResult& result) override {
        {
            std::lock_guard guard(m_fleet.m_lock);
            m_slot.connection = nullptr;
        }
        m_slot.bytes = result.sent;
        m_fleet.SettleConnected(m_slot, result);
        TransportTable[connection->transportIndex].Close(connection);
    }

  private:
    FleetDelivery& m_fleet;
    Slot& m_slot;
};

void FleetDelivery::Deliver(Slot& slot) {
    {
        std::lock_guard guard(m_lock);
        if (slot.state.outcome != Outcome::Waiting)
            return;
        slot.state.outcome = Outcome::Sending;
        slot.started = Clock::now();
        slot.lastProgress = slot.started;
    }
    const std::u16string address = Utf8ToWide(slot.state.address);
    const std::u16string name = Utf8ToWide(slot.state.name);
    OpenRequest request{};
    request.wideIpAddress = address.c_str();
    request.wideName = name.c_str();
    SlotConversation hooks(*this, slot);
    const ConversationResult result = Converse(&request, m_data, kFleetBlockBytes, hooks);
    if (result.connected)
        return; // settled by the conversation's end, before the connection's closing pause
    if (m_cancelled)
        Settle(slot, Outcome::Cancelled, "cancelled before connecting");
    else
        Settle(slot, Outcome::Failed, OpenFailure(result.result));
}

void FleetDelivery::SettleConnected(Slot& slot, const ConversationResult& result) {
    const std::string sent = std::to_string(result.sent);
    if (result.result == kResultSuccess)
        Settle(slot, Outcome::Sent, {});
    else if (result.result == kResultCancelled && slot.stalled)
        Settle(slot, Outcome::Failed, StallReason(slot));
    else if (result.result == kResultCancelled)
        Settle(slot, Outcome::Cancelled, "cancelled after " + sent + " bytes");
    else if (result.confirming)
        Settle(slot, Outcome::Failed,
               "the printer did not confirm the whole file (" + sent + " bytes sent)");
    else
        Settle(slot, Outcome::Failed, "connection lost after " + sent + " bytes");
}

void FleetDelivery::Settle(Slot& slot, Outcome outcome, const std::string& error) {
    std::lock_guard guard(m_lock);
    if (slot.state.outcome != Outcome::Sending)
        return; // concluded by the main thread after a Cancel
    slot.state.outcome = outcome;
    slot.state.error = error;
    slot.state.bytes = slot.bytes;
    slot.state.seconds = std::chrono::duration<double>(Clock::now() - slot.started).count();
}

void FleetDelivery::Cancel() {
    m_cancelled = true;
    std::lock_guard guard(m_lock);
    for (const auto& slot : m_slots) {
        if (slot->connection != nullptr)
            TransportTable[slot->connection->transportIndex].Cancel(slot->connection);
    }
}

void FleetDelivery::CancelStalled() {
    if (m_stallLimit == std::chrono::seconds::zero() || m_cancelled)
        return;
    const Clock::time_point now = Clock::now();
    std::lock_guard guard(m_lock);
    for (const auto& slot : m_slots) {
        if (slot->connection == nullptr || slot->stalled)
            continue;
        // Progress is the bytes the connection took and the bytes still unacknowledged: while
        // the printer reads, one of them moves. All data acknowledged is no stall: a printer
        // that then never closes is the transport's own case.
        const uint64_t bytes = slot->bytes;
        const int unacknowledged = UnacknowledgedBytes(slot->connection->socketHandle);
        if (bytes != slot->watchedBytes || unacknowledged != slot->watchedUnacknowledged ||
            (bytes == m_data.size() && unacknowledged == 0)) {
            slot->watchedBytes = bytes;
            slot->watchedUnacknowledged = unacknowledged;
            slot->lastProgress = now;
        } else if (now - slot->lastProgress >= m_stallLimit) {
            // The end of the data counts as one more byte in the queue. A worker that has just
            // reached Finish without ending the data yet moved its bytes a moment ago, so it is
            // never taken for stalled here.
            const uint64_t queued =
                unacknowledged > 0
                    ? static_cast<uint64_t>(unacknowledged - (slot->dataEnded ? 1 : 0))
                    : 0;
            slot->stalledAcknowledged = bytes - std::min(bytes, queued);
            slot->stalled = true;
            TransportTable[slot->connection->transportIndex].Cancel(slot->connection);
        }
    }
}

// "took no data for 300 s after 81,920 of 300,096 bytes": the bytes the printer acknowledged.
std::string FleetDelivery::StallReason(const Slot& slot) const {
    return "took no data for " + std::to_string(m_stallLimit.count()) + " s after " +
           Grouped(slot.stalledAcknowledged) + " of " + Grouped(m_data.size()) + " bytes";
}

bool FleetDelivery::Settled() const {
    std::lock_guard guard(m_lock);
    const bool pending = std::any_of(m_slots.begin(), m_slots.end(), [&](const auto& slot) {
        return slot->state.outcome == Outcome::Sending ||
               (slot->state.outcome == Outcome::Waiting && !m_cancelled);
    });
    return !pending;
}

std::vector<PrinterState> FleetDelivery::Snapshot() const {
    std::lock_guard guard(m_lock);
    std::vector<PrinterState> states;
    for (const auto& slot : m_slots) {
        states.push_back(slot->state);
        if (slot->state.outcome == Outcome::Sending) {
            states.back().bytes = slot->bytes;
            states.back().seconds =
                std::chrono::duration<double>(Clock::now() - slot->started).count();
        }
    }
    return states;
}

std::vector<PrinterState> FleetDelivery::Conclude() {
    {
        std::lock_guard guard(m_lock);
        for (const auto& slot : m_slots) {
            PrinterState& state = slot->state;
            if (state.outcome == Outcome::Sending) {
                state.bytes = slot->bytes;
                state.seconds = std::chrono::duration<double>(Clock::now() - slot->started).count();
            }
            if (state.outcome == Outcome::Waiting || state.outcome == Outcome::Sending) {
                state.error = state.outcome == Outcome::Waiting ? "not started" : "cancelled";
                state.outcome = Outcome::Cancelled;
            }
        }
    }
    return Snapshot();
}

bool FleetDelivery::JoinWorkers(Clock::time_point deadline) {
    while (m_running > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (m_running > 0)
        return false;
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
    return true;
}
