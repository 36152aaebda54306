#pragma once

#include "delivery/delivery_job.h"
#include "delivery/delivery_node.h"

#include <QDialog>
#include <QString>
#include <QStringView>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress dialog of a delivery: shows which printer is being served and how far its data
// has gone, and runs the job on its 100 ms timer. Cancel (the button, Escape or the close box)
// stops the current printer but never closes the dialog; only the job's end does.
class CSending : public QDialog, private DeliveryJobView {
    Q_OBJECT
  public:
    explicit CSending(QWidget* parent = nullptr);

    // Set up before each run, in this order: path, nodes, first status line, transport index
    // and job flag 1. After the run, JobFlag() and each node's sent flag tell the outcome.
    void SetBackupFilePath(QStringView path);
    void SetDeliveryList(DeliveryNode* nodes);
    void SetStatusText(const QString& text);
    void SetTransportIndex(int32_t index);
    void SetJobFlag(int32_t flag);
    int32_t JobFlag() const;
    // The job itself, for a caller that sets it up in the core's own text.
    DeliveryJob& Job() { return m_job; }

    // Runs the job modally; always ends through the OK path (QDialog::Accepted).
    int exec() override;

  public slots:
    void reject() override;

  private:
    void ShowStatusText(const std::u16string& text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void StartTimer() override;
    void StopTimer() override;
    void CloseWithOk() override;

    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QTimer m_timer;
    DeliveryJob m_job;
    bool m_ended = false;
};
