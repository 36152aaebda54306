#include "win32/main_dialog.h"

#include "resources/windows/resource_ids.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "win32/about_dialog.h"
#include "win32/resource.h"
#include "win32/running_window.h"
#include "win32/window_text.h"

#include <commdlg.h>

#include <string>

namespace {

constexpr UINT_PTR kHandoverTimer = 1;
constexpr UINT kHandoverPollMs = 50;

// The file dialog's filter: the resource's '|' separators become the terminators Windows wants.
std::wstring OpenFileFilter() {
    std::u16string filter = LoadResourceString(IDS_BACKUP_FILTER);
    for (char16_t& c : filter) {
        if (c == u'|')
            c = u'\0';
    }
    return std::wstring(WideChars(filter), filter.size());
}

} // namespace

CTolvaneDlg::CTolvaneDlg(const std::u16string& commandLineFile, const AppSettings& settings)
    : CDialog(IDD_TOLVANE_DIALOG), m_appSettings(settings),
      m_controller(*this, m_printerList.Controller(), commandLineFile) {}

CTolvaneDlg::~CTolvaneDlg() {
    if (m_hIcon != nullptr)
        DestroyIcon(m_hIcon);
    if (m_hSmallIcon != nullptr)
        DestroyIcon(m_hSmallIcon);
}

BOOL CTolvaneDlg::OnInitDialog() {
    m_fileNameEdit.Attach(Item(IDC_FILE_NAME));
    m_printerList.Attach(Item(IDC_PRINTER_LIST));

    if (const std::u16string about = LoadResourceString(IDS_ABOUTBOX); !about.empty()) {
        HMENU menu = GetSystemMenu(m_hWnd, FALSE);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, WideChars(about));
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_hIcon =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    m_hSmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon));

    SetAppMainWindow(m_hWnd);
    m_printerList.SetUpTable();
    m_printerList.SetCommandButtons(Item(IDC_SELECT_ALL), Item(IDC_CLEAR_ALL), Item(IDC_DOWNLOAD));
    m_printerList.InitHeaderImages();
    if (m_controller.OnWindowUp(m_appSettings))
        MarkRunningWindow(m_hWnd);
    return TRUE;
}

void CTolvaneDlg::OnOK() {
    // Enter comes here from the field and the list as well: only a focused button acts on it.
    HWND focus = GetFocus();
    const int id = GetDlgCtrlID(focus);
    if (focus == nullptr || GetParent(focus) != m_hWnd || id == IDOK)
        return;
    wchar_t className[16] = {};
    GetClassNameW(focus, className, 16);
    if (lstrcmpiW(className, L"Button") == 0 && IsWindowEnabled(focus))
        OnCommand(id, BN_CLICKED, focus);
}

bool CTolvaneDlg::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    void (MainWindowController::*command)() = nullptr;
    switch (id) {
    case IDC_BROWSE:
        command = &MainWindowController::OnBrowse;
        break;
    case IDC_SELECT_ALL:
        command = &MainWindowController::OnSelectAll;
        break;
    case IDC_CLEAR_ALL:
        command = &MainWindowController::OnClearAll;
        break;
    case IDC_UPDATE:
        command = &MainWindowController::OnRefresh;
        break;
    case IDC_ADD_PRINTER:
        command = &MainWindowController::OnAddPrinter;
        break;
    case IDC_COMMUNITY:
        command = &MainWindowController::OnCommunity;
        break;
    case IDC_DOWNLOAD:
        command = &MainWindowController::OnDownload;
        break;
    default:
        return false;
    }
    (m_controller.*command)();
    return true;
}

bool CTolvaneDlg::OnNotify(NMHDR* header, LRESULT* result) {
    if (header->idFrom != IDC_PRINTER_LIST)
        return false;
    switch (header->code) {
    case NM_CLICK:
        m_printerList.OnListClick(reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction);
        *result = 0;
        return true;
    case LVN_COLUMNCLICK:
        m_printerList.Controller().OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        *result = 0;
        return true;
    case LVN_ITEMCHANGING:
        // Rows are never selected; only their tick boxes change.
        *result = (reinterpret_cast<NMLISTVIEW*>(header)->uNewState & LVIS_SELECTED) != 0;
        return true;
    default:
        return false;
    }
}

bool CTolvaneDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal(m_hWnd);
        *result = 0;
        return true;
    }
    if (message == WM_QUERYDRAGICON) {
        *result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    }
    if (message == WM_COPYDATA) {
        *result = OnHandedOverPath(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return true;
    }
    if (message == WM_TIMER && wParam == kHandoverTimer) {
        ApplyHandedOverPathWhenIdle();
        *result = 0;
        return true;
    }
    if (message == WM_DESTROY)
        UnmarkRunningWindow(m_hWnd);
    return false;
}

LRESULT CTolvaneDlg::OnHandedOverPath(const COPYDATASTRUCT* message) {
    std::optional<std::u16string> path = HandedOverPath(message);
    if (!path)
        return FALSE;
    // Never applied inside the sender's call: only the window's own message loop does.
    m_handedOverPath = std::move(path);
    SetTimer(m_hWnd, kHandoverTimer, kHandoverPollMs, nullptr);
    return TRUE;
}

void CTolvaneDlg::ApplyHandedOverPathWhenIdle() {
    // Every dialog of the window, and every notice, disables it while it is open.
    if (!IsWindowEnabled(m_hWnd))
        return;
    KillTimer(m_hWnd, kHandoverTimer);
    if (m_handedOverPath)
        m_fileNameEdit.TakePath(*m_handedOverPath);
    m_handedOverPath.reset();
}

std::u16string CTolvaneDlg::FileFieldText() const {
    return WindowText(Item(IDC_FILE_NAME));
}

void CTolvaneDlg::ShowFileName(const std::u16string& name) {
    SetWindowTextOf(Item(IDC_FILE_NAME), name);
    SendMessageW(Item(IDC_FILE_NAME), EM_LIMITTEXT, kFileNameFieldChars, 0);
}

void CTolvaneDlg::SelectFileField() {
    SetFocus(Item(IDC_FILE_NAME));
    SendMessageW(Item(IDC_FILE_NAME), EM_SETSEL, 0, -1);
}

void CTolvaneDlg::ShowBusy(bool busy) {
    if (busy)
        m_cursorBeforeSearch = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    else
        SetCursor(m_cursorBeforeSearch);
}

void CTolvaneDlg::SetTitle(const std::u16string& title) {
    SetWindowTextOf(m_hWnd, title);
}

bool CTolvaneDlg::RunAddPrinterDialog(uint32_t* address) {
    m_dlgSetIPAddress.SetAddress(*address);
    if (m_dlgSetIPAddress.DoModal(m_hWnd) != IDOK)
        return false;
    *address = m_dlgSetIPAddress.Address();
    return true;
}

bool CTolvaneDlg::RunCommunityDialog(std::u16string* name) {
    m_dlgSNMP.SetCommunityName(*name);
    if (m_dlgSNMP.DoModal(m_hWnd) != IDOK)
        return false;
    *name = m_dlgSNMP.CommunityName();
    return true;
}

bool CTolvaneDlg::RunFileDialog(std::u16string* path) {
    const std::wstring filter = OpenFileFilter();
    const std::u16string extension = LoadResourceString(IDS_BACKUP_EXTENSION);
    std::wstring chosen(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrDefExt = WideChars(extension);
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog))
        return false;
    *path = CoreText(chosen.c_str());
    return true;
}

DeliveryJob& CTolvaneDlg::ProgressJob() {
    return m_sending.Job();
}

int CTolvaneDlg::RunDeliveryDialog() {
    return static_cast<int>(m_sending.DoModal(m_hWnd));
}

void CTolvaneDlg::EndWindow(int code) {
    EndDialog(code);
}
