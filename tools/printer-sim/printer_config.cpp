#include "printer_config.h"

#include <arpa/inet.h>

#include <charconv>
#include <optional>
#include <set>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// "\xNN" inside quotes (`at` on the x): the byte it names, so a description can hold
// control characters and bytes that are not UTF-8.
std::optional<char> HexByteAt(std::string_view line, size_t* at) {
    unsigned value = 0;
    if (line[*at] != 'x' || line.size() - *at < 3)
        return std::nullopt;
    const char* digits = line.data() + *at + 1;
    if (std::from_chars(digits, digits + 2, value, 16).ptr != digits + 2)
        return std::nullopt;
    *at += 3;
    return static_cast<char>(value);
}

// Splits a line into words; a quoted stretch may hold spaces and '#'. Returns false with a
// reason for an unterminated quote.
bool SplitWords(std::string_view line, std::vector<std::string>* words, std::string* error) {
    size_t at = 0;
    while (true) {
        while (at < line.size() && IsSpace(line[at]))
            ++at;
        if (at == line.size() || line[at] == '#')
            return true;
        std::string word;
        while (at < line.size() && !IsSpace(line[at])) {
            if (line[at] != '"') {
                word += line[at++];
                continue;
            }
            ++at;
            while (at < line.size() && line[at] != '"') {
                if (line[at] == '\\' && at + 1 < line.size()) {
                    ++at;
                    if (const std::optional<char> byte = HexByteAt(line, &at)) {
                        word += *byte;
                        continue;
                    }
                }
                word += line[at++];
            }
            if (at == line.size()) {
                *error = "unterminated quote";
                return false;
            }
            ++at;
        }
        words->push_back(std::move(word));
    }
}

bool ParseSetting(const std::string& word, std::vector<Setting>* settings, std::string* error) {
    const size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0) {
        *error = "expected key=value, got '" + word + "'";
        return false;
    }
    Setting setting{word.substr(0, equals), word.substr(equals + 1)};
    for (const Setting& existing : *settings) {
        if (existing.key == setting.key) {
            *error = "key '" + setting.key + "' given twice";
            return false;
        }
    }
    settings->push_back(std::move(setting));
    return true;
}

bool IsIpv4(const std::string& text) {
    in_addr parsed{};
    return ::inet_pton(AF_INET, text.c_str(), &parsed) == 1;
}

const std::string* FindIn(const std::vector<Setting>& settings, std::string_view key) {
    for (const Setting& setting : settings) {
        if (setting.key == key)
            return &setting.value;
    }
    return nullptr;
}

// One non-empty line: either settings for the whole simulator or one printer.
bool ParseLine(const std::vector<std::string>& words, int number, std::set<std::string>* addresses,
               LabDescription* description, std::string* reason) {
    if (words.front().find('=') != std::string::npos) {
        for (const std::string& word : words) {
            if (!ParseSetting(word, &description->globals, reason))
                return false;
        }
        return true;
    }
    PrinterDescription printer;
    printer.address = words.front();
    printer.line = number;
    if (!IsIpv4(printer.address)) {
        *reason = "'" + printer.address + "' is not an IPv4 address";
        return false;
    }
    if (!addresses->insert(printer.address).second) {
        *reason = "printer " + printer.address + " described twice";
        return false;
    }
    for (size_t i = 1; i < words.size(); ++i) {
        if (!ParseSetting(words[i], &printer.settings, reason))
            return false;
    }
    description->printers.push_back(std::move(printer));
    return true;
}

} // namespace

const std::string* PrinterDescription::Find(std::string_view key) const {
    return FindIn(settings, key);
}

const std::string* LabDescription::FindGlobal(std::string_view key) const {
    return FindIn(globals, key);
}

bool ParseDescription(std::istream& input, LabDescription* description, std::string* error) {
    std::set<std::string> addresses;
    std::string line;
    for (int number = 1; std::getline(input, line); ++number) {
        std::string reason;
        std::vector<std::string> words;
        if (!SplitWords(line, &words, &reason) ||
            (!words.empty() && !ParseLine(words, number, &addresses, description, &reason))) {
            *error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    return true;
}

bool ParseRawBehaviour(std::string_view text, RawBehaviour* behaviour, std::string* error) {
    using Mode = RawBehaviour::Mode;
    struct Name {
        std::string_view name;
        Mode mode;
        bool takesAmount;
        uint64_t leastAmount;
    };
    // A printer reading nothing at all is "stall", not "slow:0".
    static constexpr Name kNames[] = {
        {"ok", Mode::Ok, false, 0},         {"discard", Mode::Discard, false, 0},
        {"refuse", Mode::Refuse, false, 0}, {"noaccept", Mode::NoAccept, false, 0},
        {"stall", Mode::Stall, false, 0},   {"noclose", Mode::NoClose, false, 0},
        {"slow", Mode::Slow, true, 1},      {"reset", Mode::Reset, true, 0},
        {"close", Mode::Close, true, 0},
    };
    const size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    for (const Name& known : kNames) {
        if (known.name != name)
            continue;
        if (!known.takesAmount) {
            if (colon != std::string_view::npos)
                break;
            *behaviour = RawBehaviour{known.mode, 0};
            return true;
        }
        if (colon == std::string_view::npos)
            break;
        const std::string_view digits = text.substr(colon + 1);
        uint64_t amount = 0;
        const auto [end, failure] =
            std::from_chars(digits.data(), digits.data() + digits.size(), amount);
        if (failure != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
            amount < known.leastAmount)
            break;
        *behaviour = RawBehaviour{known.mode, amount};
        return true;
    }
    *error = "raw=" + std::string(text) +
             " is not one of ok, discard, refuse, noaccept, stall, noclose, slow:N (N > 0),"
             " reset:K, close:K";
    return false;
}
