#include "snmp_agent.h"
#include "snmp_flood.h"

#include <gtest/gtest.h>

namespace {

using Mode = SnmpBehaviour::Mode;
using namespace std::chrono_literals;

TEST(SnmpAgentKeys, ReadsEveryFaultMode) {
    struct Row {
        const char* text;
        Mode mode;
        uint8_t pduTag;
        std::string from;
    };
    const Row rows[] = {
        {"ok", Mode::Answer, 0xA2, ""},
        {"deaf", Mode::Deaf, 0xA2, ""},
        {"pdu:A4", Mode::WrongPdu, 0xA4, ""},
        {"pdu:a0", Mode::WrongPdu, 0xA0, ""},
        {"longform2", Mode::LongForm2, 0xA2, ""},
        {"from:10.77.4.20", Mode::From, 0xA2, "10.77.4.20"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        SnmpBehaviour behaviour;
        std::string error;
        ASSERT_TRUE(ParseSnmpBehaviour(row.text, &behaviour, &error)) << error;
        EXPECT_EQ(behaviour.mode, row.mode);
        EXPECT_EQ(behaviour.pduTag, row.pduTag);
        EXPECT_EQ(behaviour.from, row.from);
    }
}

TEST(SnmpAgentKeys, RejectsWhatItCannotPlay) {
    for (const char* text :
         {"", "Silent", "pdu:", "pdu:1A2", "pdu:xyz", "from:", "from:10.77.4", "from:printer"}) {
        SCOPED_TRACE(text);
        SnmpBehaviour behaviour;
        std::string error;
        EXPECT_FALSE(ParseSnmpBehaviour(text, &behaviour, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(SnmpAgentKeys, RefusesAFloodItCannotPace) {
    const std::string zeroLength = "0ms";
    const std::string tooMany = "99999999999999999999";
    const std::string some = "1000";
    for (const auto& [datagrams, length] : {std::pair{&some, &zeroLength}, {&tooMany, nullptr}}) {
        FloodSettings settings;
        std::string error;
        EXPECT_FALSE(ParseFloodSettings(datagrams, length, nullptr, &settings, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(SnmpAgentKeys, ReadsDurations) {
    struct Row {
        const char* text;
        bool valid;
        std::chrono::milliseconds duration;
    };
    const Row rows[] = {
        {"1200ms", true, 1200ms}, {"1.2s", true, 1200ms}, {"100", true, 100ms}, {"0ms", true, 0ms},
        {"-5ms", false, 0ms},     {"ms", false, 0ms},     {"1.5m", false, 0ms}, {"", false, 0ms},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::chrono::milliseconds duration{-1};
        std::string error;
        EXPECT_EQ(ParseDuration(row.text, &duration, &error), row.valid);
        if (row.valid) {
            EXPECT_EQ(duration, row.duration);
        }
    }
}

TEST(SnmpAgentKeys, ReadsIgnoredRequests) {
    struct Row {
        const char* text;
        bool valid;
        unsigned ignored;
    };
    const Row rows[] = {
        {"1", true, 1}, {"0", true, 0}, {"", false, 0}, {"-1", false, 0}, {"2x", false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        PrinterDescription line{"10.77.1.1", {{"desc", "Korvil 2950MFP-N"}, {"ignore", row.text}}};
        SnmpPrinter printer;
        std::string error;
        EXPECT_EQ(ReadSnmpPrinter(line, &printer, &error), row.valid) << error;
        if (row.valid) {
            EXPECT_EQ(printer.ignored, row.ignored);
        }
    }
}

} // namespace
