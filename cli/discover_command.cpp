#include "cli/discover_command.h"

#include "cli/console.h"
#include "cli/json_output.h"
#include "cli/printer_search.h"
#include "cli/status_line.h"
#include "text/notices.h"

#include <algorithm>

namespace {

// Printer texts are escaped before the columns are measured, so the table stays aligned.
QString OrDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : Inert(text);
}

void PrintTable(const std::vector<FoundPrinter>& printers) {
    qsizetype addressWidth = 7; // "ADDRESS"
    qsizetype nameWidth = 4;    // "NAME"
    for (const FoundPrinter& printer : printers) {
        addressWidth = std::max(addressWidth, printer.address.size());
        nameWidth = std::max(nameWidth, OrDash(printer.name).size());
    }
    const auto row = [&](const QString& address, const QString& name, const QString& version) {
        PrintOut((address.leftJustified(addressWidth) + QStringLiteral("  ") +
                  name.leftJustified(nameWidth) + QStringLiteral("  ") + version)
                     .trimmed());
    };
    row(QStringLiteral("ADDRESS"), QStringLiteral("NAME"), QStringLiteral("VERSION"));
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
                                {nullptr, [&](const QString& text) { status.Show(text); }});
    }
    if (result != kResultSuccess) {
        PrintError(SearchFailureText(result));
        return kExitIncomplete;
    }
    if (printers.empty())
        PrintError(QStringLiteral("no printers found"));
    if (arguments.json)
        PrintText(DiscoveredPrintersJson(printers));
    else if (!printers.empty())
        PrintTable(printers);
    return kExitSuccess;
}
