#pragma once

#include "printers/download_checks.h"
#include "printers/settings.h"
#include "printers/table_refresh.h"
#include "workflow/main_window_view.h"
#include "workflow/printer_list_controller.h"

#include <string>

// The main window's workflow, the same in both windows: the start-up search, the commands of
// its buttons and the out-of-memory stop, over the window (`view`) and its printer list
// (`list`). The window keeps only its widgets and turns their events into these calls.
class MainWindowController final : private DownloadForm {
  public:
    // `commandLineFile` becomes the initial backup file name.
    MainWindowController(MainWindowView& view, PrinterListController& list,
                         std::u16string commandLineFile);
    ~MainWindowController() override;
    MainWindowController(const MainWindowController&) = delete;
    MainWindowController& operator=(const MainWindowController&) = delete;

    // The steps once the window exists: the file name field, the model list, the first search
    // and fill, the initial sort and the title. False when the out-of-memory stop ended it.
    bool OnWindowUp(const AppSettings& settings);

    // The commands, as their buttons run them.
    void OnRefresh();
    void OnAddPrinter();
    void OnCommunity();
    void OnBrowse();
    void OnSelectAll();
    void OnClearAll();
    void OnDownload();

    const std::u16string& CommunityName() const { return m_communityName; }

  private:
    bool ReadFileName(int maxChars, std::u16string* name) override;
    bool AnyRowTicked() const override;
    void Deliver();
    void OnOutOfMemoryStop();

    MainWindowView& m_view;
    PrinterListController& m_list;
    PrinterTableLists m_lists; // hand-added printers, entries, models, results, delivery nodes
    AppSettings m_settings{};
    std::u16string m_backupFileName;
    std::u16string m_communityName;
    bool m_stopping = false;
};
