#include "app/command_line.h"

#include <cstdio>

namespace {

// Options of QGuiApplication, QApplication and the X11 platform that take the next argument as
// their value; each may also be written with two dashes or as -option=value.
const char* const kToolkitOptionsWithValue[] = {
    "-platform",     "-platformpluginpath", "-platformtheme", "-plugin",     "-qwindowgeometry",
    "-qwindowicon",  "-qwindowtitle",       "-style",         "-stylesheet", "-session",
    "-display",      "-geometry",           "-title",         "-icon",       "-name",
    "-qmljsdebugger"};
const char* const kToolkitFlags[] = {"-reverse", "-widgetcount", "-nograb",
                                     "-dograb",  "-sync",        "-testability"};

template <size_t N> bool IsOneOf(const QString& option, const char* const (&names)[N]) {
    for (const char* name : names) {
        if (option == QLatin1String(name))
            return true;
    }
    return false;
}

CommandLine Refuse(const QString& error) {
    return {CommandLine::Action::Refuse, QString(), error};
}

QString HelpText() {
    return QStringLiteral(
        "Usage: tolvane [OPTION]... [FILE.rvk]\n"
        "Send an address-book backup file to Korvil 2950MFP printers on the network.\n"
        "\n"
        "The window lists the printers that answer a search of the local network; tick the\n"
        "ones to update and press Download. FILE.rvk, when given, is the backup file the\n"
        "window starts with. Only one window runs per user: a second start brings the\n"
        "first one forward and hands it FILE.rvk.\n"
        "\n"
        "  -h, --help     display this help and exit\n"
        "      --version  output version information and exit\n"
        "  --             take the next argument as the file even if it starts with '-'\n"
        "\n"
        "Qt's own options, such as -style NAME or -platform NAME, are passed to the toolkit.\n"
        "\n"
        "Exit status:\n"
        " 0  the window was closed\n"
        " 2  the command line was not understood\n"
        " 5  memory ran out\n");
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine result;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || argument == QLatin1String("-") || !argument.startsWith(u'-')) {
            if (result.backupFile.isEmpty())
                result.backupFile = argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return {CommandLine::Action::ShowHelp, QString(), QString()};
        if (argument == QLatin1String("--version"))
            return {CommandLine::Action::ShowVersion, QString(), QString()};

        // The toolkit reads "--style" as "-style".
        const QString toolkitOption = argument.startsWith(QLatin1String("--"))
                                          ? argument.mid(1).section(u'=', 0, 0)
                                          : argument.section(u'=', 0, 0);
        if (IsOneOf(toolkitOption, kToolkitOptionsWithValue)) {
            if (argument.contains(u'='))
                continue;
            if (++i == arguments.size())
                return Refuse(QStringLiteral("option '%1' needs a value").arg(argument));
            continue;
        }
        if (IsOneOf(toolkitOption, kToolkitFlags) && !argument.contains(u'='))
            continue;
        return Refuse(QStringLiteral("unknown option '%1'").arg(argument));
    }
    return result;
}

QStringList ArgumentsAfterProgram(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int AnswerCommandLine(const CommandLine& commandLine) {
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::ShowVersion:
        std::printf("tolvane %s\n", PROJECT_VERSION);
        return 0;
    case CommandLine::Action::Refuse:
        std::fprintf(stderr, "tolvane: %s\nTry 'tolvane --help' for more information.\n",
                     commandLine.error.toLocal8Bit().constData());
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return 0;
}
