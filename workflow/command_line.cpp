#include "workflow/command_line.h"

#include <algorithm>

namespace {

bool IsOneOf(std::u16string_view option, std::span<const std::u16string_view> names) {
    return std::find(names.begin(), names.end(), option) != names.end();
}

CommandLine Refuse(const std::u16string& error) {
    return {CommandLine::Action::Refuse, {}, error};
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::u16string>& arguments,
                             const CommandLineDialect& dialect) {
    CommandLine result;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        if (optionsEnded || argument == u"-" || !argument.starts_with(u'-')) {
            if (!dialect.helpWord.empty() && argument == dialect.helpWord)
                return {CommandLine::Action::ShowHelp, {}, {}};
            if (result.backupFile.empty())
                result.backupFile = argument;
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (argument == u"--help" || argument == u"-h")
            return {CommandLine::Action::ShowHelp, {}, {}};
        if (argument == u"--version")
            return {CommandLine::Action::ShowVersion, {}, {}};

        // The toolkit reads "--style" as "-style".
        std::u16string_view option(argument);
        if (option.starts_with(u"--"))
            option.remove_prefix(1);
        const bool withValue = option.find(u'=') != std::u16string_view::npos;
        option = option.substr(0, option.find(u'='));
        if (IsOneOf(option, dialect.toolkitOptionsWithValue)) {
            if (withValue)
                continue;
            if (++i == arguments.size())
                return Refuse(u"option '" + argument + u"' needs a value");
            continue;
        }
        if (IsOneOf(option, dialect.toolkitFlags) && !withValue)
            continue;
        return Refuse(u"unknown option '" + argument + u"'");
    }
    return result;
}
