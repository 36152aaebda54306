#pragma once

#include "delivery/delivery_node.h"
#include "delivery/transport.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

// Data goes to the transport in blocks of at most this many bytes.
constexpr uint32_t kDeliveryBlockBytes = 256;

// State shared by the delivery job (user-interface thread) and its worker thread. The fields
// the worker writes while the job reads them are atomic; the others change only while no
// worker runs.
struct SendJob {
    // The current printer's open connection; written by the worker under the delivery lock and
    // read by Cancel under it, cleared by the job only while no worker exists.
    ConnectionData* connection;
    DeliveryNode* currentNode;
    int32_t transportIndex;
    uint8_t* data;
    uint32_t dataLength;
    std::atomic<uint32_t> bytesSent;    // reached the current printer
    std::atomic<ResultCode> result;     // the current printer's result
    std::atomic<int32_t> connected;     // 1 once the connection is open
    std::atomic<int32_t> workerActive;  // 1 from the worker's start until the printer confirmed
    std::atomic<int32_t> cancelWaiting; // 1 while a Cancel waits for the delivery lock
    std::mutex* deliveryLock;           // the running job's lock
};

// Thread entry of one printer's delivery: opens the connection under the delivery lock, sends
// the data in blocks, waits for the printer to confirm the job, and closes the connection under
// the lock. Returns 1.
int DeliveryWorker(SendJob* job);

// The handle of one running DeliveryWorker. HasEnded is the zero-time look at whether it has
// finished; Release joins it, which then no longer waits.
class WorkerThread {
  public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts a worker for `job`. When no thread can be made, the worker counts as ended at once
    // with the out-of-memory result, so the job reports it like any exhausted resource.
    void Start(SendJob* job);

    bool Exists() const { return m_exists; }
    bool HasEnded() const { return m_done.load(std::memory_order_acquire); }

    // Waits for the worker to end (at once when HasEnded) and forgets it.
    void Release();

  private:
    std::thread m_thread;
    std::atomic<bool> m_done{false};
    bool m_exists = false;
};
