#pragma once

#include "printers/settings.h"
#include "workflow/start_up.h"

#include <QApplication>
#include <QString>

class SingleInstance;

// The application object: prepares the process, keeps one instance per user, holds the
// built-in settings and runs the main window.
class CTolvaneApp : public QApplication, private StartUpSteps {
    Q_OBJECT
  public:
    // `commandLineFile` is the backup file named on the command line, or empty.
    CTolvaneApp(int& argc, char** argv, const QString& commandLineFile = QString());
    ~CTolvaneApp() override;

    // Runs the start-up sequence and the main window; always returns false (nothing follows).
    bool InitInstance();

    // Exit status of the run: the main window's end code, or 0.
    int ExitStatus() const { return m_exitStatus; }

    const AppSettings& Settings() const { return m_settings; }

    // The running application object (the main window reads the settings through it).
    static CTolvaneApp* Current();

    // The literal name of the single-instance lock.
    static const QString InstanceName;

  private:
    bool FirstInstance() override;
    int RunMainWindow(const AppSettings& settings) override;

    QString m_commandLineFile;
    AppSettings m_settings{};
    SingleInstance* m_singleInstance = nullptr;
    int m_exitStatus = 0;
};
