#include "printer_config.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

bool Parse(const std::string& text, LabDescription* description, std::string* error) {
    std::istringstream input(text);
    return ParseDescription(input, description, error);
}

TEST(PrinterDescription, KeepsPrintersAndEveryKeyInOrder) {
    const std::string text =
        "# lab for the demo\n"
        "\n"
        "jitter=100ms  snmp-port=161\n"
        "10.77.1.11  raw=ok  desc=\"Korvil 2950MFP-N;NIC 1.10\"  # healthy\n"
        "\t10.77.1.12\traw=slow:512 delay=2s\r\n"
        "10.77.1.13\n"
        "10.77.1.14 desc=\"say \\\"hi\\\" # not a \\x1bcomment\\xc\" note=a#b\n";
    LabDescription description;
    std::string error;
    ASSERT_TRUE(Parse(text, &description, &error)) << error;

    ASSERT_EQ(description.globals.size(), 2u);
    EXPECT_EQ(*description.FindGlobal("jitter"), "100ms");
    EXPECT_EQ(*description.FindGlobal("snmp-port"), "161");

    ASSERT_EQ(description.printers.size(), 4u);
    const PrinterDescription& first = description.printers[0];
    EXPECT_EQ(first.address, "10.77.1.11");
    EXPECT_EQ(first.line, 4);
    ASSERT_EQ(first.settings.size(), 2u);
    EXPECT_EQ(first.settings[0].key, "raw");
    EXPECT_EQ(first.settings[1].key, "desc");
    EXPECT_EQ(*first.Find("desc"), "Korvil 2950MFP-N;NIC 1.10");

    EXPECT_EQ(*description.printers[1].Find("raw"), "slow:512") << "tabs and CR are blanks";
    EXPECT_EQ(*description.printers[1].Find("delay"), "2s");
    EXPECT_TRUE(description.printers[2].settings.empty());
    EXPECT_EQ(description.printers[2].Find("raw"), nullptr);
    EXPECT_EQ(*description.printers[3].Find("desc"), "say \"hi\" # not a \x1b"
                                                     "commentxc");
    EXPECT_EQ(*description.printers[3].Find("note"), "a#b") << "only a word may start a comment";
}

TEST(PrinterDescription, RejectsFaultyLinesNamingTheLine) {
    struct Case {
        const char* why;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"unterminated quote", "10.77.1.1 desc=\"open\n", "line 1: unterminated quote"},
        {"not an address", "# x\nprinter raw=ok\n", "line 2: 'printer' is not an IPv4 address"},
        {"address out of range", "10.77.1.256\n", "line 1: '10.77.1.256' is not an IPv4 address"},
        {"same printer twice", "10.77.1.1\n10.77.1.1\n", "line 2: printer 10.77.1.1 described"},
        {"word without a value", "10.77.1.1 raw\n", "line 1: expected key=value, got 'raw'"},
        {"empty key", "10.77.1.1 =ok\n", "line 1: expected key=value, got '=ok'"},
        {"key twice on a line", "10.77.1.1 raw=ok raw=stall\n", "line 1: key 'raw' given twice"},
        {"global key twice", "jitter=1ms\njitter=2ms\n", "line 2: key 'jitter' given twice"},
        {"printer word in a global line", "jitter=1ms 10.77.1.1\n", "line 1: expected key=value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        LabDescription description;
        std::string error;
        EXPECT_FALSE(Parse(c.text, &description, &error));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
    }
}

TEST(RawBehaviour, ReadsModesAndAmounts) {
    using Mode = RawBehaviour::Mode;
    struct Case {
        const char* text;
        bool valid;
        Mode mode;
        uint64_t amount;
    };
    const Case cases[] = {
        {"ok", true, Mode::Ok, 0},
        {"discard", true, Mode::Discard, 0},
        {"refuse", true, Mode::Refuse, 0},
        {"noaccept", true, Mode::NoAccept, 0},
        {"stall", true, Mode::Stall, 0},
        {"slow:512", true, Mode::Slow, 512},
        {"reset:1000", true, Mode::Reset, 1000},
        {"close:1", true, Mode::Close, 1},
        {"reset:0", true, Mode::Reset, 0}, // resets as soon as it accepts
        {"noclose", true, Mode::NoClose, 0},
        {"slow", false, Mode::Ok, 0},      // the rate is required
        {"slow:", false, Mode::Ok, 0},     // and must be there
        {"slow:0", false, Mode::Ok, 0},    // a printer reading nothing is "stall"
        {"reset:12x", false, Mode::Ok, 0}, // trailing junk
        {"reset:-1", false, Mode::Ok, 0},  // no sign
        {"ok:5", false, Mode::Ok, 0},      // no amount for fixed modes
        {"OK", false, Mode::Ok, 0},        // names are lower case
        {"", false, Mode::Ok, 0},          // empty value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RawBehaviour behaviour;
        std::string error;
        ASSERT_EQ(ParseRawBehaviour(c.text, &behaviour, &error), c.valid) << error;
        if (!c.valid) {
            EXPECT_NE(error.find(c.text), std::string::npos) << "error names the value";
            continue;
        }
        EXPECT_EQ(behaviour.mode, c.mode);
        EXPECT_EQ(behaviour.amount, c.amount);
    }
}

} // namespace
