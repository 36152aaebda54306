#pragma once

#include "delivery/delivery_job.h"
#include "delivery/delivery_node.h"
#include "win32/dialog.h"

#include <string>
#include <string_view>

// The progress dialog of a delivery: which printer is being served and how far its data has
// gone; runs the job on its 100 ms timer. Cancel (the button, Escape or the close box) stops
// the current printer but never closes the dialog; only the job's end does.
class CSending : public CDialog, private DeliveryJobView {
  public:
    CSending();

    // Set up before each run, in this order: path, nodes, first status line, transport index and
    // job flag 1. After the run, JobFlag() and each node's sent flag tell the outcome.
    void SetBackupFilePath(std::u16string_view path) { m_job.SetBackupFilePath(path); }
    void SetDeliveryList(DeliveryNode* nodes) { m_job.SetDeliveryList(nodes); }
    void SetStatusText(const std::u16string& text) { m_job.SetStatusText(text); }
    void SetTransportIndex(int32_t index) { m_job.SetTransportIndex(index); }
    void SetJobFlag(int32_t flag) { m_job.SetJobFlag(flag); }
    int32_t JobFlag() const { return m_job.JobFlag(); }
    DeliveryJob& Job() { return m_job; }

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    void ShowStatusText(const std::u16string& text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void StartTimer() override;
    void StopTimer() override;
    void CloseWithOk() override;

    DeliveryJob m_job;
};
