#pragma once

#include "printers/settings.h"
#include "workflow/start_up.h"

#include <windows.h>

#include <string>

// The program's start-up: common controls, sockets, the one instance per user, the settings and
// the transport, then the main window, whose end ends the program.
class CTolvaneApp : private StartUpSteps {
  public:
    static constexpr wchar_t InstanceName[] = L"Tolvane_Korvil_2950MFP";

    explicit CTolvaneApp(const std::u16string& commandLineFile);
    ~CTolvaneApp();
    CTolvaneApp(const CTolvaneApp&) = delete;
    CTolvaneApp& operator=(const CTolvaneApp&) = delete;

    // Runs start-up and the main window; always false (nothing follows it).
    bool InitInstance();
    int ExitStatus() const { return m_exitStatus; }
    const AppSettings& Settings() const { return m_settings; }

  private:
    void PrepareControls() override;
    bool FirstInstance() override;
    void RegisterWindowClass() override;
    int RunMainWindow(const AppSettings& settings) override;

    std::u16string m_commandLineFile;
    AppSettings m_settings{};
    HANDLE m_singleInstance = nullptr;
    int m_exitStatus = 0;
};
