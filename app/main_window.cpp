#include "app/main_window.h"

#include "app/application.h"
#include "app/network_printer_list.h"
#include "text/string_ids.h"
#include "ui/about_dialog.h"
#include "ui/add_printer_dialog.h"
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
    : QDialog(parent), m_hIcon(ProgramIcon()), m_sending(new CSending(this)),
      m_dlgSNMP(new CDlgSNMP(this)), m_dlgSetIPAddress(new CDlgSetIPAddress(this)) {
    BuildForm();
    m_controller = std::make_unique<MainWindowController>(
        static_cast<MainWindowView&>(*this), m_printerList->Controller(), WideOf(commandLineFile));
}

CTolvaneDlg::~CTolvaneDlg() = default;

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
    const auto command = [this](QPushButton* button, void (MainWindowController::*run)()) {
        connect(button, &QPushButton::clicked, this, [this, run] { (*m_controller.*run)(); });
    };
    command(m_browseButton, &MainWindowController::OnBrowse);
    command(m_selectAllButton, &MainWindowController::OnSelectAll);
    command(m_clearAllButton, &MainWindowController::OnClearAll);
    command(m_updateButton, &MainWindowController::OnRefresh);
    command(m_addPrinterButton, &MainWindowController::OnAddPrinter);
    command(m_communityButton, &MainWindowController::OnCommunity);
    command(m_downloadButton, &MainWindowController::OnDownload);
    connect(m_closeButton, &QPushButton::clicked, this, &CTolvaneDlg::reject);
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

void CTolvaneDlg::OnInitDialog() {
    InstallAboutEntry(this);
    setWindowIcon(m_hIcon);
    m_printerList->SetUpTable();
    m_printerList->SetCommandButtons(m_selectAllButton, m_clearAllButton, m_downloadButton);
    m_printerList->InitHeaderImages();
    m_controller->OnWindowUp(SourceSettings());
}

const AppSettings& CTolvaneDlg::SourceSettings() {
    if (const CTolvaneApp* app = CTolvaneApp::Current())
        return app->Settings();
    FillDefaultSettings(&m_defaultSettings);
    return m_defaultSettings;
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

std::u16string CTolvaneDlg::FileFieldText() const {
    return WideOf(m_fileNameEdit->text());
}

void CTolvaneDlg::ShowFileName(const std::u16string& name) {
    SetFieldText(m_fileNameEdit, QtText(name));
    LimitTyping(m_fileNameEdit, kFileNameFieldChars);
}

void CTolvaneDlg::SelectFileField() {
    m_fileNameEdit->setFocus();
    m_fileNameEdit->selectAll();
}

void CTolvaneDlg::ShowBusy(bool busy) {
    // A search holds the user-interface thread for its one-second window.
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CTolvaneDlg::SetTitle(const std::u16string& title) {
    setWindowTitle(QtText(title));
}

bool CTolvaneDlg::RunAddPrinterDialog(uint32_t* address) {
    m_dlgSetIPAddress->SetAddress(*address);
    if (m_dlgSetIPAddress->exec() != QDialog::Accepted)
        return false;
    *address = m_dlgSetIPAddress->Address();
    return true;
}

bool CTolvaneDlg::RunCommunityDialog(std::u16string* name) {
    m_dlgSNMP->SetCommunityName(QtText(*name));
    if (m_dlgSNMP->exec() != QDialog::Accepted)
        return false;
    *name = WideOf(m_dlgSNMP->CommunityName());
    return true;
}

bool CTolvaneDlg::RunFileDialog(std::u16string* path) {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(ResQString(IDS_BACKUP_EXTENSION));
    dialog.setNameFilter(QtFileFilter(ResQString(IDS_BACKUP_FILTER)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    *path = WideOf(dialog.selectedFiles().constFirst());
    return true;
}

DeliveryJob& CTolvaneDlg::ProgressJob() {
    return m_sending->Job();
}

int CTolvaneDlg::RunDeliveryDialog() {
    return m_sending->exec();
}

void CTolvaneDlg::EndWindow(int code) {
    // The window may be in the middle of showing, where ending it at once would leave its modal
    // loop running.
    QMetaObject::invokeMethod(
        this, [this, code] { done(code); }, Qt::QueuedConnection);
}
