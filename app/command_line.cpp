#include "app/command_line.h"

#include "ui/qt_text.h"

#include <cstdio>

namespace {

// Options of QGuiApplication, QApplication and the X11 platform that take the next argument as
// their value; each may also be written with two dashes or as -option=value.
constexpr std::u16string_view kToolkitOptionsWithValue[] = {u"-platform",
                                                            u"-platformpluginpath",
                                                            u"-platformtheme",
                                                            u"-plugin",
                                                            u"-qwindowgeometry",
                                                            u"-qwindowicon",
                                                            u"-qwindowtitle",
                                                            u"-style",
                                                            u"-stylesheet",
                                                            u"-session",
                                                            u"-display",
                                                            u"-geometry",
                                                            u"-title",
                                                            u"-icon",
                                                            u"-name",
                                                            u"-qmljsdebugger"};
constexpr std::u16string_view kToolkitFlags[] = {u"-reverse", u"-widgetcount", u"-nograb",
                                                 u"-dograb",  u"-sync",        u"-testability"};

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

CommandLine ParseProgramCommandLine(const std::vector<std::u16string>& arguments) {
    return ParseCommandLine(arguments, {kToolkitOptionsWithValue, kToolkitFlags, {}});
}

std::vector<std::u16string> ArgumentsAfterProgram(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(WideOf(QString::fromLocal8Bit(argv[i])));
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
                     QtText(commandLine.error).toLocal8Bit().constData());
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return 0;
}
