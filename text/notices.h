#pragma once

#include "platform/message_box.h"
#include "text/result_code.h"

#include <cstdint>
#include <string>

// The out-of-memory notice; the caller abandons its operation afterwards.
int ShowOutOfMemory();

// Notice for a printer whose delivery failed. Returns true only when more printers follow and
// the operator chose OK.
bool ShowSendFailure(bool connected, const std::u16string& label, bool moreFollow);

// Notice for a printer whose delivery was interrupted; same answer rule as ShowSendFailure.
bool ShowUpdateInterrupted(const std::u16string& label, bool moreFollow);

// Notice that the backup file could not be read when the delivery started.
void ShowBadUpdateFile();

// Turns a printer's result code into its notice. Returns whether the run may proceed; writes
// whether the operator wants to continue into `continueRun` only for codes that show a choice.
bool ReportPrinterResult(ResultCode code, bool connected, const std::u16string& label,
                         bool moreFollow, bool* continueRun);

// The notice for a community name holding a character it may not hold.
void ShowInvalidCommunityName();

// The notice of a second start whose file the running window did not take.
void ShowFileNotHandedOver(const std::u16string& path);

// "Please enter no more than N characters." for a field that holds more than `maxChars`.
void ShowFieldTooLong(int maxChars);

// The application message box: caption "Tolvane", owned by the main window, with the
// exclamation icon for OK boxes and the question icon for Yes/No boxes unless one is given.
int AppMessageBox(const std::u16string& text, unsigned flags);
int AppMessageBox(uint16_t stringId, unsigned flags);

// The window that owns application message boxes (none until the main window exists).
void SetAppMainWindow(WindowHandle window);
WindowHandle AppMainWindow();
