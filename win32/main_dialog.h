#pragma once

#include "printers/settings.h"
#include "win32/add_printer_dialog.h"
#include "win32/community_dialog.h"
#include "win32/dialog.h"
#include "win32/drag_edit.h"
#include "win32/printer_list.h"
#include "win32/sending_dialog.h"
#include "workflow/main_window_controller.h"

#include <optional>
#include <string>

// The program's main window: the backup file name, the printer table and the command buttons.
// It draws and runs its dialogs for the workflow (MainWindowController), to which its buttons go.
// Ending it ends the program.
class CTolvaneDlg : public CDialog, private MainWindowView {
  public:
    // `commandLineFile` becomes the initial backup file name; `settings` are the application's.
    CTolvaneDlg(const std::u16string& commandLineFile, const AppSettings& settings);
    ~CTolvaneDlg() override;

    CNetworkPrinterList& PrinterList() { return m_printerList; }

  protected:
    BOOL OnInitDialog() override;
    // Enter presses the focused button and does nothing elsewhere: the window stays.
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    std::u16string FileFieldText() const override;
    void ShowFileName(const std::u16string& name) override;
    void SelectFileField() override;
    void ShowBusy(bool busy) override;
    void SetTitle(const std::u16string& title) override;
    bool RunAddPrinterDialog(uint32_t* address) override;
    bool RunCommunityDialog(std::u16string* name) override;
    bool RunFileDialog(std::u16string* path) override;
    DeliveryJob& ProgressJob() override;
    int RunDeliveryDialog() override;
    void EndWindow(int code) override;

    // A file handed over by a second start waits while a dialog of the window is open, so that
    // a question on screen never names another file than the one it sends.
    LRESULT OnHandedOverPath(const COPYDATASTRUCT* message);
    void ApplyHandedOverPathWhenIdle();

    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    HCURSOR m_cursorBeforeSearch = nullptr;
    CSending m_sending;
    CDlgSNMP m_dlgSNMP;
    CDlgSetIPAddress m_dlgSetIPAddress;
    const AppSettings& m_appSettings;
    CNetworkPrinterList m_printerList;
    CDragEdit m_fileNameEdit;
    MainWindowController m_controller;
    std::optional<std::u16string> m_handedOverPath;
};
