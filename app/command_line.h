#pragma once

#include <QString>
#include <QStringList>

// What the window's command line asks for. It is read before the application object exists, so
// --help, --version and a mistake are answered without a display and without touching the
// single-instance lock.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    // Run: the first argument that is not an option; empty when there is none.
    QString backupFile;
    // Refuse: what was wrong, one line without the program name.
    QString error;
};

// Reads the arguments that follow the program name. The toolkit's own options (-style NAME,
// -platform NAME, ...) are stepped over with their values, since QApplication takes them itself.
CommandLine ParseCommandLine(const QStringList& arguments);

// The arguments after the program name, decoded as the toolkit decodes them.
QStringList ArgumentsAfterProgram(int argc, char** argv);

// Prints the answer to --help, --version or a mistake and gives the exit status (0, or 2 for a
// mistake). Run has nothing to answer: it prints nothing and gives 0.
int AnswerCommandLine(const CommandLine& commandLine);
