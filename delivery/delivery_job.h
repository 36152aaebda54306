#pragma once

#include "delivery/backup_file.h"
#include "delivery/delivery_node.h"
#include "delivery/send_job.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// The job's timer period.
constexpr int kDeliveryTickMs = 100;

// What the delivery job needs from its progress dialog.
class DeliveryJobView {
  public:
    virtual ~DeliveryJobView() = default;
    virtual void ShowStatusText(const std::u16string& text) = 0;
    virtual void SetProgressRange(int lower, int upper) = 0;
    // 0 shows an empty bar; other positions lie within the range.
    virtual void SetProgressPosition(int position) = 0;
    virtual void StartTimer() = 0; // every kDeliveryTickMs, calls Tick
    virtual void StopTimer() = 0;
    virtual void CloseWithOk() = 0;
};

// How the progress bar shows bytes sent: a range of 1 to the file length with its low eight
// bits cleared (at least 256, so that a file of fewer than 256 bytes has a sane bar), and
// positions in steps of 256. Files of 2 GiB or more are shown at half scale so that the range
// fits the bar's int.
struct ProgressScale {
    explicit ProgressScale(uint32_t dataLength);
    int Upper() const;
    int Position(uint32_t bytesSent) const;

    uint32_t upper;
    int shift;
};

// The delivery of one backup file to a chain of printers, one worker thread per printer, driven
// by the view's timer. Runs on the user-interface thread; only the worker runs elsewhere.
class DeliveryJob {
  public:
    DeliveryJob();
    ~DeliveryJob();
    DeliveryJob(const DeliveryJob&) = delete;
    DeliveryJob& operator=(const DeliveryJob&) = delete;

    // Set up by the main window before each run.
    void SetBackupFilePath(std::u16string_view path); // keeps at most 255 characters
    void SetDeliveryList(DeliveryNode* nodes);
    void SetStatusText(const std::u16string& text);
    void SetTransportIndex(int32_t index);
    void SetJobFlag(int32_t flag);

    // 0 when the job ended without a usable outcome (unreadable file, memory exhausted): the
    // printer table must then stay as it was. Otherwise each node's sent flag tells.
    int32_t JobFlag() const { return m_jobFlag; }
    const std::u16string& StatusText() const { return m_statusText; }

    // The dialog has opened: reads the file and starts the timer, or ends the job at once.
    void Initialise(DeliveryJobView* view);
    // One timer period has passed.
    void Tick();
    // The operator asked to stop the current printer.
    void Cancel();

  private:
    // The steps of a tick once the current printer's worker has ended: after a Cancel, or by
    // its result.
    void EndInterruptedPrinter();
    void EndPrinterByResult();
    // Moves on to the next printer with a fresh progress bar and a new worker; the timer is
    // started again when a notice stopped it.
    void AdvanceToNextPrinter(bool restartTimer);
    void Finish();
    void StartWorker();
    void UpdateProgress();
    void ShowCurrentPrinter();
    void EndWithBadFile();

    int32_t m_jobFlag = 0;
    SendJob m_job{};
    DeliveryNode* m_nodes = nullptr;
    char16_t m_path[kPathUnits] = {};
    std::u16string m_statusText;
    bool m_cancelRequest = false;
    std::optional<std::mutex> m_lock; // the delivery lock, alive for one run
    WorkerThread m_worker;
    ProgressScale m_progress{0};
    DeliveryJobView* m_view = nullptr;
};
