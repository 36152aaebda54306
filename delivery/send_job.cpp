#include "delivery/send_job.h"

#include "text/notices.h"

#include <algorithm>
#include <system_error>

int DeliveryWorker(SendJob* job) {
    OpenRequest request{};
    request.wideIpAddress = job->currentNode->ipAddress;
    request.wideName = job->currentNode->name;
    ResultCode result;
    {
        std::lock_guard guard(*job->deliveryLock);
        result = OpenTransport(job->transportIndex, &request, &job->connection);
        // A Cancel pressed while the connection was being made applies to it before any data
        // goes out.
        if (result == kResultSuccess && job->cancelWaiting.load() != 0)
            TransportTable[job->connection->transportIndex].Cancel(job->connection);
    }
    job->result.store(result);
    if (result != kResultSuccess)
        return 1;

    job->connected.store(1);
    uint32_t sent = job->bytesSent.load();
    uint32_t blockSize = kDeliveryBlockBytes;
    while (sent < job->dataLength) {
        blockSize = std::min(blockSize, job->dataLength - sent);
        uint32_t count = 0;
        result = job->connection != nullptr
                     ? TransportTable[job->connection->transportIndex].Send(
                           job->connection, job->data + sent, blockSize, &count)
                     : kResultBadArgument;
        job->result.store(result);
        if (result != kResultSuccess)
            break;
        sent += count;
        job->bytesSent.store(sent);
    }
    // Data handed to the socket may still be lost: the printer counts as served only once it
    // confirms the whole job. A Cancel still reaches the transport while it waits.
    if (result == kResultSuccess) {
        result = job->connection != nullptr
                     ? TransportTable[job->connection->transportIndex].Finish(job->connection)
                     : kResultBadArgument;
        job->result.store(result);
    }
    // From here on a Cancel can no longer reach the transport; the job turns it into a request.
    job->workerActive.store(0);

    std::lock_guard guard(*job->deliveryLock);
    if (job->connection != nullptr) {
        TransportTable[job->connection->transportIndex].Close(job->connection);
        job->connection = nullptr;
    }
    return 1;
}

WorkerThread::~WorkerThread() {
    Release();
}

void WorkerThread::Start(SendJob* job) {
    m_done.store(false, std::memory_order_relaxed);
    m_exists = true;
    try {
        m_thread = std::thread([this, job] {
            DeliveryWorker(job);
            m_done.store(true, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        // The platform refused a thread (its resources are exhausted).
        job->result.store(kResultOutOfMemory);
        m_done.store(true, std::memory_order_release);
    }
}

void WorkerThread::Release() {
    if (m_thread.joinable())
        m_thread.join();
    m_exists = false;
}
