#pragma once

#include "delivery/delivery_job.h"
#include "workflow/main_window_view.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A main window that keeps what it is told and answers its dialogs as scripted. Its progress
// dialog runs the job to its end, ticking faster than the real timer: only the order counts.
class FakeMainWindowView final : public MainWindowView, private DeliveryJobView {
  public:
    std::u16string FileFieldText() const override { return field; }
    void ShowFileName(const std::u16string& name) override {
        field = name;
        fieldSelected = false;
    }
    void SelectFileField() override { fieldSelected = true; }
    void ShowBusy(bool on) override { busy = on; }
    void SetTitle(const std::u16string& text) override { title = text; }
    bool RunAddPrinterDialog(uint32_t* address) override {
        addressesOffered.push_back(*address);
        return Answer(addressAnswer, address);
    }
    bool RunCommunityDialog(std::u16string* name) override {
        namesOffered.push_back(*name);
        return Answer(nameAnswer, name);
    }
    bool RunFileDialog(std::u16string* path) override { return Answer(pathAnswer, path); }
    DeliveryJob& ProgressJob() override { return job; }
    int RunDeliveryDialog() override {
        ++deliveryRuns;
        closed = false;
        job.Initialise(this);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!closed && std::chrono::steady_clock::now() < deadline) {
            if (timerRunning)
                job.Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return 1; // the dialog always ends through OK
    }
    void EndWindow(int code) override { endCodes.push_back(code); }

    std::u16string field;
    bool fieldSelected = false;
    bool busy = false;
    std::u16string title;
    std::optional<uint32_t> addressAnswer; // none: Cancel
    std::optional<std::u16string> nameAnswer;
    std::optional<std::u16string> pathAnswer;
    std::vector<uint32_t> addressesOffered;
    std::vector<std::u16string> namesOffered;
    int deliveryRuns = 0;
    std::vector<int> endCodes;
    DeliveryJob job;

  private:
    template <typename T> static bool Answer(const std::optional<T>& answer, T* value) {
        if (!answer)
            return false;
        *value = *answer;
        return true;
    }
    void ShowStatusText(const std::u16string&) override {}
    void SetProgressRange(int, int) override {}
    void SetProgressPosition(int) override {}
    void StartTimer() override { timerRunning = true; }
    void StopTimer() override { timerRunning = false; }
    void CloseWithOk() override { closed = true; }

    bool timerRunning = false;
    bool closed = false;
};
