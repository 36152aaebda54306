#pragma once

#include "delivery/delivery_job.h"

#include <cstdint>
#include <string>

// End code of the main window after an out-of-memory stop; it ends the program.
constexpr int kEndOutOfMemory = 5;

// What the main-window controller asks of a window. The window draws and runs its dialogs;
// every decision (what a command does, in which order, what its result means) is the
// controller's. Notices and questions go through the application message box.
class MainWindowView {
  public:
    // The backup file name field as the operator left it.
    virtual std::u16string FileFieldText() const = 0;
    // Puts `name` into the field whole, typing there limited to kFileNameFieldChars.
    virtual void ShowFileName(const std::u16string& name) = 0;
    // After the field's length notice: the field gets the focus with its text selected.
    virtual void SelectFileField() = 0;

    // The busy cursor while the printers are searched.
    virtual void ShowBusy(bool busy) = 0;
    virtual void SetTitle(const std::u16string& title) = 0;

    // The modal dialogs, each opened with the value given; true when the operator chose OK (the
    // value is then the one chosen).
    virtual bool RunAddPrinterDialog(uint32_t* address) = 0;
    virtual bool RunCommunityDialog(std::u16string* name) = 0;
    virtual bool RunFileDialog(std::u16string* path) = 0;

    // The progress dialog's job, set up by the controller before each run.
    virtual DeliveryJob& ProgressJob() = 0;
    // Runs the progress dialog over that job; its end code.
    virtual int RunDeliveryDialog() = 0;

    // Ends the window's modal run with `code` once the step in progress has returned.
    virtual void EndWindow(int code) = 0;

  protected:
    virtual ~MainWindowView() = default;
};
