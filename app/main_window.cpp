#include "app/main_window.h"

#include "app/application.h"
#include "app/network_printer_list.h"
#include "discovery/address_range.h"
#include "discovery/snmp_codec.h"
#include "platform/message_box.h"
#include "platform/text_convert.h"
#include "printers/printer_table.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "ui/about_dialog.h"
#include "ui/add_printer_dialog.h"
#include "ui/busy_cursor.h"
#include "ui/community_dialog.h"
#include "ui/drag_edit.h"
#include "ui/field_exchange.h"
#include "ui/file_filter.h"
#include "ui/program_icon.h"
#include "ui/qt_text.h"
#include "ui/sending_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kHandoverPollMs = 50;

// The window's measures are those of its template, in dialog units: a quarter of the average
// character width across, an eighth of the font height down.
struct DialogUnits {
    explicit DialogUnits(const QFontMetrics& metrics)
        : x(metrics.horizontalAdvance(
                QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
            52.0 / 4.0),
          y(metrics.height() / 8.0) {}
    int Width(int units) const { return static_cast<int>(units * x + 0.5); }
    int Height(int units) const { return static_cast<int>(units * y + 0.5); }
    double x;
    double y;
};

QPushButton* MakeButton(const QString& text, const char* objectName, int width, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setMinimumWidth(width);
    // Otherwise the dialog would make the first of them its default button when it shows.
    button->setAutoDefault(false);
    return button;
}

} // namespace

CTolvaneDlg::CTolvaneDlg(const QString& commandLineFile, QWidget* parent)
    : QDialog(parent), m_hIcon(ProgramIcon()),
      m_communityName(QString::fromLatin1(kSnmpDefaultCommunity)), m_sending(new CSending(this)),
      m_dlgSNMP(new CDlgSNMP(this)), m_dlgSetIPAddress(new CDlgSetIPAddress(this)),
      m_backupFileName(commandLineFile) {
    BuildForm();
}

CTolvaneDlg::~CTolvaneDlg() {
    ReleaseTableLists(&m_lists);
}

void CTolvaneDlg::BuildForm() {
    setWindowTitle(QStringLiteral("Tolvane"));
    const DialogUnits du(fontMetrics());
    const int buttonWidth = du.Width(65);

    auto* fileLabel = new QLabel(tr("Backup &File Name:"), this);
    m_fileNameEdit = new CDragEdit(this);
    m_fileNameEdit->setObjectName(QStringLiteral("fileNameEdit"));
    fileLabel->setBuddy(m_fileNameEdit);
    m_browseButton = MakeButton(tr("&Browse..."), "browseButton", buttonWidth, this);

    auto* printers = new QGroupBox(tr("Printers"), this);
    auto* selectLabel = new QLabel(tr("Please &Select printers to update."), printers);
    m_selectAllButton = MakeButton(tr("Selec&t All"), "selectAllButton", buttonWidth, printers);
    m_clearAllButton = MakeButton(tr("Cl&ear All"), "clearAllButton", buttonWidth, printers);
    m_printerList = new CNetworkPrinterList(printers);
    m_printerList->setObjectName(QStringLiteral("printerList"));
    m_printerList->setMinimumSize(du.Width(296), du.Height(112));
    selectLabel->setBuddy(m_printerList);
    m_updateButton = MakeButton(tr("&Update"), "updateButton", du.Width(66), printers);
    m_addPrinterButton =
        MakeButton(tr("&Add printer..."), "addPrinterButton", buttonWidth, printers);
    m_communityButton = MakeButton(tr("&Community..."), "communityButton", buttonWidth, printers);
    m_downloadButton = MakeButton(tr("&Download..."), "downloadButton", du.Width(119), this);
    m_closeButton = MakeButton(tr("C&lose"), "closeButton", buttonWidth, this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_fileNameEdit, 1);
    fileRow->addWidget(m_browseButton);

    auto* tickRow = new QHBoxLayout;
    tickRow->addWidget(m_selectAllButton);
    tickRow->addWidget(m_clearAllButton);
    tickRow->addStretch(1);

    auto* searchRow = new QHBoxLayout;
    searchRow->addStretch(1);
    searchRow->addWidget(m_updateButton);
    searchRow->addWidget(m_addPrinterButton);
    searchRow->addWidget(m_communityButton);

    auto* printersLayout = new QVBoxLayout(printers);
    printersLayout->addWidget(selectLabel);
    printersLayout->addLayout(tickRow);
    printersLayout->addWidget(m_printerList, 1);
    printersLayout->addLayout(searchRow);

    auto* downloadRow = new QHBoxLayout;
    downloadRow->addStretch(1);
    downloadRow->addWidget(m_downloadButton);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(m_closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileLabel);
    layout->addLayout(fileRow);
    layout->addSpacing(du.Height(4));
    layout->addWidget(printers, 1);
    layout->addSpacing(du.Height(4));
    layout->addLayout(downloadRow);
    layout->addSpacing(du.Height(4));
    layout->addLayout(closeRow);
    resize(du.Width(328), du.Height(281));

    // No button is the default: Enter in the field or the list does nothing.
    connect(m_browseButton, &QPushButton::clicked, this, &CTolvaneDlg::OnBrowse);
    connect(m_selectAllButton, &QPushButton::clicked, this,
            [this] { m_printerList->Controller().SelectAll(); });
    connect(m_clearAllButton, &QPushButton::clicked, this,
            [this] { m_printerList->Controller().ClearAll(); });
    connect(m_updateButton, &QPushButton::clicked, this, &CTolvaneDlg::RefreshPrinters);
    connect(m_addPrinterButton, &QPushButton::clicked, this, &CTolvaneDlg::OnAddPrinter);
    connect(m_communityButton, &QPushButton::clicked, this, &CTolvaneDlg::OnCommunity);
    connect(m_downloadButton, &QPushButton::clicked, this, &CTolvaneDlg::OnDownload);
    connect(m_closeButton, &QPushButton::clicked, this, &CTolvaneDlg::reject);
    m_printerList->Controller().SetOutOfMemoryStop([this] { OnOutOfMemoryStop(); });
    m_handoverTimer.setInterval(kHandoverPollMs);
    connect(&m_handoverTimer, &QTimer::timeout, this, &CTolvaneDlg::ApplyHandedOverFileWhenIdle);
}

void CTolvaneDlg::accept() {}

void CTolvaneDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter presses the button that has the focus; anywhere else it is the OK command, which
    // does nothing.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget());
        button != nullptr && button->isEnabled())
        button->click();
}

void CTolvaneDlg::setVisible(bool visible) {
    if (visible && !m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

bool CTolvaneDlg::DoDataExchange(bool save) {
    if (save)
        return ReadFieldText(m_fileNameEdit, kFileNameFieldChars, &m_backupFileName);
    SetFieldText(m_fileNameEdit, m_backupFileName);
    LimitTyping(m_fileNameEdit, kFileNameFieldChars);
    return true;
}

void CTolvaneDlg::OnInitDialog() {
    DoDataExchange(false);
    InstallAboutEntry(this);
    setWindowIcon(m_hIcon);

    PrinterListController& list = m_printerList->Controller();
    m_printerList->SetUpTable();
    list.SetUpTable(&m_lists);
    m_printerList->SetCommandButtons(m_selectAllButton, m_clearAllButton, m_downloadButton);
    if (list.BuildModelList(SourceSettings().modelList) == 0)
        return;
    m_settings = SourceSettings();

    bool rebuilt = false;
    {
        const BusyCursor searching;
        rebuilt = list.RunDiscoveryDriver(m_settings.versionKind, WideOf(m_communityName)) != 0;
    }
    if (rebuilt) {
        list.FillPrinterList();
        list.UpdateCommandButtons();
    }
    if (m_stopping)
        return;
    m_printerList->InitHeaderImages();
    list.InitialSort();
    setWindowTitle(ResQString(IDS_MAIN_TITLE));
}

const AppSettings& CTolvaneDlg::SourceSettings() {
    if (const CTolvaneApp* app = CTolvaneApp::Current())
        return app->Settings();
    FillDefaultSettings(&m_defaultSettings);
    return m_defaultSettings;
}

void CTolvaneDlg::OnOutOfMemoryStop() {
    // The list has released every list and the delivery history. The window may be in the
    // middle of showing, where ending it at once would leave its modal loop running.
    m_stopping = true;
    QMetaObject::invokeMethod(
        this, [this] { done(kEndOutOfMemory); }, Qt::QueuedConnection);
}

bool CTolvaneDlg::HandOverFile(const QString& path) {
    if (m_fileNameEdit->isReadOnly())
        return false;
    // Never applied inside the request: only the window's own event loop does.
    m_handedOverFile = path;
    m_handoverTimer.start();
    return true;
}

void CTolvaneDlg::ApplyHandedOverFileWhenIdle() {
    // The window runs modally itself; any other modal dialog or notice is one of its own.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != this)
        return;
    m_handoverTimer.stop();
    m_fileNameEdit->TakePath(m_handedOverFile);
}

void CTolvaneDlg::RefreshPrinters() {
    if (m_stopping)
        return;
    ReleaseDiscoveryResults(&m_lists);
    const BusyCursor searching;
    m_printerList->Controller().RefreshPrinters(m_settings.versionKind, WideOf(m_communityName));
}

void CTolvaneDlg::OnAddPrinter() {
    m_dlgSetIPAddress->SetAddress(0);
    if (m_dlgSetIPAddress->exec() != QDialog::Accepted)
        return;
    if (AddManualPrinter(&m_lists, NarrowToWide(DottedAddress(m_dlgSetIPAddress->Address()))))
        RefreshPrinters();
}

void CTolvaneDlg::OnCommunity() {
    m_dlgSNMP->SetCommunityName(m_communityName);
    if (m_dlgSNMP->exec() == QDialog::Accepted)
        m_communityName = m_dlgSNMP->CommunityName();
    RefreshPrinters();
}

void CTolvaneDlg::OnBrowse() {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(ResQString(IDS_BACKUP_EXTENSION));
    dialog.setNameFilter(QtFileFilter(ResQString(IDS_BACKUP_FILTER)));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_backupFileName = dialog.selectedFiles().constFirst();
    DoDataExchange(false);
}

bool CTolvaneDlg::AnyRowTicked() const {
    return m_printerList->Controller().AnyRowTicked();
}

void CTolvaneDlg::OnDownload() {
    if (!CheckDownload(*this, m_settings.backupFilePath))
        return;
    Deliver();
    if (!m_stopping)
        m_printerList->Controller().Refill();
}

bool CTolvaneDlg::ReadFileName(int maxChars, std::u16string* name) {
    if (!ReadFieldText(m_fileNameEdit, maxChars, &m_backupFileName))
        return false;
    *name = WideOf(m_backupFileName);
    return true;
}

void CTolvaneDlg::Deliver() {
    m_sending->SetBackupFilePath(QStringView(m_settings.backupFilePath));
    FreeDeliveryNodes(m_lists.nodes);
    m_lists.nodes = nullptr;
    m_lists.nodeCount = 0;
    if (m_printerList->Controller().CollectTickedPrinters(&m_lists.nodes, &m_lists.nodeCount) ==
            0 ||
        m_lists.nodes == nullptr) {
        AppMessageBox(IDS_SELECT_PRINTERS, MB_OK);
        return;
    }
    m_sending->SetStatusText(ResQString(IDS_SENDING_PRINTER) +
                             QtText(WideText(m_lists.nodes->ipAddress)));
    m_sending->SetDeliveryList(m_lists.nodes);
    m_sending->SetTransportIndex(kTcpTransportIndex);
    m_sending->SetJobFlag(1);
    const int result = m_sending->exec();
    if (result != 0 && m_sending->JobFlag() == 0)
        return;
    m_printerList->Controller().RecordDeliveryResults(m_lists.nodes);
}
