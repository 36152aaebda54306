#include "delivery/delivery_job.h"

#include "delivery/backup_file.h"
#include "platform/exclusive_file.h"
#include "platform/text_convert.h"
#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <algorithm>
#include <climits>

namespace {

// A node's label in the status text and the notices: its IP address text.
std::u16string NodeLabel(const DeliveryNode* node) {
    return std::u16string(WideText(node->ipAddress));
}

} // namespace

ProgressScale::ProgressScale(uint32_t dataLength)
    : upper(std::max(dataLength & ~uint32_t{0xFF}, kDeliveryBlockBytes)),
      shift(upper > static_cast<uint32_t>(INT_MAX) ? 1 : 0) {}

int ProgressScale::Upper() const {
    return static_cast<int>(upper >> shift);
}

int ProgressScale::Position(uint32_t bytesSent) const {
    if (bytesSent == 0)
        return 0;
    // Less than one block still shows one block; the last, partial block shows a full bar.
    const uint32_t shown = std::min(std::max(bytesSent, kDeliveryBlockBytes), upper);
    return static_cast<int>(shown >> shift);
}

DeliveryJob::DeliveryJob() = default;

DeliveryJob::~DeliveryJob() {
    // The dialog only ends through Finish, which has ended the worker; this is the last guard.
    m_worker.Release();
    HeapFree(m_job.data);
}

void DeliveryJob::SetBackupFilePath(std::u16string_view path) {
    CopyWideField(m_path, kPathUnits, path);
}

void DeliveryJob::SetDeliveryList(DeliveryNode* nodes) {
    m_nodes = nodes;
}

void DeliveryJob::SetStatusText(const std::u16string& text) {
    m_statusText = text;
}

void DeliveryJob::SetTransportIndex(int32_t index) {
    m_job.transportIndex = index;
}

void DeliveryJob::SetJobFlag(int32_t flag) {
    m_jobFlag = flag;
}

void DeliveryJob::Initialise(DeliveryJobView* view) {
    m_view = view;
    m_view->ShowStatusText(m_statusText);
    m_lock.emplace();
    m_job.deliveryLock = &*m_lock;
    m_job.workerActive.store(0);
    m_cancelRequest = false;
    m_job.data = nullptr;
    m_job.dataLength = 0;
    if (m_nodes == nullptr) {
        // Nobody to serve; the main window never asks for this.
        Finish();
        return;
    }

    ExclusiveFile file;
    if (!file.Open(WideText(m_path))) {
        EndWithBadFile();
        return;
    }
    const uint64_t length = file.Length();
    if (length == 0 || length >= kMaxBackupFileLength) {
        EndWithBadFile();
        return;
    }
    auto* data = static_cast<uint8_t*>(HeapAllocZero(length));
    if (data == nullptr) {
        ShowOutOfMemory();
        m_jobFlag = 0;
        Finish();
        return;
    }
    file.ReadWhole(data, static_cast<uint32_t>(length));
    file.Close();
    m_job.data = data;
    m_job.dataLength = static_cast<uint32_t>(length);

    for (DeliveryNode* node = m_nodes; node != nullptr; node = node->next)
        node->sent = 0;
    m_job.connection = nullptr;
    m_job.currentNode = m_nodes;
    m_job.bytesSent.store(0);
    m_job.connected.store(0);

    m_progress = ProgressScale(m_job.dataLength);
    m_view->SetProgressRange(1, m_progress.Upper());
    m_view->StartTimer();
}

void DeliveryJob::EndWithBadFile() {
    ShowBadUpdateFile();
    m_jobFlag = 0;
    m_lock.reset();
    m_view->CloseWithOk();
}

void DeliveryJob::Tick() {
    if (m_worker.Exists()) {
        // After a Cancel the worker has had its answer from the printer but may still be closing
        // its connection; the next printer waits until it has ended.
        if (!m_worker.HasEnded()) {
            UpdateProgress();
            return;
        }
        m_worker.Release();
        if (!m_cancelRequest) {
            EndPrinterByResult();
            return;
        }
    }
    if (m_cancelRequest) {
        EndInterruptedPrinter();
        return;
    }
    // The first tick after opening.
    StartWorker();
    UpdateProgress();
}

void DeliveryJob::EndInterruptedPrinter() {
    m_cancelRequest = false;
    DeliveryNode* node = m_job.currentNode;
    node->sent = 0;
    m_view->StopTimer();
    if (!ShowUpdateInterrupted(NodeLabel(node), node->next != nullptr)) {
        Finish();
        return;
    }
    AdvanceToNextPrinter(true);
}

void DeliveryJob::EndPrinterByResult() {
    DeliveryNode* node = m_job.currentNode;
    const ResultCode result = m_job.result.load();
    const bool moreFollow = node->next != nullptr;
    if (result == kResultSuccess) {
        node->sent = 1;
        if (moreFollow) {
            AdvanceToNextPrinter(false);
            return;
        }
        m_view->StopTimer();
        Finish();
        return;
    }
    m_view->StopTimer();
    bool continueRun = true;
    const bool proceed = ReportPrinterResult(result, m_job.connected.load() != 0, NodeLabel(node),
                                             moreFollow, &continueRun);
    m_jobFlag = proceed ? 1 : 0;
    if (!proceed || !continueRun || !moreFollow) {
        Finish();
        return;
    }
    AdvanceToNextPrinter(true);
}

void DeliveryJob::AdvanceToNextPrinter(bool restartTimer) {
    m_job.currentNode = m_job.currentNode->next;
    m_job.bytesSent.store(0);
    ShowCurrentPrinter();
    if (restartTimer)
        m_view->StartTimer();
    StartWorker();
    UpdateProgress();
}

void DeliveryJob::Cancel() {
    if (!m_lock)
        return; // no run in progress
    // A worker that is still opening holds the lock: this waits until the open has ended, and
    // the worker passes the Cancel on to the new connection itself.
    m_job.cancelWaiting.store(1);
    std::lock_guard guard(*m_lock);
    m_job.cancelWaiting.store(0);
    if (m_job.workerActive.load() == 1) {
        if (m_job.connection != nullptr)
            TransportTable[m_job.connection->transportIndex].Cancel(m_job.connection);
    } else {
        m_cancelRequest = true;
    }
}

void DeliveryJob::Finish() {
    m_worker.Release();
    HeapFree(m_job.data);
    m_job.data = nullptr;
    m_job.dataLength = 0;
    m_job.deliveryLock = nullptr;
    m_lock.reset();
    m_view->CloseWithOk();
}

void DeliveryJob::StartWorker() {
    m_job.result.store(kResultSuccess);
    m_job.connected.store(0);
    m_job.connection = nullptr;
    m_job.workerActive.store(1);
    m_worker.Start(&m_job);
}

void DeliveryJob::UpdateProgress() {
    m_view->SetProgressPosition(m_progress.Position(m_job.bytesSent.load()));
}

void DeliveryJob::ShowCurrentPrinter() {
    m_statusText = ResString(IDS_SENDING_PRINTER) + NodeLabel(m_job.currentNode);
    m_view->ShowStatusText(m_statusText);
}
