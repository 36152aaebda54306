#include "delivery/send_job.h"

#include "delivery/printer_conversation.h"

#include <system_error>

namespace {

// The window's job runs one worker at a time. Its Cancel waits for the delivery lock while the
// connection is being made, and the connection closes under that lock.
class WindowConversation final : public ConversationHooks {
  public:
    explicit WindowConversation(SendJob* job) : m_job(job) {}

    ResultCode Open(OpenRequest* request, ConnectionData** connection) override {
        ResultCode result;
        {
            std::lock_guard guard(*m_job->deliveryLock);
            result = OpenTransport(m_job->transportIndex, request, &m_job->connection);
            // A Cancel pressed while the connection was being made applies to it before any
            // data goes out.
            if (result == kResultSuccess && m_job->cancelWaiting.load() != 0)
                TransportTable[m_job->connection->transportIndex].Cancel(m_job->connection);
        }
        *connection = m_job->connection;
        if (result == kResultSuccess)
            m_job->connected.store(1);
        return result;
    }

    void Progress(uint64_t sent) override { m_job->bytesSent.store(static_cast<uint32_t>(sent)); }

    void End(ConnectionData* /*connection*/, const ConversationResult& /*result*/) override {
        // From here on a Cancel can no longer reach the transport; the job turns it into a
        // request.
        m_job->workerActive.store(0);
        std::lock_guard guard(*m_job->deliveryLock);
        if (m_job->connection != nullptr) {
            TransportTable[m_job->connection->transportIndex].Close(m_job->connection);
            m_job->connection = nullptr;
        }
    }

  private:
    SendJob* m_job;
};

} // namespace

int DeliveryWorker(SendJob* job) {
    OpenRequest request{};
    request.wideIpAddress = job->currentNode->ipAddress;
    request.wideName = job->currentNode->name;
    WindowConversation hooks(job);
    job->result.store(
        Converse(&request, {job->data, job->dataLength}, kDeliveryBlockBytes, hooks).result);
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
