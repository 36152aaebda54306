// The window's command line as each program reads it: the Qt program steps over its toolkit's
// options, the Windows program takes "/?" for help as well.
#include "workflow/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::u16string_view kWithValue[] = {u"-platform", u"-style"};
constexpr std::u16string_view kFlags[] = {u"-reverse"};
const CommandLineDialect kQt{kWithValue, kFlags, {}};
const CommandLineDialect kWindows{{}, {}, u"/?"};

using A = CommandLine::Action;

struct CommandLineRow {
    const char* why;
    const CommandLineDialect* dialect;
    std::vector<std::u16string> arguments;
    A action;
    std::u16string detail; // Run: the backup file; Refuse: the error
};

const CommandLineRow kRows[] = {
    {"nothing", &kQt, {}, A::Run, u""},
    {"a file", &kQt, {u"x.rvk"}, A::Run, u"x.rvk"},
    {"the first file is taken", &kQt, {u"a.rvk", u"b.rvk"}, A::Run, u"a.rvk"},
    {"unknown option before the file",
     &kQt,
     {u"--foo", u"x.rvk"},
     A::Refuse,
     u"unknown option '--foo'"},
    {"unknown short option", &kQt, {u"x.rvk", u"-x"}, A::Refuse, u"unknown option '-x'"},
    {"--help after a file", &kQt, {u"x.rvk", u"--help"}, A::ShowHelp, u""},
    {"-h", &kQt, {u"-h"}, A::ShowHelp, u""},
    {"--version", &kQt, {u"--version"}, A::ShowVersion, u""},
    {"after --, a name with a dash is the file", &kQt, {u"--", u"--help"}, A::Run, u"--help"},
    {"a lone dash is a file name", &kQt, {u"-"}, A::Run, u"-"},
    {"toolkit option with its value", &kQt, {u"-style", u"fusion", u"x.rvk"}, A::Run, u"x.rvk"},
    {"toolkit option, two dashes and =",
     &kQt,
     {u"--platform=offscreen", u"-reverse", u"x.rvk"},
     A::Run,
     u"x.rvk"},
    {"toolkit option without its value",
     &kQt,
     {u"x.rvk", u"-style"},
     A::Refuse,
     u"option '-style' needs a value"},
    {"Windows: nothing", &kWindows, {}, A::Run, u""},
    {"Windows: the first file, spaces and umlaut kept",
     &kWindows,
     {u"C:\\b\u00e4ck up.rvk", u"second.rvk"},
     A::Run,
     u"C:\\b\u00e4ck up.rvk"},
    {"Windows: after --", &kWindows, {u"--", u"--help"}, A::Run, u"--help"},
    {"Windows: a lone dash", &kWindows, {u"-"}, A::Run, u"-"},
    {"Windows: /? after a file", &kWindows, {u"a.rvk", u"/?"}, A::ShowHelp, u""},
    {"Windows: -h", &kWindows, {u"-h"}, A::ShowHelp, u""},
    {"Windows: --version", &kWindows, {u"--version"}, A::ShowVersion, u""},
    {"Windows: no toolkit options",
     &kWindows,
     {u"--verbose"},
     A::Refuse,
     u"unknown option '--verbose'"},
};

TEST(CommandLineTest, ActionAndFileOrError) {
    for (const CommandLineRow& row : kRows) {
        const CommandLine read = ParseCommandLine(row.arguments, *row.dialect);
        EXPECT_EQ(read.action, row.action) << row.why;
        EXPECT_EQ(row.action == A::Refuse ? read.error : read.backupFile, row.detail) << row.why;
    }
}

} // namespace
