#include "workflow/main_window_controller.h"

#include "delivery/transport.h"
#include "discovery/address_range.h"
#include "discovery/snmp_codec.h"
#include "platform/message_box.h"
#include "platform/text_convert.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "text/string_table.h"

namespace {

// The busy cursor for as long as it lives.
class BusyWhileSearching {
  public:
    explicit BusyWhileSearching(MainWindowView& view) : m_view(view) { m_view.ShowBusy(true); }
    ~BusyWhileSearching() { m_view.ShowBusy(false); }
    BusyWhileSearching(const BusyWhileSearching&) = delete;
    BusyWhileSearching& operator=(const BusyWhileSearching&) = delete;

  private:
    MainWindowView& m_view;
};

} // namespace

MainWindowController::MainWindowController(MainWindowView& view, PrinterListController& list,
                                           std::u16string commandLineFile)
    : m_view(view), m_list(list), m_backupFileName(std::move(commandLineFile)),
      m_communityName(NarrowToWide(kSnmpDefaultCommunity)) {
    m_list.SetOutOfMemoryStop([this] { OnOutOfMemoryStop(); });
}

MainWindowController::~MainWindowController() {
    ReleaseTableLists(&m_lists);
}

bool MainWindowController::OnWindowUp(const AppSettings& settings) {
    m_view.ShowFileName(m_backupFileName);
    m_list.SetUpTable(&m_lists);
    if (m_list.BuildModelList(settings.modelList) == 0)
        return false;
    m_settings = settings;

    bool rebuilt = false;
    {
        const BusyWhileSearching searching(m_view);
        rebuilt = m_list.RunDiscoveryDriver(m_settings.versionKind, m_communityName) != 0;
    }
    if (rebuilt) {
        m_list.FillPrinterList();
        m_list.UpdateCommandButtons();
    }
    if (m_stopping)
        return false;
    m_list.InitialSort();
    m_view.SetTitle(ResString(IDS_MAIN_TITLE));
    return true;
}

void MainWindowController::OnOutOfMemoryStop() {
    // The list has shown the notice and released every list and the delivery history.
    m_stopping = true;
    m_view.EndWindow(kEndOutOfMemory);
}

void MainWindowController::OnRefresh() {
    if (m_stopping)
        return;
    ReleaseDiscoveryResults(&m_lists);
    const BusyWhileSearching searching(m_view);
    m_list.RefreshPrinters(m_settings.versionKind, m_communityName);
}

void MainWindowController::OnAddPrinter() {
    uint32_t address = 0;
    if (!m_view.RunAddPrinterDialog(&address))
        return;
    if (AddManualPrinter(&m_lists, NarrowToWide(DottedAddress(address))))
        OnRefresh();
}

void MainWindowController::OnCommunity() {
    std::u16string name = m_communityName;
    if (m_view.RunCommunityDialog(&name))
        m_communityName = name;
    OnRefresh();
}

void MainWindowController::OnBrowse() {
    std::u16string path;
    if (m_view.RunFileDialog(&path))
        m_backupFileName = path;
    // Cancelled or not, the field shows the window's name again.
    m_view.ShowFileName(m_backupFileName);
}

void MainWindowController::OnSelectAll() {
    m_list.SelectAll();
}

void MainWindowController::OnClearAll() {
    m_list.ClearAll();
}

void MainWindowController::OnDownload() {
    if (!CheckDownload(*this, m_settings.backupFilePath))
        return;
    Deliver();
    if (!m_stopping)
        m_list.Refill();
}

bool MainWindowController::ReadFileName(int maxChars, std::u16string* name) {
    const std::u16string text = m_view.FileFieldText();
    if (text.size() > static_cast<size_t>(maxChars)) {
        ShowFieldTooLong(maxChars);
        m_view.SelectFileField();
        return false;
    }
    m_backupFileName = text;
    *name = text;
    return true;
}

bool MainWindowController::AnyRowTicked() const {
    return m_list.AnyRowTicked();
}

void MainWindowController::Deliver() {
    DeliveryJob& job = m_view.ProgressJob();
    job.SetBackupFilePath(WideText(m_settings.backupFilePath));
    FreeDeliveryNodes(m_lists.nodes);
    m_lists.nodes = nullptr;
    m_lists.nodeCount = 0;
    if (m_list.CollectTickedPrinters(&m_lists.nodes, &m_lists.nodeCount) == 0 ||
        m_lists.nodes == nullptr) {
        AppMessageBox(IDS_SELECT_PRINTERS, MB_OK);
        return;
    }
    job.SetStatusText(ResString(IDS_SENDING_PRINTER) +
                      std::u16string(WideText(m_lists.nodes->ipAddress)));
    job.SetDeliveryList(m_lists.nodes);
    job.SetTransportIndex(kTcpTransportIndex);
    job.SetJobFlag(1);
    const int result = m_view.RunDeliveryDialog();
    // Without a usable outcome the table stays as it was.
    if (result != 0 && job.JobFlag() == 0)
        return;
    m_list.RecordDeliveryResults(m_lists.nodes);
}
