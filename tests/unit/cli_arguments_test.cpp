#include "cli/arguments.h"
#include "platform/utf8.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// The parsed arguments as one line, so a row states them all at a glance.
std::string Summary(const CliArguments& a) {
    static const char* const kCommands[] = {"help", "version", "discover", "check", "restore"};
    std::ostringstream out;
    out << kCommands[static_cast<int>(a.command)] << " file=" << a.file << " all=" << a.all
        << " targets=";
    for (const std::string& target : a.targets)
        out << target << ',';
    out << " addresses=";
    for (const std::string& address : a.scope.addresses)
        out << address << ',';
    out << " ranges=";
    for (const AddressRange& range : a.scope.ranges) {
        const uint32_t n = range.network;
        out << (n >> 24) << '.' << ((n >> 16) & 0xFF) << '.' << ((n >> 8) & 0xFF) << '.'
            << (n & 0xFF) << '/' << range.prefixLength << ',';
    }
    out << " broadcast=" << a.scope.broadcast << " community=" << a.scope.community
        << " json=" << a.json << " parallel=" << a.parallel << " report=" << a.report
        << " yes=" << a.yes;
    if (a.stallSeconds != kDefaultStallSeconds)
        out << " stall=" << a.stallSeconds;
    if (a.scope.waitMs != kDefaultWaitMs)
        out << " wait=" << a.scope.waitMs;
    if (a.scope.retries)
        out << " retries=" << *a.scope.retries;
    if (a.dryRun)
        out << " dry-run";
    if (!a.onlyFailed.empty())
        out << " only-failed=" << a.onlyFailed << (a.force ? " force" : "");
    if (!a.targetsFile.empty())
        out << " targets-file=" << a.targetsFile;
    return out.str();
}

struct ArgumentCase {
    const char* why;
    std::vector<std::string> words;
    std::string expected; // the summary, or a piece of the error for a refusal
    bool accepted = true;
};

const std::string kDefaults = " broadcast=1 community=orchid json=0 parallel=8 report= yes=0";

TEST(CliArguments, ParsesTheInterfaceAndRefusesEverythingElse) {
    const ArgumentCase cases[] = {
        {"discover alone",
         {"discover"},
         "discover file= all=0 targets= addresses= ranges=" + kDefaults},
        {"every discover option, both value forms",
         {"discover", "--community", "ink", "--address=10.77.6.5", "--address", "10.1.2.3",
          "--range", "10.77.20.9/24", "--no-broadcast", "--json"},
         "discover file= all=0 targets= addresses=10.77.6.5,10.1.2.3, ranges=10.77.20.0/24, "
         "broadcast=0 community=ink json=1 parallel=8 report= yes=0"},
        {"an empty community stays empty",
         {"discover", "--community="},
         "discover file= all=0 targets= addresses= ranges= broadcast=1 community= json=0 "
         "parallel=8 report= yes=0"},
        {"/16 and /32 are the range limits",
         {"discover", "--range", "10.9.0.0/16", "--range=1.2.3.4/32"},
         "discover file= all=0 targets= addresses= ranges=10.9.0.0/16,1.2.3.4/32," + kDefaults},
        {"sixteen /16 ranges, and ranges inside them or repeated, are the most scanned",
         {"discover", "--range=10.0.0.0/16", "--range=10.1.0.0/16", "--range=10.2.0.0/16",
          "--range=10.3.0.0/16", "--range=10.4.0.0/16", "--range=10.5.0.0/16",
          "--range=10.6.0.0/16", "--range=10.7.0.0/16", "--range=10.8.0.0/16",
          "--range=10.9.0.0/16", "--range=10.10.0.0/16", "--range=10.11.0.0/16",
          "--range=10.12.0.0/16", "--range=10.13.0.0/16", "--range=10.14.0.0/16",
          "--range=10.15.7.0/24", "--range=10.15.0.0/16", "--range=10.15.0.0/16"},
         "discover file= all=0 targets= addresses= ranges=10.0.0.0/16,10.1.0.0/16,10.2.0.0/16,"
         "10.3.0.0/16,10.4.0.0/16,10.5.0.0/16,10.6.0.0/16,10.7.0.0/16,10.8.0.0/16,10.9.0.0/16,"
         "10.10.0.0/16,10.11.0.0/16,10.12.0.0/16,10.13.0.0/16,10.14.0.0/16,10.15.7.0/24,"
         "10.15.0.0/16,10.15.0.0/16," +
             kDefaults},
        {"check",
         {"check", "book.rvk"},
         "check file=book.rvk all=0 targets= addresses= ranges=" + kDefaults},
        {"a file name after --",
         {"check", "--", "-book.rvk"},
         "check file=-book.rvk all=0 targets= addresses= ranges=" + kDefaults},
        {"restore --all with every option",
         {"restore", "b.rvk", "--all", "--range", "10.77.7.0/29", "--parallel", "64", "--report",
          "r.json", "--yes", "--no-broadcast", "--stall-timeout", "0"},
         "restore file=b.rvk all=1 targets= addresses= ranges=10.77.7.0/29, broadcast=0 "
         "community=orchid json=0 parallel=64 report=r.json yes=1 stall=0"},
        {"restore to addresses, a repeat counted once",
         {"restore", "b.rvk", "10.0.0.2", "10.0.0.1", "10.0.0.2", "--parallel=1",
          "--stall-timeout=4"},
         "restore file=b.rvk all=0 targets=10.0.0.2,10.0.0.1, addresses= ranges= broadcast=1 "
         "community=orchid json=0 parallel=1 report= yes=0 stall=4"},
        {"the shortest wait, no retries",
         {"discover", "--wait", "0.2", "--retries=0"},
         "discover file= all=0 targets= addresses= ranges=" + kDefaults + " wait=200 retries=0"},
        {"the longest wait and the most retries, to addresses",
         {"restore", "b.rvk", "10.0.0.1", "--wait=30", "--retries", "5", "--wait", "2.5"},
         "restore file=b.rvk all=0 targets=10.0.0.1, addresses= ranges=" + kDefaults +
             " wait=2500 retries=5"},
        {"a targets file is enough for restore",
         {"restore", "b.rvk", "--targets", "fleet.csv", "10.0.0.1", "--dry-run"},
         "restore file=b.rvk all=0 targets=10.0.0.1, addresses= ranges=" + kDefaults +
             " dry-run targets-file=fleet.csv"},
        {"the printers that failed in a report",
         {"restore", "b.rvk", "--only-failed", "r.json", "--force"},
         "restore file=b.rvk all=0 targets= addresses= ranges=" + kDefaults +
             " only-failed=r.json force"},
        {"a targets file widens --all and discover",
         {"discover", "--targets=fleet.csv"},
         "discover file= all=0 targets= addresses= ranges=" + kDefaults +
             " targets-file=fleet.csv"},
        {"--help anywhere",
         {"restore", "--bogus", "--help"},
         "help file= all=0 targets= addresses= ranges=" + kDefaults},
        {"--version", {"--version"}, "version file= all=0 targets= addresses= ranges=" + kDefaults},

        {"nothing", {}, "no command given", false},
        {"unknown command", {"send", "b.rvk"}, "unknown command 'send'", false},
        {"unknown option", {"discover", "--fast"}, "unknown option --fast for discover", false},
        {"option of another command", {"discover", "--all"}, "unknown option --all", false},
        {"missing value", {"discover", "--range"}, "--range needs a value", false},
        {"value on a flag", {"discover", "--json=yes"}, "--json takes no value", false},
        {"range wider than /16", {"discover", "--range", "10.0.0.0/15"}, "wider than /16", false},
        {"range of the whole space", {"discover", "--range", "0.0.0.0/0"}, "wider than /16", false},
        {"seventeen /16 ranges",
         {"discover", "--range=10.0.0.0/16", "--range=10.1.0.0/16", "--range=10.2.0.0/16",
          "--range=10.3.0.0/16", "--range=10.4.0.0/16", "--range=10.5.0.0/16",
          "--range=10.6.0.0/16", "--range=10.7.0.0/16", "--range=10.8.0.0/16",
          "--range=10.9.0.0/16", "--range=10.10.0.0/16", "--range=10.11.0.0/16",
          "--range=10.12.0.0/16", "--range=10.13.0.0/16", "--range=10.14.0.0/16",
          "--range=10.15.0.0/16", "--range=10.16.0.0/16"},
         "more than 1048576",
         false},
        {"range without prefix", {"discover", "--range", "10.0.0.0"}, "CIDR", false},
        {"range prefix above 32", {"discover", "--range", "10.0.0.0/33"}, "CIDR", false},
        {"short address form", {"discover", "--address", "10.1"}, "not an IPv4 address", false},
        {"a fifth part", {"discover", "--address", "10.1.2.3.4"}, "not an IPv4 address", false},
        {"a part over 255", {"discover", "--address", "10.1.256.3"}, "not an IPv4", false},
        {"a signed part", {"discover", "--address", "10.1.+2.3"}, "not an IPv4", false},
        {"octal-looking part", {"restore", "b.rvk", "010.0.0.1"}, "not an IPv4 address", false},
        {"broadcast address", {"restore", "b.rvk", "255.255.255.255"}, "not a printer", false},
        {"multicast address", {"discover", "--address", "224.0.0.1"}, "not a printer", false},
        {"community over 32 bytes",
         {"discover", "--community", std::string(33, 'c')},
         "at most 32 bytes",
         false},
        {"discover takes no words", {"discover", "10.0.0.1"}, "discover takes no argument", false},
        {"check without file", {"check"}, "exactly one FILE", false},
        {"check with two files", {"check", "a", "b"}, "exactly one FILE", false},
        {"restore without file", {"restore", "--all"}, "restore needs a FILE", false},
        {"restore without targets",
         {"restore", "b.rvk"},
         "needs --all, printer addresses, --targets or --only-failed",
         false},
        {"targets on check", {"check", "b.rvk", "--targets=f"}, "unknown option", false},
        {"a dry run of discover", {"discover", "--dry-run"}, "unknown option", false},
        {"only failed and all",
         {"restore", "b.rvk", "--all", "--only-failed=r.json"},
         "takes its printers from the report",
         false},
        {"only failed and an address",
         {"restore", "b.rvk", "10.0.0.1", "--only-failed=r.json"},
         "takes its printers from the report",
         false},
        {"force alone", {"restore", "b.rvk", "--all", "--force"}, "goes with --only-failed", false},
        {"restore with both", {"restore", "b.rvk", "--all", "10.0.0.1"}, "not both", false},
        {"search options need --all",
         {"restore", "b.rvk", "10.0.0.1", "--range", "10.0.0.0/24"},
         "go with --all",
         false},
        {"parallel 0", {"restore", "b.rvk", "--all", "--parallel", "0"}, "1 to 64", false},
        {"parallel 65", {"restore", "b.rvk", "--all", "--parallel", "65"}, "1 to 64", false},
        {"both communities", {"discover", "--community=a", "--community-file=f"}, "both", false},
        {"stall below 0", {"restore", "b.rvk", "--all", "--stall-timeout=-1"}, "0 to 86400", false},
        {"stall in minutes", {"restore", "b.rvk", "--all", "--stall-timeout=5m"}, "0 to", false},
        {"stall over a day", {"restore", "b.rvk", "--all", "--stall-timeout=86401"}, "0 to", false},
        {"stall on discover", {"discover", "--stall-timeout=4"}, "unknown option", false},
        {"wait below 0.2 s", {"discover", "--wait=0.19"}, "--wait takes seconds from 0.2", false},
        {"wait over 30 s", {"discover", "--wait=30.01"}, "from 0.2 to 30, not '30.01'", false},
        {"wait with a unit", {"restore", "b.rvk", "--all", "--wait=2s"}, "from 0.2 to 30", false},
        {"wait as an exponent", {"discover", "--wait=1e1"}, "from 0.2 to 30", false},
        {"wait not a number", {"discover", "--wait=nan"}, "from 0.2 to 30", false},
        {"retries over 5",
         {"discover", "--retries=6"},
         "--retries takes a number from 0 to 5",
         false},
        {"retries below 0", {"restore", "b.rvk", "--all", "--retries=-1"}, "0 to 5", false},
        {"retries on check", {"check", "b.rvk", "--retries=1"}, "unknown option", false},
        {"parallel not a number",
         {"restore", "b.rvk", "--all", "--parallel", "8x"},
         "1 to 64",
         false},
    };
    for (const ArgumentCase& row : cases) {
        CliArguments arguments;
        std::string error;
        const bool accepted = ParseArguments(row.words, &arguments, &error);
        EXPECT_EQ(accepted, row.accepted) << row.why << ": " << error;
        if (accepted != row.accepted)
            continue;
        if (accepted) {
            EXPECT_EQ(Summary(arguments), row.expected) << row.why;
        } else {
            EXPECT_NE(error.find(row.expected), std::string::npos) << row.why << ": " << error;
        }
    }
}

TEST(CliArguments, TargetsFileGivesLinesOrTheNumberOfTheFirstBadOne) {
    const TemporaryDirectory dir;
    const std::string path = dir.FilePath("targets.csv");
    std::string sixteenRanges;
    for (int i = 0; i <= 16; ++i)
        sixteenRanges += "10." + std::to_string(i) + ".0.0/16\n";
    const struct {
        const char* why;
        std::string content;
        std::string expected; // the lines, or the end of the error
        bool accepted = true;
    } cases[] = {
        {"comments, blank lines, a byte-order mark and CR LF",
         "\xEF\xBB\xBF# fleet\r\n\r\n10.0.0.1\r\n   # moved\n\t\n", "10.0.0.1/32 single run ;"},
        {"quoted fields with commas and quotes", "10.1.0.9/24,\"pub,lic\",\"Hall \"\"A\"\", 2\"\n",
         "10.1.0.0/24 range pub,lic Hall \"A\", 2;"},
        {"an empty community is the run's; spaces around fields go",
         " 10.0.0.2 ,, Store \n10.0.0.3 , ink\n",
         "10.0.0.2/32 single run Store;10.0.0.3/32 single ink ;"},
        {"a bad address, by number, not quoted", "10.0.0.1\n# c\nsecret,x\n",
         "targets.csv line 3: the first field is not a printer address (a.b.c.d)", false},
        {"a broadcast address", "255.255.255.255",
         "line 1: the first field is not a printer address (a.b.c.d)", false},
        {"a range wider than /16", "10.0.0.0/15",
         "line 1: the first field is not a range in CIDR "
         "form from /16 to /32",
         false},
        {"a long community", "10.0.0.1," + std::string(33, 's'),
         "line 1: the community takes at most 32 bytes", false},
        {"four fields", "10.0.0.1,a,b,c",
         "line 1: more than three fields (ADDRESS or CIDR, "
         "COMMUNITY, LABEL)",
         false},
        {"an open quote", "10.0.0.1,\"secret", "line 1: a quoted field is not closed properly",
         false},
        {"text after a quote", "10.0.0.1,\"a\"b", "line 1: a quoted field is not closed properly",
         false},
        {"more than sixteen /16 ranges", sixteenRanges, "sixteen /16 ranges); scan them in parts",
         false},
    };
    for (const auto& row : cases) {
        std::ofstream(path, std::ios::binary) << row.content;
        CliArguments arguments;
        std::string error;
        ASSERT_TRUE(ParseArguments({"discover", "--targets", path}, &arguments, &error));
        ASSERT_EQ(ReadTargets(&arguments, &error), row.accepted) << row.why << ": " << error;
        std::string shown = row.accepted ? "" : error;
        for (const TargetLine& line :
             row.accepted ? arguments.scope.targetLines : std::vector<TargetLine>()) {
            const uint32_t n = line.range.network;
            shown += std::to_string(n >> 24) + '.' + std::to_string((n >> 16) & 0xFF) + '.' +
                     std::to_string((n >> 8) & 0xFF) + '.' + std::to_string(n & 0xFF) + '/' +
                     std::to_string(line.range.prefixLength) +
                     (line.single ? " single " : " range ") +
                     (line.ownCommunity ? line.community : "run") + ' ' + line.label + ';';
        }
        EXPECT_TRUE(shown.ends_with(row.expected)) << row.why << ": " << shown;
        EXPECT_EQ(shown.find("secret"), std::string::npos) << row.why;
    }
    CliArguments arguments;
    std::string error;
    ASSERT_TRUE(ParseArguments({"discover", "--targets", path + "-none"}, &arguments, &error));
    EXPECT_FALSE(ReadTargets(&arguments, &error));
    EXPECT_TRUE(error.ends_with("-none: cannot be read")) << error;
}

TEST(CliArguments, CommunityComesFromTheOptionTheFileTheEnvironmentOrTheDefault) {
    const TemporaryDirectory dir;
    const std::string file = dir.FilePath("community"), tooLong = file + "-long";
    const std::string longName(33, 'c');
    std::ofstream(file, std::ios::binary) << "from-file\r\nsecond line\n";
    std::ofstream(tooLong) << longName;
    // Greek: outside the ANSI code page of a Western Windows. Written as Notepad does.
    const std::string greek = dir.FilePath("κοινότητα");
    std::ofstream(std::filesystem::path(Utf8ToWide(greek)), std::ios::binary)
        << "\xEF\xBB\xBFgreek\r\n";
    const struct {
        const char* why;
        std::vector<std::string> words;
        const char* environment;
        std::string expected; // the community, or the end of the error
        bool accepted = true;
    } cases[] = {
        {"the option first", {"discover", "--community=opt"}, "env", "opt"},
        {"the file's first line", {"discover", "--community-file", file}, "env", "from-file"},
        {"then the environment", {"discover"}, "env", "env"},
        {"an empty environment is unset", {"discover"}, "", "orchid"},
        {"no file", {"discover", "--community-file", file + "-none"}, "", "cannot be read", false},
        {"a folder", {"discover", "--community-file=/"}, "", "cannot be read", false},
        {"too long", {"discover", "--community-file", tooLong}, "", "at most 32 bytes", false},
        {"a name in Greek, a byte-order mark",
         {"discover", "--community-file", greek},
         "",
         "greek"},
        {"no search, no community", {"check", "b.rvk"}, longName.c_str(), "orchid"},
    };
    for (const auto& row : cases) {
        CliArguments arguments;
        std::string error;
        ASSERT_TRUE(ParseArguments(row.words, &arguments, &error)) << row.why;
        EXPECT_EQ(ResolveCommunity(&arguments, row.environment, &error), row.accepted) << row.why;
        const std::string& shown = row.accepted ? arguments.scope.community : error;
        EXPECT_TRUE(row.accepted ? shown == row.expected : shown.ends_with(row.expected))
            << row.why << ": " << shown;
    }
}

} // namespace
