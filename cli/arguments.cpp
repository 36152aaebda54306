#include "cli/arguments.h"

#include "cli/targets_file.h"
#include "cli/text_file.h"
#include "discovery/snmp_codec.h"
#include "platform/utf8.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

// What a command admits besides its positional words.
struct CommandRules {
    const char* name;
    CliCommand command;
    std::vector<std::string> options;
};

const CommandRules kCommands[] = {
    {"discover",
     CliCommand::Discover,
     {"--community", "--community-file", "--targets", "--address", "--range", "--no-broadcast",
      "--json", "--wait", "--retries"}},
    {"check", CliCommand::Check, {}},
    {"restore",
     CliCommand::Restore,
     {"--all", "--community", "--community-file", "--targets", "--address", "--range",
      "--no-broadcast", "--parallel", "--stall-timeout", "--report", "--yes", "--dry-run",
      "--only-failed", "--force", "--wait", "--retries"}},
};

bool TakesValue(const std::string& option) {
    return option == "--community" || option == "--community-file" || option == "--targets" ||
           option == "--address" || option == "--range" || option == "--parallel" ||
           option == "--stall-timeout" || option == "--report" || option == "--only-failed" ||
           option == "--wait" || option == "--retries";
}

// Printers have ordinary unicast addresses; these never name one.
bool PrinterAddress(const std::string& text, std::string* error) {
    uint32_t address = 0;
    if (!ParseIpv4Address(text, &address)) {
        *error = "'" + text + "' is not an IPv4 address (a.b.c.d)";
        return false;
    }
    const uint32_t first = address >> 24;
    if (address == 0 || first >= 224) {
        *error = text + " is not a printer address (unspecified, multicast or broadcast)";
        return false;
    }
    return true;
}

bool Range(const std::string& text, AddressRange* range, std::string* error) {
    switch (ParseAddressRange(text, range)) {
    case RangeText::Valid:
        return true;
    case RangeText::TooWide:
        *error = "--range " + text + " is wider than /16; split it into /16 ranges or narrower";
        return false;
    case RangeText::NotCidr:
        break;
    }
    *error = "'" + text + "' is not a range in CIDR form (a.b.c.d/n)";
    return false;
}

// Each address is asked once, so a range inside another adds nothing.
bool ScanSize(const std::vector<AddressRange>& ranges, std::string* error) {
    uint64_t hosts = 0;
    for (size_t i = 0; i < ranges.size(); ++i) {
        bool covered = false;
        for (size_t j = 0; j < ranges.size() && !covered; ++j) {
            // Of two equal ranges the first counts.
            covered = j != i && RangeContains(ranges[j], ranges[i]) &&
                      (ranges[j].prefixLength < ranges[i].prefixLength || j < i);
        }
        if (!covered)
            hosts += HostCount(ranges[i]);
    }
    if (hosts <= kMostScanHosts)
        return true;
    *error = "the ranges hold " + std::to_string(hosts) +
             " host addresses, more than 1048576 (sixteen /16 ranges); scan them in parts";
    return false;
}

// A whole number from `least` to `most` for `option`.
bool Number(const std::string& option, const std::string& text, int least, int most, int* number,
            std::string* error) {
    int value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() ||
        value < least || value > most) {
        *error = option + " takes a number from " + std::to_string(least) + " to " +
                 std::to_string(most) + ", not '" + text + "'";
        return false;
    }
    *number = value;
    return true;
}

// Seconds from 0.2 to 30, with at most three decimals (milliseconds).
bool WaitSeconds(const std::string& text, int* milliseconds, std::string* error) {
    double seconds = 0;
    const auto [end, failure] =
        std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
    const double wanted = seconds * 1000;
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() ||
        !(wanted >= kLeastWaitMs - 1e-6 && wanted <= kMostWaitMs + 1e-6)) {
        *error = "--wait takes seconds from 0.2 to 30, not '" + text + "'";
        return false;
    }
    *milliseconds = static_cast<int>(wanted + 0.5);
    return true;
}

bool Community(const std::string& option, const std::string& value, std::string* community,
               std::string* error) {
    if (value.size() > kSnmpCommunityMaxBytes) {
        *error = option + " takes at most 32 bytes";
        return false;
    }
    *community = value;
    return true;
}

bool ApplyOption(const std::string& option, const std::string& value, CliArguments* arguments,
                 std::string* error) {
    SearchScope& scope = arguments->scope;
    if (option == "--community") {
        scope.communityGiven = true;
        return Community(option, value, &scope.community, error);
    } else if (option == "--community-file") {
        scope.communityFile = value;
    } else if (option == "--targets") {
        arguments->targetsFile = value;
    } else if (option == "--address") {
        if (!PrinterAddress(value, error))
            return false;
        scope.addresses.push_back(value);
    } else if (option == "--range") {
        AddressRange range{};
        if (!Range(value, &range, error))
            return false;
        scope.ranges.push_back(range);
    } else if (option == "--parallel") {
        return Number(option, value, 1, kMaxParallel, &arguments->parallel, error);
    } else if (option == "--stall-timeout") {
        return Number(option, value, 0, kMostStallSeconds, &arguments->stallSeconds, error);
    } else if (option == "--wait") {
        return WaitSeconds(value, &scope.waitMs, error);
    } else if (option == "--retries") {
        int retries = 0;
        if (!Number(option, value, 0, kMostRetries, &retries, error))
            return false;
        scope.retries = retries;
    } else if (option == "--report") {
        arguments->report = value;
    } else if (option == "--no-broadcast") {
        scope.broadcast = false;
    } else if (option == "--json") {
        arguments->json = true;
    } else if (option == "--all") {
        arguments->all = true;
    } else if (option == "--yes") {
        arguments->yes = true;
    } else if (option == "--dry-run") {
        arguments->dryRun = true;
    } else if (option == "--only-failed") {
        arguments->onlyFailed = value;
    } else if (option == "--force") {
        arguments->force = true;
    }
    return true;
}

bool CheckPositionals(const std::vector<std::string>& positionals, CliArguments* arguments,
                      std::string* error) {
    switch (arguments->command) {
    case CliCommand::Discover:
        if (!positionals.empty()) {
            *error = "discover takes no argument '" + positionals.front() + "'";
            return false;
        }
        return true;
    case CliCommand::Check:
        if (positionals.size() != 1) {
            *error = "check takes exactly one FILE";
            return false;
        }
        arguments->file = positionals.front();
        return true;
    default:
        break;
    }
    if (positionals.empty()) {
        *error = "restore needs a FILE";
        return false;
    }
    arguments->file = positionals.front();
    for (auto word = positionals.begin() + 1; word != positionals.end(); ++word) {
        if (!PrinterAddress(*word, error))
            return false;
        if (std::find(arguments->targets.begin(), arguments->targets.end(), *word) ==
            arguments->targets.end())
            arguments->targets.push_back(*word);
    }
    if (arguments->all && !arguments->targets.empty()) {
        *error = "restore takes --all or printer addresses, not both";
        return false;
    }
    if (!arguments->onlyFailed.empty() && (arguments->all || !arguments->targets.empty())) {
        *error = "--only-failed takes its printers from the report; give no --all or addresses";
        return false;
    }
    if (arguments->force && arguments->onlyFailed.empty()) {
        *error = "--force goes with --only-failed";
        return false;
    }
    if (!arguments->all && arguments->targets.empty() && arguments->targetsFile.empty() &&
        arguments->onlyFailed.empty()) {
        *error = "restore needs --all, printer addresses, --targets or --only-failed";
        return false;
    }
    // Printers named by address are asked directly; the search options only widen --all.
    if (!arguments->all &&
        (!arguments->scope.addresses.empty() || !arguments->scope.ranges.empty())) {
        *error = "--address and --range go with --all; name printers as ADDR arguments instead";
        return false;
    }
    return true;
}

} // namespace

bool ParseArguments(const std::vector<std::string>& words, CliArguments* arguments,
                    std::string* error) {
    *arguments = CliArguments{};
    arguments->scope.community = kSnmpDefaultCommunity;
    if (std::find(words.begin(), words.end(), "--help") != words.end()) {
        arguments->command = CliCommand::Help;
        return true;
    }
    if (words.size() == 1 && words.front() == "--version") {
        arguments->command = CliCommand::Version;
        return true;
    }
    if (words.empty()) {
        *error = "no command given";
        return false;
    }
    const auto rules = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandRules& c) { return words.front() == c.name; });
    if (rules == std::end(kCommands)) {
        *error = "unknown command '" + words.front() + "'";
        return false;
    }
    arguments->command = rules->command;
    std::vector<std::string> positionals;
    bool optionsEnded = false;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            positionals.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string option = word.substr(0, equals);
        if (std::find(rules->options.begin(), rules->options.end(), option) ==
            rules->options.end()) {
            *error = "unknown option " + option + " for " + rules->name;
            return false;
        }
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = word.substr(equals + 1);
        if (TakesValue(option) && !value) {
            if (i + 1 == words.size()) {
                *error = option + " needs a value";
                return false;
            }
            value = words[++i];
        } else if (!TakesValue(option) && value) {
            *error = option + " takes no value";
            return false;
        }
        if (!ApplyOption(option, value.value_or(""), arguments, error))
            return false;
    }
    if (arguments->scope.communityGiven && !arguments->scope.communityFile.empty()) {
        *error = "give --community or --community-file, not both";
        return false;
    }
    return ScanSize(arguments->scope.ranges, error) &&
           CheckPositionals(positionals, arguments, error);
}

bool ResolveCommunity(CliArguments* arguments, const char* environment, std::string* error) {
    // Only a search uses the community: help and check work whatever the environment holds.
    const bool searches =
        arguments->command == CliCommand::Discover || arguments->command == CliCommand::Restore;
    SearchScope* scope = &arguments->scope;
    if (!searches || scope->communityGiven)
        return true;
    if (!scope->communityFile.empty()) {
        // Through the UTF-16 path: Windows would read a narrow one in the ANSI code page.
        std::ifstream file(std::filesystem::path(Utf8ToWide(scope->communityFile)),
                           std::ios::binary);
        std::string line;
        if (!file || (!std::getline(file, line) && !file.eof())) {
            *error = scope->communityFile + ": cannot be read";
            return false;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Notepad starts a UTF-8 file with a byte-order mark; no community begins with one.
        if (line.starts_with("\xEF\xBB\xBF"))
            line.erase(0, 3);
        return Community("--community-file", line, &scope->community, error);
    }
    if (environment != nullptr && *environment != '\0')
        return Community("TOLVANE_COMMUNITY", environment, &scope->community, error);
    return true;
}

namespace {

// One line of the targets file into the scope; the reason does not quote the line.
bool TargetFromLine(const CsvLine& line, TargetLine* target, std::string* error) {
    const std::vector<std::string>& fields = line.fields;
    std::string ignored;
    if (fields.size() > 3) {
        *error = "more than three fields (ADDRESS or CIDR, COMMUNITY, LABEL)";
        return false;
    }
    const std::string& where = fields.front();
    target->single = where.find('/') == std::string::npos;
    if (target->single && PrinterAddress(where, &ignored)) {
        ParseIpv4Address(where, &target->range.network);
        target->range.prefixLength = 32;
    } else if (target->single || ParseAddressRange(where, &target->range) != RangeText::Valid) {
        *error = target->single ? "the first field is not a printer address (a.b.c.d)"
                                : "the first field is not a range in CIDR form from /16 to /32";
        return false;
    }
    if (fields.size() > 1 && !fields[1].empty()) {
        target->ownCommunity = true;
        if (!Community("the community", fields[1], &target->community, error))
            return false;
    }
    if (fields.size() > 2)
        target->label = fields[2];
    return true;
}

} // namespace

bool ReadTargets(CliArguments* arguments, std::string* error) {
    const std::string& path = arguments->targetsFile;
    if (path.empty())
        return true;
    std::string text;
    std::vector<CsvLine> lines;
    if (!ReadTextFile(path, &text, error))
        return false;
    if (!SplitTargets(text, &lines, error)) {
        *error = path + " " + *error;
        return false;
    }
    SearchScope& scope = arguments->scope;
    std::vector<AddressRange> ranges = scope.ranges;
    for (const CsvLine& line : lines) {
        TargetLine target;
        if (!TargetFromLine(line, &target, error)) {
            *error = path + " line " + std::to_string(line.number) + ": " + *error;
            return false;
        }
        if (!target.single)
            ranges.push_back(target.range);
        scope.targetLines.push_back(std::move(target));
    }
    return ScanSize(ranges, error);
}

std::string UsageText() {
    return "Usage: tolvane-cli discover [--community NAME | --community-file FILE]\n"
           "                            [--targets FILE] [--address ADDR]... [--range CIDR]...\n"
           "                            [--no-broadcast] [--wait SECONDS] [--retries N] [--json]\n"
           "  or:  tolvane-cli check FILE\n"
           "  or:  tolvane-cli restore FILE (--all | ADDR... | --targets FILE\n"
           "                                 | --only-failed REPORT.json [--force])\n"
           "                            [--community NAME | --community-file FILE]\n"
           "                            [--address ADDR]... [--range CIDR]... [--no-broadcast]\n"
           "                            [--wait SECONDS] [--retries N]\n"
           "                            [--parallel N] [--stall-timeout SECONDS]\n"
           "                            [--report FILE.json | FILE.csv] [--yes] [--dry-run]\n"
           "  or:  tolvane-cli --help | --version\n";
}

std::string HelpText() {
    return UsageText() +
           R"(Find Korvil 2950MFP-D and -N printers by SNMP and restore an address-book backup
file (.rvk) into them over raw TCP port 9100, from a terminal, a script or an
orchestration tool.

Commands:
  discover            list the accepted printers: a table sorted by address
                      (address, name, and the controller, engine and network
                      versions its description gives; "-" for what it does not
                      give; with --targets also the label), or with --json an
                      array of {"address", "name", "label", "version",
                      "versions": {"controller", "engine", "network"}} (""
                      for what it does not give)
  check FILE          say whether FILE is a backup file for this product, or
                      which rule it breaks
  restore FILE (--all | ADDR... | --targets FILE | --only-failed REPORT.json)
                      check FILE, then send it whole to every accepted printer
                      with a name that the search finds (--all), or to each ADDR
                      and each printer of the targets file that answers as an
                      accepted printer with a name (the others are skipped and
                      get nothing), or again to the printers of an earlier
                      report that were not sent the file

Options:
  --community NAME    SNMP community of the search; without it, the first line
                      of --community-file FILE, else TOLVANE_COMMUNITY (when not
                      empty), else "orchid"; the two options exclude each other
  --community-file FILE
                      read the community from the first line of FILE, so that
                      it does not show in the process list
  --targets FILE      also ask the printers of FILE, one per line: ADDRESS or
                      CIDR, then optionally ,COMMUNITY (asked with it instead of
                      the run's; an empty field keeps the run's) and ,LABEL
                      (shown in the tables and reports); CSV, so a field in
                      double quotes may hold commas; blank lines and lines
                      starting with # are ignored. For restore without --all the
                      lines are the targets (a range line: every printer found
                      in it). A bad line stops the run before anything is sent;
                      the file is never shown and no report holds a community
  --address ADDR      also ask ADDR directly, for a printer that hears no
                      broadcast (behind a router); may be repeated
  --range CIDR        also ask every host address of CIDR directly (/16 to /32),
                      at most 5,000 requests a second (300 a second to hosts on
                      this computer's own links, as many as the neighbour table
                      can resolve); may be repeated
  --no-broadcast      do not search by broadcast
  --wait SECONDS      collect replies until SECONDS after the last request (0.2
                      to 30, default 1); more for a slow link such as a VPN
  --retries N         ask an address that has not answered by the end of the
                      wait again, at most N times, each followed by the wait
                      (0 to 5; default 1 for single addresses: --address, ADDR
                      and the address lines of --targets; 0 for the addresses of
                      ranges; a given N applies to both); a printer that
                      answered is not asked again, the broadcast is sent once,
                      e.g. --wait 3 --retries 2 for a branch behind a VPN
  --json              discover: print JSON instead of a table
  --all               restore: every printer the search finds
  --parallel N        restore: send to at most N printers at once (1 to 64,
                      default 8)
  --stall-timeout SECONDS
                      restore: a printer that takes no data for this long
                      (while sending, or while its confirmation is awaited)
                      fails; a slow printer that keeps taking data is never cut
                      off; 0 waits without limit (0 to 86400, default 300)
  --report FILE.json  restore: write the outcome as JSON: {"file", "size",
                      "sha256", "printers": [{"address", "name", "label",
                      "outcome", "bytes", "seconds", "error", "versions":
                      {"controller", "engine", "network"}}], "sent", "failed"}
  --report FILE.csv   restore: the same as CSV for a spreadsheet, one row per
                      printer with the file's name, size and SHA-256 in each
                      (UTF-8 with a byte-order mark, CR LF; a field that would
                      start a formula gets a leading ')
  --only-failed REPORT.json
                      restore: send again to exactly the printers whose outcome
                      in REPORT.json was not "sent", when the report was made
                      for this FILE (its SHA-256); give --targets FILE again
                      where printers have their own community
  --force             with --only-failed: also for a report of another file, or
                      one without the file's SHA-256
  --dry-run           restore: check FILE and search, then show what would be
                      sent to whom and what would be skipped and why; send
                      nothing, write no report; exit 0 when a printer would be
                      served
  --yes               restore: do not ask "Send FILE to N printers? [y/N]"
                      (asked only when standard input is a terminal)
  --help              show this help and exit
  --version           show the version and exit

Progress goes to standard error: on a terminal one live line per printer being
served and a total line, otherwise one line per printer as it ends. The summary
table (address, name, outcome, bytes, seconds, error) goes to standard output.
The first Ctrl-C, SIGTERM or SIGHUP cancels every delivery under way; the
printers not yet started count as cancelled, and the summary and the report are
still written.

Exit status:
  0    success (restore: every target sent)
  1    restore: a target failed, was skipped or cancelled; or the search failed
  2    wrong arguments, a bad targets file or report, or FILE is not a usable
       backup file (nothing sent)
  3    restore: no target printer (none found, or every given address skipped)
  130  restore: interrupted by Ctrl-C (SIGINT)
  143  restore: ended by SIGTERM
  129  restore: ended by SIGHUP

Environment:
  TOLVANE_COMMUNITY   the SNMP community when neither --community nor
                      --community-file is given, kept out of the process list
)";
}
