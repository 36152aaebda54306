#include "cli/arguments.h"
#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/discover_command.h"
#include "cli/restore_command.h"
#include "delivery/transport.h"
#include "platform/socket_startup.h"
#include "printers/printer_table.h"
#include "printers/settings.h"
#include "text/heap.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    TakeProcessHeap();
    InstallConsoleNotices();
    CliArguments arguments;
    std::string error;
    if (!ParseArguments(std::vector<std::string>(argv + 1, argv + argc), &arguments, &error)) {
        PrintError(QString::fromLocal8Bit(error));
        std::fputs(UsageText().c_str(), stderr);
        return kExitUsage;
    }
    if (!ResolveCommunity(&arguments, std::getenv("TOLVANE_COMMUNITY"), &error)) {
        PrintError(QString::fromLocal8Bit(error));
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
        return RunCheck(QString::fromLocal8Bit(arguments.file));
    default:
        break;
    }

    // The window's start-up where it matters: sockets (which also keeps SIGPIPE from ending
    // the process), the built-in settings and model list, and the TCP transport. No
    // single-instance lock: scripts run several at once.
    if (!AfxSocketInit()) {
        PrintError(QStringLiteral("the network cannot be used (socket start-up failed)"));
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
