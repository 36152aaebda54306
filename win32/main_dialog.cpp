#include "win32/main_dialog.h"

#include "discovery/address_range.h"
#include "discovery/snmp_codec.h"
#include "platform/text_convert.h"
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

// Shows a busy cursor while a search runs.
class BusyCursor {
  public:
    BusyCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { SetCursor(m_previous); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    HCURSOR m_previous;
};

} // namespace

CTolvaneDlg::CTolvaneDlg(const std::u16string& commandLineFile, const AppSettings& settings)
    : CDialog(IDD_TOLVANE_DIALOG),
      m_communityName(kSnmpDefaultCommunity, kSnmpDefaultCommunity + std::char_traits<char>::length(
                                                                         kSnmpDefaultCommunity)),
      m_appSettings(settings), m_backupFileName(commandLineFile) {}

CTolvaneDlg::~CTolvaneDlg() {
    ReleaseTableLists(&m_lists);
    if (m_hIcon != nullptr)
        DestroyIcon(m_hIcon);
    if (m_hSmallIcon != nullptr)
        DestroyIcon(m_hSmallIcon);
}

BOOL CTolvaneDlg::OnInitDialog() {
    m_fileNameEdit.Attach(Item(IDC_FILE_NAME));
    m_printerList.Attach(Item(IDC_PRINTER_LIST));
    DoDataExchange(false);

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
    PrinterListController& list = m_printerList.Controller();
    m_printerList.SetUpTable();
    list.SetUpTable(&m_lists);
    m_printerList.SetCommandButtons(Item(IDC_SELECT_ALL), Item(IDC_CLEAR_ALL), Item(IDC_DOWNLOAD));
    if (list.BuildModelList(m_appSettings.modelList) == 0)
        return StopWhenOutOfMemory();
    m_settings = m_appSettings;

    bool rebuilt = false;
    {
        const BusyCursor searching;
        rebuilt = list.RunDiscoveryDriver(m_settings.versionKind, m_communityName) != 0;
    }
    if (rebuilt) {
        list.FillPrinterList();
        list.UpdateCommandButtons();
    }
    if (StopWhenOutOfMemory())
        return TRUE;
    m_printerList.InitHeaderImages();
    list.InitialSort();
    SetWindowTextOf(m_hWnd, LoadResourceString(IDS_MAIN_TITLE));
    MarkRunningWindow(m_hWnd);
    return TRUE;
}

bool CTolvaneDlg::StopWhenOutOfMemory() {
    if (!m_printerList.Controller().OutOfMemoryStopped())
        return false;
    EndDialog(kEndOutOfMemory);
    return true;
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
    switch (id) {
    case IDC_BROWSE:
        OnBrowse();
        return true;
    case IDC_SELECT_ALL:
        m_printerList.Controller().SelectAll();
        return true;
    case IDC_CLEAR_ALL:
        m_printerList.Controller().ClearAll();
        return true;
    case IDC_UPDATE:
        RefreshPrinters();
        return true;
    case IDC_ADD_PRINTER:
        OnAddPrinter();
        return true;
    case IDC_COMMUNITY:
        OnCommunity();
        return true;
    case IDC_DOWNLOAD:
        OnDownload();
        return true;
    default:
        return false;
    }
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

bool CTolvaneDlg::DoDataExchange(bool save) {
    if (save)
        return ReadFileName(kFileNameFieldChars, &m_backupFileName);
    SetWindowTextOf(Item(IDC_FILE_NAME), m_backupFileName);
    SendMessageW(Item(IDC_FILE_NAME), EM_LIMITTEXT, kFileNameFieldChars, 0);
    return true;
}

bool CTolvaneDlg::ReadFileName(int maxChars, std::u16string* name) {
    HWND field = Item(IDC_FILE_NAME);
    const std::u16string text = WindowText(field);
    if (text.size() > static_cast<size_t>(maxChars)) {
        ShowFieldTooLong(maxChars);
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
        return false;
    }
    m_backupFileName = text;
    *name = text;
    return true;
}

bool CTolvaneDlg::AnyRowTicked() const {
    return m_printerList.Controller().AnyRowTicked();
}

void CTolvaneDlg::RefreshPrinters() {
    ReleaseDiscoveryResults(&m_lists);
    const BusyCursor searching;
    m_printerList.Controller().RefreshPrinters(m_settings.versionKind, m_communityName);
    StopWhenOutOfMemory();
}

void CTolvaneDlg::OnAddPrinter() {
    m_dlgSetIPAddress.SetAddress(0);
    if (m_dlgSetIPAddress.DoModal(m_hWnd) != IDOK)
        return;
    if (AddManualPrinter(&m_lists, NarrowToWide(DottedAddress(m_dlgSetIPAddress.Address()))))
        RefreshPrinters();
}

void CTolvaneDlg::OnCommunity() {
    m_dlgSNMP.SetCommunityName(m_communityName);
    if (m_dlgSNMP.DoModal(m_hWnd) == IDOK)
        m_communityName = m_dlgSNMP.CommunityName();
    RefreshPrinters();
}

void CTolvaneDlg::OnBrowse() {
    const std::wstring filter = OpenFileFilter();
    const std::u16string extension = LoadResourceString(IDS_BACKUP_EXTENSION);
    std::wstring path(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = WideChars(extension);
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog))
        m_backupFileName = CoreText(path.c_str());
    DoDataExchange(false);
}

void CTolvaneDlg::OnDownload() {
    if (!CheckDownload(*this, m_settings.backupFilePath))
        return;
    Deliver();
    if (!StopWhenOutOfMemory())
        m_printerList.Controller().Refill();
}

void CTolvaneDlg::Deliver() {
    m_sending.SetBackupFilePath(WideText(m_settings.backupFilePath));
    FreeDeliveryNodes(m_lists.nodes);
    m_lists.nodes = nullptr;
    m_lists.nodeCount = 0;
    if (m_printerList.Controller().CollectTickedPrinters(&m_lists.nodes, &m_lists.nodeCount) == 0 ||
        m_lists.nodes == nullptr) {
        AppMessageBox(IDS_SELECT_PRINTERS, MB_OK);
        return;
    }
    m_sending.SetStatusText(LoadResourceString(IDS_SENDING_PRINTER) +
                            std::u16string(WideText(m_lists.nodes->ipAddress)));
    m_sending.SetDeliveryList(m_lists.nodes);
    m_sending.SetTransportIndex(kTcpTransportIndex);
    m_sending.SetJobFlag(1);
    const INT_PTR result = m_sending.DoModal(m_hWnd);
    if (result != 0 && m_sending.JobFlag() == 0)
        return;
    m_printerList.Controller().RecordDeliveryResults(m_lists.nodes);
}
