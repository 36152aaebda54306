#include "win32/application.h"

#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "win32/main_dialog.h"
#include "win32/message_box.h"
#include "win32/running_window.h"
#include "win32/window_text.h"

#include <commctrl.h>

CTolvaneApp::CTolvaneApp(const std::u16string& commandLineFile)
    : m_commandLineFile(commandLineFile) {
    TakeProcessHeap();
    SetMessageBoxFunction(ShowWin32MessageBox);
}

// The mutex is held until the process ends; the system releases it then.
CTolvaneApp::~CTolvaneApp() = default;

bool CTolvaneApp::InitInstance() {
    m_exitStatus = RunStartUp(*this, &m_settings);
    return false;
}

void CTolvaneApp::PrepareControls() {
    // The list, progress and address controls.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
}

int CTolvaneApp::RunMainWindow(const AppSettings& settings) {
    CTolvaneDlg dialog(m_commandLineFile, settings);
    const INT_PTR code = dialog.DoModal(nullptr);
    SetAppMainWindow(nullptr);
    return static_cast<int>(code);
}

bool CTolvaneApp::FirstInstance() {
    m_singleInstance = CreateMutexW(nullptr, TRUE, InstanceName);
    if (m_singleInstance == nullptr)
        return false;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return true;
    // A file double-clicked while the window is open must not be dropped unseen: either the
    // window takes it, or the operator is told.
    if (!ReachRunningWindow(LoadResourceString(IDS_MAIN_TITLE), m_commandLineFile) &&
        !m_commandLineFile.empty())
        ShowFileNotHandedOver(m_commandLineFile);
    return false;
}

void CTolvaneApp::RegisterWindowClass() {
    // The name is kept registered as the dialog class under the program's own name; no window
    // uses it.
    const std::u16string name = LoadResourceString(IDS_WINDOW_CLASS);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(instance, WideChars(name), &windowClass))
        return;
    if (!GetClassInfoExW(nullptr, WC_DIALOG, &windowClass))
        return;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WideChars(name);
    RegisterClassExW(&windowClass);
}
