#include "win32/command_line.h"

#include "platform/message_box.h"

namespace {

constexpr char16_t kHelpText[] =
    u"Usage: tolvane [OPTION]... [FILE.rvk]\r\n"
    u"Send an address-book backup file to Korvil 2950MFP printers on the network.\r\n"
    u"\r\n"
    u"The window lists the printers that answer a search of the local network; tick the "
    u"ones to update and press Download. FILE.rvk, when given, is the backup file the window "
    u"starts with. Only one window runs per user: a second start brings the first one "
    u"forward and hands it FILE.rvk.\r\n"
    u"\r\n"
    u"  -h, --help, /?\tthis help\r\n"
    u"  --version\tthe version\r\n"
    u"  --\t\ttake the next argument as the file even if it starts with '-'\r\n"
    u"\r\n"
    u"Exit status: 0 the window was closed, 2 the command line was not understood, 5 memory "
    u"ran out.";

std::u16string Ascii(const char* text) {
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

} // namespace

CommandLine ParseProgramCommandLine(const std::vector<std::u16string>& arguments) {
    return ParseCommandLine(arguments, {{}, {}, u"/?"});
}

int AnswerCommandLine(const CommandLine& commandLine) {
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
        MessageBoxExW(nullptr, kHelpText, u"Tolvane", MB_OK | MB_ICONINFORMATION);
        return 0;
    case CommandLine::Action::ShowVersion:
        MessageBoxExW(nullptr, u"tolvane " + Ascii(PROJECT_VERSION), u"Tolvane",
                      MB_OK | MB_ICONINFORMATION);
        return 0;
    case CommandLine::Action::Refuse:
        MessageBoxExW(nullptr,
                      commandLine.error + u"\r\n\r\nTry 'tolvane --help' for more information.",
                      u"Tolvane", MB_OK | MB_ICONHAND);
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return 0;
}
