#include "app/application.h"

#include "app/main_window.h"
#include "app/single_instance.h"
#include "delivery/transport.h"
#include "platform/message_box.h"
#include "platform/socket_startup.h"
#include "text/heap.h"
#include "text/notices.h"
#include "text/string_ids.h"
#include "ui/qt_message_box.h"
#include "ui/qt_text.h"

const QString CTolvaneApp::InstanceName = QStringLiteral("Tolvane_Korvil_2950MFP");

CTolvaneApp::CTolvaneApp(int& argc, char** argv, const QString& commandLineFile)
    : QApplication(argc, argv), m_commandLineFile(commandLineFile) {
    TakeProcessHeap();
    SetMessageBoxFunction(ShowQtMessageBox);
    setApplicationName(QStringLiteral("Tolvane"));
    setApplicationVersion(QStringLiteral(PROJECT_VERSION));
}

CTolvaneApp::~CTolvaneApp() = default;

CTolvaneApp* CTolvaneApp::Current() {
    return qobject_cast<CTolvaneApp*>(QCoreApplication::instance());
}

bool CTolvaneApp::InitInstance() {
    // Common controls and the framework's base initialisation: Qt registers its widget
    // classes itself, so both steps have nothing to do here.

    if (!AfxSocketInit()) {
        AppMessageBox(IDS_SOCKET_INIT_FAILED, MB_OK);
        return false;
    }

    // Control container support: no ActiveX here, nothing to enable.

    if (!FirstInstance())
        return false;

    // Window-class registration: Qt windows need none.

    FillDefaultSettings(&m_settings);
    if (TransportProbe() == 1)
        InstallTcpTransport();

    CTolvaneDlg dialog(m_commandLineFile);
    SetAppMainWindow(&dialog);
    m_exitStatus = dialog.exec() == kEndOutOfMemory ? kEndOutOfMemory : 0;
    SetAppMainWindow(nullptr);
    return false;
}

bool CTolvaneApp::FirstInstance() {
    m_singleInstance = new SingleInstance(InstanceName, this);
    const SingleInstance::Outcome outcome =
        m_singleInstance->Claim(ResQString(IDS_MAIN_TITLE), m_commandLineFile);
    // A file double-clicked while the window is open must not be dropped unseen: either the
    // window takes it, or the operator is told.
    if (outcome == SingleInstance::Outcome::FileNotTaken)
        ShowFileNotHandedOver(WideOf(m_commandLineFile));
    return outcome == SingleInstance::Outcome::FirstInstance;
}
