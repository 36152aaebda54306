#pragma once

#include "printers/download_checks.h"
#include "printers/settings.h"
#include "printers/table_refresh.h"
#include "win32/add_printer_dialog.h"
#include "win32/community_dialog.h"
#include "win32/dialog.h"
#include "win32/drag_edit.h"
#include "win32/printer_list.h"
#include "win32/sending_dialog.h"
#include "workflow/main_window_view.h"

#include <optional>
#include <string>

// The program's main window: the backup file name, the printer table and every command of the
// workflow. Ending it ends the program.
class CTolvaneDlg : public CDialog, private DownloadForm {
  public:
    // `commandLineFile` becomes the initial backup file name; `settings` are the application's.
    CTolvaneDlg(const std::u16string& commandLineFile, const AppSettings& settings);
    ~CTolvaneDlg() override;

    // The commands, as their buttons run them.
    void RefreshPrinters();
    void OnAddPrinter();
    void OnCommunity();
    void OnBrowse();
    void OnDownload();

    const std::u16string& CommunityName() const { return m_communityName; }
    CNetworkPrinterList& PrinterList() { return m_printerList; }

  protected:
    BOOL OnInitDialog() override;
    // Enter presses the focused button and does nothing elsewhere: the window stays.
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    // Towards the controls when `save` is false; from them otherwise, false (after the length
    // notice) for a name too long for the field.
    bool DoDataExchange(bool save);
    bool ReadFileName(int maxChars, std::u16string* name) override;
    bool AnyRowTicked() const override;
    void Deliver();
    // Ends the window once the lists could not be built.
    bool StopWhenOutOfMemory();
    // A file handed over by a second start waits while a dialog of the window is open, so that
    // a question on screen never names another file than the one it sends.
    LRESULT OnHandedOverPath(const COPYDATASTRUCT* message);
    void ApplyHandedOverPathWhenIdle();

    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    PrinterTableLists m_lists;
    std::u16string m_communityName;
    CSending m_sending;
    CDlgSNMP m_dlgSNMP;
    CDlgSetIPAddress m_dlgSetIPAddress;
    const AppSettings& m_appSettings;
    AppSettings m_settings{};
    CNetworkPrinterList m_printerList;
    std::u16string m_backupFileName;
    CDragEdit m_fileNameEdit;
    std::optional<std::u16string> m_handedOverPath;
};
