#include "cli/discover_command.h"

#include "cli/console.h"
#include "cli/json_output.h"
#include "cli/printer_search.h"
#include "cli/status_line.h"
#include "text/notices.h"

namespace {

// Printer texts are escaped before the columns are measured, so the table stays aligned.
std::string OrDash(const std::string& text) {
    return text.empty() ? "-" : Inert(text);
}

void PrintTable(const std::vector<FoundPrinter>& printers, bool labels) {
    std::vector<std::vector<std::string>> rows = {
        {"ADDRESS", "NAME", "CONTROLLER", "ENGINE", "NETWORK"}};
    for (const FoundPrinter& printer : printers) {
        const PartVersions& versions = printer.versions;
        rows.push_back({printer.address, OrDash(printer.name), OrDash(versions.controller),
                        OrDash(versions.engine), OrDash(versions.network)});
    }
    for (size_t i = 0; labels && i < rows.size(); ++i)
        rows[i].insert(rows[i].begin() + 2, i == 0 ? "LABEL" : OrDash(printers[i - 1].label));
    PrintColumns(rows);
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
        PrintTable(printers, !arguments.scope.targetLines.empty());
    return kExitSuccess;
}
