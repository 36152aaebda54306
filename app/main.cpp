#include "app/application.h"
#include "app/command_line.h"
#include "ui/qt_text.h"

int main(int argc, char** argv) {
    // Answered before the application object exists: no display, no single-instance lock.
    const CommandLine commandLine = ParseProgramCommandLine(ArgumentsAfterProgram(argc, argv));
    if (commandLine.action != CommandLine::Action::Run)
        return AnswerCommandLine(commandLine);

    CTolvaneApp app(argc, argv, QtText(commandLine.backupFile));
    app.InitInstance();
    return app.ExitStatus();
}
