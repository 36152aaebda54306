#include "cli/discover_command.h"

#include "cli/console.h"
#include "cli/json_output.h"
#include "cli/printer_search.h"
#include "cli/status_line.h"
#include "text/notices.h"

#include <algorithm>

namespace {

// Printer texts are escaped before the columns are measured, so the table stays aligned.
std::string OrDash(const std::string& text) {
    return text.empty() ? "-" : Inert(text);
}

void PrintTable(const std::vector<FoundPrinter>& printers) {
    size_t addressWidth = 7; // "ADDRESS"
    size_t nameWidth = 4;    // "NAME"
    for (const FoundPrinter& printer : printers) {
        addressWidth = std::max(addressWidth, CharacterCount(printer.address));
        nameWidth = std::max(nameWidth, CharacterCount(OrDash(printer.name)));
    }
    const auto row = [&](const std::string& address, const std::string& name,
                         const std::string& version) {
        const std::string line =
            PadRight(address, addressWidth) + "  " + PadRight(name, nameWidth) + "  " + version;
        PrintOut(line.substr(0, line.find_last_not_of(' ') + 1));
    };
    row("ADDRESS", "NAME", "VERSION");
    for (const FoundPrinter& printer : printers)
        row(printer.address, OrDash(printer.name), OrDash(printer.version));
}

} // namespace

int RunDiscover(const CliArguments& arguments, int versionKind, const ModelListEntry* models) {
    std::vector<FoundPrinter> printers;
    int result = kResultSuccess;
    {
        StatusLine status;
        result = SearchPrinters(arguments.scope, versionKind, models, &printers,
                                {nullptr, [&](const std::string& text) { status.Show(text); }});
    }
    if (result != kResultSuccess) {
        PrintError(SearchFailureText(result));
        return kExitIncomplete;
    }
    if (printers.empty())
        PrintError("no printers found");
    if (arguments.json)
        PrintText(DiscoveredPrintersJson(printers));
    else if (!printers.empty())
        PrintTable(printers);
    return kExitSuccess;
}
