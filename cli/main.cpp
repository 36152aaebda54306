#include "cli/arguments.h"
#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/discover_command.h"
#include "cli/restore_command.h"
#include "cli/terminal.h"
#include "delivery/transport.h"
#include "platform/socket_startup.h"
#include "platform/utf8.h"
#include "printers/printer_table.h"
#include "printers/settings.h"
#include "text/heap.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The words after the program's name and TOLVANE_COMMUNITY (null when unset), in UTF-8.
int Run(const std::vector<std::string>& words, const char* environmentCommunity) {
    TakeProcessHeap();
    PrepareTerminal();
    InstallConsoleNotices();
    CliArguments arguments;
    std::string error;
    if (!ParseArguments(words, &arguments, &error)) {
        PrintError(error);
        std::fputs(UsageText().c_str(), stderr);
        return kExitUsage;
    }
    if (!ResolveCommunity(&arguments, environmentCommunity, &error) ||
        !ReadTargets(&arguments, &error)) {
        PrintError(error);
        return kExitUsage;
    }
    switch (arguments.command) {
    case CliCommand::Help:
        std::fputs(HelpText().c_str(), stdout);
        return kExitSuccess;
    case CliCommand::Version:
        std::puts("tolvane-cli " PROJECT_VERSION);
        return kExitSuccess;
    case CliCommand::Check:
        return RunCheck(arguments.file);
    default:
        break;
    }

    // The window's start-up where it matters: sockets (which also keeps SIGPIPE from ending
    // the process), the built-in settings and model list, and the TCP transport. No
    // single-instance lock: scripts run several at once.
    if (!AfxSocketInit()) {
        PrintError("the network cannot be used (socket start-up failed)");
        return kExitIncomplete;
    }
    AppSettings settings;
    FillDefaultSettings(&settings);
    ModelListEntry* models = nullptr;
    if (BuildModelList(settings.modelList, &models) == 0) {
        FreeModelList(models);
        return kExitIncomplete;
    }
    if (TransportProbe() == 1)
        InstallTcpTransport();
    const int status = arguments.command == CliCommand::Discover
                           ? RunDiscover(arguments, settings.versionKind, models)
                           : RunRestore(arguments, settings.versionKind, models);
    FreeModelList(models);
    return status;
}

} // namespace

#ifdef _WIN32
// Unicode arguments and environment, so that any path or name arrives whole.
int wmain(int argc, wchar_t** argv) {
    // DLLs loaded later come from system32 only, never from the program's folder.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto utf8 = [](const wchar_t* text) {
        return WideToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
    };
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i)
        words.push_back(utf8(argv[i]));
    const wchar_t* community = ::_wgetenv(L"TOLVANE_COMMUNITY");
    const std::string communityText = community != nullptr ? utf8(community) : std::string();
    return Run(words, community != nullptr ? communityText.c_str() : nullptr);
}
#else
int main(int argc, char** argv) {
    return Run(std::vector<std::string>(argv + 1, argv + argc), std::getenv("TOLVANE_COMMUNITY"));
}
#endif
