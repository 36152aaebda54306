#pragma once

#include "cli/part_versions.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

struct ConnectionData;

enum class Outcome { Waiting, Sending, Sent, Failed, Cancelled, Skipped };

// Larger blocks than the window's keep a fast link full with few calls; Send still waits at
// most 200 ms at a time, so a Cancel is seen as quickly.
constexpr uint32_t kFleetBlockBytes = 64 * 1024;

// What the run knows of one printer. Read it through FleetDelivery::Snapshot.
struct PrinterState {
    std::string address; // UTF-8, as every text of the tool
    std::string name;
    std::string label; // of the target line that names the printer
    PartVersions versions;
    Outcome outcome = Outcome::Waiting;
    uint64_t bytes = 0;
    double seconds = 0;
    std::string error;
};

// Sends one file to many printers, each on a thread of its own, at most `parallel` at once,
// all through the TCP entry of the transport table.
class FleetDelivery {
  public:
    // A printer that takes no data for `stallLimit` fails (zero: no limit); see CancelStalled.
    FleetDelivery(std::span<const uint8_t> data, std::vector<PrinterState> printers,
                  std::chrono::seconds stallLimit = std::chrono::seconds::zero());
    // Cancels and waits for the workers still running.
    ~FleetDelivery();
    FleetDelivery(const FleetDelivery&) = delete;
    FleetDelivery& operator=(const FleetDelivery&) = delete;

    void Start(int parallel);
    // Raises the cancel flag of every open connection; printers not started are not begun.
    void Cancel();
    // Ends the deliveries that took no data for the stall limit, each with a reason that says
    // how far it got. Call it often (every 100 ms): it watches the connections' progress.
    void CancelStalled();
    // True once every printer has its outcome (a worker may still be closing a connection).
    bool Settled() const;
    std::vector<PrinterState> Snapshot() const;
    // Gives every printer still without an outcome "cancelled" (after a Cancel whose
    // connections are still being made) and returns the final states.
    std::vector<PrinterState> Conclude();
    // Waits for every worker up to `deadline`; false when some still run (only after a Cancel).
    // Those still use the fleet, which then has to be kept until the process ends.
    bool JoinWorkers(std::chrono::steady_clock::time_point deadline);

  private:
    struct Slot {
        PrinterState state;
        std::chrono::steady_clock::time_point started;
        std::atomic<uint64_t> bytes{0};
        ConnectionData* connection = nullptr; // open, under m_lock; Cancel only meets it there
        // The stall watch, on the main thread: the last progress seen and when it changed.
        uint64_t watchedBytes = 0;
        int watchedUnacknowledged = -1;
        std::chrono::steady_clock::time_point lastProgress;
        // Set by the worker before it ends the data and waits for the confirmation.
        std::atomic<bool> dataEnded{false};
        // Set when the watch ended the delivery; the bytes the printer had acknowledged then.
        std::atomic<bool> stalled{false};
        uint64_t stalledAcknowledged = 0;
    };

    void Work();
    void Deliver(Slot& slot);
    void Settle(Slot& slot, Outcome outcome, const std::string& error);

    std::string StallReason(const Slot& slot) const;

    std::span<const uint8_t> m_data;
    std::chrono::seconds m_stallLimit;
    std::vector<std::unique_ptr<Slot>> m_slots;
    mutable std::mutex m_lock;
    std::atomic<size_t> m_next{0};
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_running{0};
    std::vector<std::thread> m_workers;
};
