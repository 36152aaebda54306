#include "app/application.h"

#include "app/main_window.h"
#include "app/single_instance.h"
#include "platform/message_box.h"
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
    // Qt registers its widget classes itself and needs no window class of ours; no ActiveX
    // here either.
    m_exitStatus = RunStartUp(*this, &m_settings);
    return false;
}

int CTolvaneApp::RunMainWindow(const AppSettings&) {
    // The window reads the settings through Current().
    CTolvaneDlg dialog(m_commandLineFile);
    SetAppMainWindow(&dialog);
    const int code = dialog.exec();
    SetAppMainWindow(nullptr);
    return code;
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
