#include "cli/restore_command.h"

#include "cli/check_command.h"
#include "cli/console.h"
#include "cli/fleet_delivery.h"
#include "cli/interrupt.h"
#include "cli/json_output.h"
#include "cli/printer_search.h"
#include "cli/progress_output.h"
#include "cli/report_reader.h"
#include "cli/status_line.h"
#include "cli/terminal.h"
#include "discovery/address_range.h"
#include "platform/sha256.h"
#include "text/notices.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Redraws stay at ten a second or fewer.
constexpr auto kProgressPeriod = 100ms;
// After Ctrl-C the deliveries get this long to wind down, so the exit comes within a second
// even while a connection attempt sleeps between its retries.
constexpr auto kCancelGrace = 700ms;

PrinterState Target(const FoundPrinter& printer) {
    PrinterState state;
    state.address = printer.address;
    state.name = printer.name;
    state.versions = printer.versions;
    state.label = printer.label;
    return state;
}

// The printers named one by one: ADDR arguments, then the single-address target lines; each
// once.
std::vector<std::string> NamedAddresses(const CliArguments& arguments) {
    std::vector<std::string> addresses = arguments.targets;
    for (const TargetLine& line : arguments.scope.targetLines) {
        const std::string address = DottedAddress(line.range.network);
        if (line.single &&
            std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    }
    return addresses;
}

// The printers to serve: everything named that the search finds (--all), or each given
// address that answers as an accepted printer with a name (the others are skipped) and every
// named printer found in a range line of the targets file.
int FindTargets(const CliArguments& arguments, int versionKind, const ModelListEntry* models,
                std::vector<PrinterState>* printers) {
    SearchScope scope = arguments.scope;
    if (!arguments.all) {
        scope.broadcast = false;
        scope.addresses = arguments.targets;
    }
    std::vector<FoundPrinter> found;
    int result = kResultSuccess;
    {
        StatusLine status;
        result = SearchPrinters(scope, versionKind, models, &found,
                                {Interrupted, [&](const std::string& text) { status.Show(text); }});
    }
    if (result != kResultSuccess)
        return result;
    if (arguments.all) {
        for (const FoundPrinter& printer : found)
            if (!printer.name.empty())
                printers->push_back(Target(printer));
        return kResultSuccess;
    }
    std::vector<std::string> named = NamedAddresses(arguments);
    for (const std::string& address : named) {
        const auto match = std::find_if(found.begin(), found.end(), [&](const FoundPrinter& p) {
            return p.address == address;
        });
        PrinterState state = match != found.end() ? Target(*match) : PrinterState{};
        state.address = address;
        state.label = LabelOf(scope, address);
        if (match == found.end() || match->name.empty()) {
            state.outcome = Outcome::Skipped;
            state.error = match == found.end() ? "no accepted printer answers at this address"
                                               : "the printer gives no name";
        }
        printers->push_back(state);
    }
    for (const TargetLine& line : scope.targetLines) {
        for (const FoundPrinter& printer : found) {
            if (line.single || printer.name.empty() || !RangeHolds(line.range, printer.address) ||
                std::find(named.begin(), named.end(), printer.address) != named.end())
                continue;
            named.push_back(printer.address);
            printers->push_back(Target(printer));
        }
    }
    return kResultSuccess;
}

// After Ctrl-C during the search: each printer named by address counts as cancelled; --all
// and range lines know none yet.
std::vector<PrinterState> CancelledInSearch(const CliArguments& arguments) {
    std::vector<PrinterState> printers;
    if (arguments.all)
        return printers;
    for (const std::string& address : NamedAddresses(arguments)) {
        PrinterState state;
        state.address = address;
        state.label = LabelOf(arguments.scope, address);
        state.outcome = Outcome::Cancelled;
        state.error = "cancelled during the search";
        printers.push_back(state);
    }
    return printers;
}

bool Confirmed(const std::string& file, size_t count) {
    std::fputs(
        ("Send " + Inert(file) + " to " + std::to_string(count) + " printers? [y/N] ").c_str(),
        stderr);
    std::fflush(stderr);
    char answer[16] = {};
    if (std::fgets(answer, sizeof(answer), stdin) == nullptr)
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

void CancelWaiting(std::vector<PrinterState>* printers, const std::string& why) {
    for (PrinterState& printer : *printers) {
        if (printer.outcome == Outcome::Waiting) {
            printer.outcome = Outcome::Cancelled;
            printer.error = why;
        }
    }
}

// Serves the printers until all have an outcome, or until shortly after Ctrl-C. Returns false
// when a worker is still making a connection and could not be waited for.
bool Deliver(const std::vector<uint8_t>& data, const CliArguments& arguments,
             std::vector<PrinterState>* printers) {
    auto fleet = std::make_unique<FleetDelivery>(data, *printers,
                                                 std::chrono::seconds(arguments.stallSeconds));
    ProgressOutput progress(stderr, RedrawsInPlace(stderr), data.size());
    const Clock::time_point start = Clock::now();
    std::optional<Clock::time_point> windDown;
    fleet->Start(arguments.parallel);
    while (!fleet->Settled()) {
        if (!windDown && WaitForInterrupt(kProgressPeriod)) {
            fleet->Cancel();
            windDown = Clock::now() + kCancelGrace;
        } else if (windDown) {
            const Clock::time_point now = Clock::now();
            if (now >= *windDown)
                break;
            // The redraws keep their pace while the deliveries wind down.
            std::this_thread::sleep_for(
                std::min<Clock::duration>(kProgressPeriod, *windDown - now));
        }
        fleet->CancelStalled();
        progress.Update(fleet->Snapshot(),
                        std::chrono::duration<double>(Clock::now() - start).count());
    }
    *printers = fleet->Conclude();
    progress.Finish(*printers);
    if (fleet->JoinWorkers(windDown.value_or(Clock::time_point::max())))
        return true;
    // A worker asleep between connection retries still uses the fleet when it wakes, so the
    // fleet is never freed: the process ends with it (RunRestore's _Exit).
    static_cast<void>(fleet.release());
    return false;
}

// What the report says of the file sent.
struct SentFile {
    const std::string& path;
    uint64_t size;
    std::string sha256;
};

int Conclude(const CliArguments& arguments, const SentFile& file,
             const std::vector<PrinterState>& printers, int status) {
    if (!printers.empty())
        PrintSummary(printers);
    if (!arguments.report.empty() && !arguments.dryRun &&
        !WriteRestoreReport(arguments.report, file.path, file.size, file.sha256, printers)) {
        PrintError(arguments.report + ": cannot write the report");
        return status == kExitSuccess ? kExitIncomplete : status;
    }
    return status;
}

// The printers a report names again as single target lines, each with the community and label
// of the targets file's line that holds it, when there is one.
std::vector<TargetLine> ReportedLines(const std::vector<std::string>& addresses,
                                      const SearchScope& scope) {
    std::vector<TargetLine> lines;
    for (const std::string& address : addresses) {
        const auto own =
            std::find_if(scope.targetLines.begin(), scope.targetLines.end(),
                         [&](const TargetLine& line) { return RangeHolds(line.range, address); });
        TargetLine line = own != scope.targetLines.end() ? *own : TargetLine{};
        line.single = true;
        line.range.prefixLength = 32;
        ParseIpv4Address(address, &line.range.network);
        lines.push_back(line);
    }
    return lines;
}

} // namespace

int RunRestore(const CliArguments& given, int versionKind, const ModelListEntry* models) {
    CliArguments arguments = given;
    const std::string& file = arguments.file;
    // The bytes sent are the bytes checked: the file is read once.
    std::vector<uint8_t> data;
    const BackupCheck check = ReadBackup(file, &data);
    if (!check.accepted) {
        PrintError(check.message);
        return kExitUsage;
    }
    const SentFile sent{file, data.size(), Sha256Hex(data)};
    if (!arguments.onlyFailed.empty()) {
        std::vector<std::string> failed;
        std::string error;
        if (!ReadFailedPrinters(arguments.onlyFailed, sent.sha256, arguments.force, &failed,
                                &error)) {
            PrintError(error);
            return kExitUsage;
        }
        if (failed.empty()) {
            PrintOut(arguments.onlyFailed + ": every printer was sent; nothing to send again");
            return kExitSuccess;
        }
        arguments.scope.targetLines = ReportedLines(failed, arguments.scope);
    }
    CatchInterrupt();
    std::vector<PrinterState> printers;
    const int found = FindTargets(arguments, versionKind, models, &printers);
    if (found == kResultCancelled) {
        PrintError("interrupted during the search");
        return Conclude(arguments, sent, CancelledInSearch(arguments), InterruptedExitStatus());
    }
    if (found != kResultSuccess) {
        PrintError(SearchFailureText(found));
        return kExitIncomplete;
    }
    const auto targets = static_cast<size_t>(
        std::count_if(printers.begin(), printers.end(),
                      [](const PrinterState& p) { return p.outcome == Outcome::Waiting; }));
    if (arguments.dryRun) {
        // Nothing is sent, so there is no outcome to report.
        PrintPlan(printers);
        if (targets == 0)
            PrintError("no target printer");
        return targets > 0 ? kExitSuccess : kExitNoTarget;
    }
    if (targets == 0) {
        PrintError("no target printer");
        return Conclude(arguments, sent, printers, kExitNoTarget);
    }
    if (!Interrupted() && !arguments.yes && IsTerminal(stdin) && !Confirmed(file, targets)) {
        CancelWaiting(&printers, "not confirmed");
        return Conclude(arguments, sent, printers,
                        Interrupted() ? InterruptedExitStatus() : kExitIncomplete);
    }
    if (Interrupted()) {
        CancelWaiting(&printers, "not started");
        return Conclude(arguments, sent, printers, InterruptedExitStatus());
    }
    const bool joined = Deliver(data, arguments, &printers);
    const bool allSent = std::all_of(printers.begin(), printers.end(), [](const PrinterState& p) {
        return p.outcome == Outcome::Sent;
    });
    const int status = Conclude(arguments, sent, printers,
                                Interrupted() ? InterruptedExitStatus()
                                              : (allSent ? kExitSuccess : kExitIncomplete));
    if (!joined) {
        // A worker still sleeps between connection retries; its printer already counts as
        // cancelled and nothing of it is written any more, so the process ends without it.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
