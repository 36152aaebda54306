#include "discovery/description_parser.h"
#include "platform/text_convert.h"
#include "tests/support/heap_guard.h"
#include "text/heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

struct SplitResult {
    std::optional<std::u16string> name;
    std::optional<std::u16string> version;
};

SplitResult Split(const std::u16string& description, int versionKind) {
    char16_t* name = nullptr;
    char16_t* version = nullptr;
    SplitDescription(description, versionKind, &name, &version);
    SplitResult result;
    if (name != nullptr)
        result.name = std::u16string(name);
    if (version != nullptr)
        result.version = std::u16string(version);
    HeapFree(name);
    HeapFree(version);
    return result;
}

std::u16string Normalized(std::u16string text) {
    NormalizeDescription(text);
    return text;
}

struct WorkedCase {
    std::u16string description;
    std::u16string normalized;
    std::u16string name;
    std::u16string controller; // version kind 0
    std::u16string engine;     // version kind 1
    std::u16string net;        // version kind 4
};

TEST(DescriptionParsing, WorkedDescriptions) {
    const std::u16string n = u"Korvil 2950MFP-N";
    const WorkedCase cases[] = {
        {u"Korvil 2950MFP-N;NIC 1.10,ESS 2.20,IOT 3.30",
         u"Korvil 2950MFP-N(Net 1.10,Controller 2.20,Engine 3.30)", n, u"2.20", u"3.30", u"1.10"},
        {u"Korvil 2950MFP-D (ESS 2.20, IOT 3.30)",
         u"Korvil 2950MFP-D (Controller 2.20, Engine 3.30)", u"Korvil 2950MFP-D", u"2.20", u"3.30",
         u""},
        {n, n, n, u"", u"", u""},
        {u"Korvil 2950MFP-N (NIC 1.10", u"Korvil 2950MFP-N (Net 1.10",
         u"Korvil 2950MFP-N (NIC 1.10", u"", u"", u""},
        {u"Korvil 2950MFP-N;", u"Korvil 2950MFP-N()", u"Korvil 2950MFP-N;", u"", u"", u""},
        {u"Korvil 2950MFP-N;IOT", u"Korvil 2950MFP-N(Engine)", n, u"", u"", u""},
        {u"Korvil 2950MFP-N(Network 5.0)", u"Korvil 2950MFP-N(Network 5.0)", n, u"", u"",
         u"work 5.0"},
        {u"A;B;ESS 1", u"A(B;Controller 1)", u"A", u"1", u"", u""},
        {u"A;B(ESS 1)", u"A;B(Controller 1)", u"A;B", u"1", u"", u""},
    };
    HeapLeakGuard guard;
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToNarrow(c.description));
        EXPECT_EQ(Normalized(c.description), c.normalized);
        const std::pair<int, std::u16string> kinds[] = {
            {0, c.controller}, {1, c.engine}, {4, c.net}, {9, std::u16string()}};
        for (const auto& [kind, version] : kinds) {
            SCOPED_TRACE(kind);
            const SplitResult split = Split(c.description, kind);
            EXPECT_EQ(split.name, c.name);
            EXPECT_EQ(split.version, version);
        }
    }
}

struct EdgeCase {
    const char* why;
    std::u16string description;
    int versionKind;
    std::u16string normalized;
    std::u16string name;
    std::u16string version;
};

TEST(DescriptionParsing, EdgeDescriptions) {
    const EdgeCase cases[] = {
        {"keys inside longer words are replaced", u"P;NICE 2", 4, u"P(NetE 2)", u"P", u"E 2"},
        {"keys before the opener stay", u"NIC ESS(IOT 1)", 1, u"NIC ESS(Engine 1)", u"NIC ESS",
         u"1"},
        {"keys are case-sensitive", u"P(nic 1,Ess 2)", 4, u"P(nic 1,Ess 2)", u"P", u""},
        {"only the first group counts", u"P (ESS 1) (ESS 2) x", 0,
         u"P (Controller 1) (Controller 2) x", u"P", u"1"},
        {"text after the first closer is ignored", u"P(IOT 1) ESS 2", 0,
         u"P(Engine 1) Controller 2", u"P", u""},
        {"only spaces are trimmed", u"\tP \t(ESS \t7\t , IOT 8)", 0,
         u"\tP \t(Controller \t7\t , Engine 8)", u"\tP \t", u"\t7\t"},
        {"commas after the label are skipped", u"P(ESS,,3,4)", 0, u"P(Controller,,3,4)", u"P",
         u"3"},
        {"nothing but commas after the label", u"P(ESS,,)", 0, u"P(Controller,,)", u"P", u""},
        {"closers before the parts are skipped", u"P())ESS 5)", 0, u"P())Controller 5)", u"P",
         u"5"},
        {"opening characters only", u"(((", 0, u"(((", u"(((", u""},
        {"empty description", u"", 0, u"", u"", u""},
        // A text opening with its list has no name before it: with no second opener the whole
        // description stands as the name.
        {"leading opener and one list", u"(ESS 1)", 0, u"(Controller 1)", u"(ESS 1)", u""},
        {"leading semicolon", u";ESS 1", 0, u"(Controller 1)", u";ESS 1", u""},
        {"leading openers without a closer", u"((ESS", 0, u"((Controller", u"((ESS", u""},
        {"leading opener, then a named list", u"(A (ESS 1)", 0, u"(A (Controller 1)", u"A", u"1"},
    };
    HeapLeakGuard guard;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Normalized(c.description), c.normalized);
        const SplitResult split = Split(c.description, c.versionKind);
        EXPECT_EQ(split.name, c.name);
        EXPECT_EQ(split.version, c.version);
    }
}

TEST(DescriptionParsing, OutOfMemoryLeavesTextsMissing) {
    HeapLeakGuard guard;
    const std::u16string description = u"Korvil 2950MFP-N;ESS 2.20";
    // Allocations: the working copy, the name, the version.
    AllocationHook::FailNth(1);
    SplitResult split = Split(description, 0);
    EXPECT_FALSE(split.name.has_value());
    EXPECT_FALSE(split.version.has_value());
    AllocationHook::FailNth(2);
    split = Split(description, 0);
    EXPECT_FALSE(split.name.has_value());
    EXPECT_EQ(split.version, u"2.20");
    AllocationHook::FailNth(3);
    split = Split(description, 0);
    EXPECT_EQ(split.name, u"Korvil 2950MFP-N");
    EXPECT_FALSE(split.version.has_value());
}

class ModelFilter : public ::testing::Test {
  protected:
    ModelFilter() {
        for (const char* name : {"Korvil 2950MFP-D", "", "Korvil 2950MFP-N"}) {
            m_models.push_back(ModelListEntry{});
            std::strncpy(m_models.back().name, name, sizeof(m_models.back().name) - 1);
        }
        for (size_t i = 0; i + 1 < m_models.size(); ++i)
            m_models[i].next = &m_models[i + 1];
    }

    std::vector<int> Matched(const ModelListEntry* models,
                             const std::vector<std::u16string>& descriptions,
                             int expectedResult = 0) {
        AnswerArray answers;
        for (const std::u16string& description : descriptions)
            answers.push_back(std::make_unique<PrinterData>(description, u"10.77.1.1"));
        EXPECT_EQ(FilterAnswersByModel(models, answers), expectedResult);
        std::vector<int> matched;
        for (const auto& answer : answers)
            matched.push_back(answer->matched);
        return matched;
    }

    std::vector<ModelListEntry> m_models;
    HeapLeakGuard m_guard;
};

TEST_F(ModelFilter, AcceptsAModelNamedAnywhereExactly) {
    struct Row {
        const char* why;
        std::u16string description;
        int matched;
    };
    const Row rows[] = {
        {"first model at the start", u"Korvil 2950MFP-D", 1},
        {"second model inside", u"x Korvil 2950MFP-N;NIC 1", 1},
        {"model named after the opener", u"Printer (Korvil 2950MFP-N)", 1},
        {"different letter case", u"KORVIL 2950MFP-N", 0},
        {"different spacing", u"Korvil  2950MFP-N", 0},
        {"description shorter than every model", u"Korvil 2950MFP", 0},
        {"a different model", u"Korvil 2950MFP-X", 0},
        {"wide characters before the model", u"Ünïcode ✓ Korvil 2950MFP-D", 1},
        {"a surrogate pair before the model", u"😀Korvil 2950MFP-D 😀", 1},
        {"a lone surrogate before the model",
         char16_t(0xD83D) + std::u16string(u"Korvil 2950MFP-N"), 1},
        {"empty description", u"", 0},
    };
    std::vector<std::u16string> descriptions;
    std::vector<int> expected;
    for (const Row& row : rows) {
        descriptions.push_back(row.description);
        expected.push_back(row.matched);
    }
    EXPECT_EQ(Matched(m_models.data(), descriptions), expected);
}

TEST_F(ModelFilter, ComparesModelNamesAsNarrowBytes) {
    ModelListEntry model{};
    const std::string narrow = WideToNarrow(u"Drücker");
    std::memcpy(model.name, narrow.data(), narrow.size());
    // "Drücker" has 7 characters but 8 narrow bytes in UTF-8: it must still be found when it
    // is the whole description or ends it (in Windows-1252 it has 7).
    EXPECT_EQ(Matched(&model, {u"Drücker", u"x Drücker y", u"x Drücker", u"Drucker"}),
              (std::vector<int>{1, 1, 1, 0}));
}

TEST_F(ModelFilter, NoModelsOrOnlyEmptyNamesAcceptNothing) {
    EXPECT_EQ(Matched(nullptr, {u"Korvil 2950MFP-N"}), std::vector<int>{0});
    EXPECT_EQ(Matched(&m_models[1], {u"Korvil 2950MFP-N", u""}).at(1), 0);
    ModelListEntry empty{};
    EXPECT_EQ(Matched(&empty, {u"", u"anything"}), (std::vector<int>{0, 0}));
}

TEST_F(ModelFilter, OutOfMemoryStopsTheFilter) {
    // The first answer is matched with the first model; the second answer's copy fails.
    AllocationHook::FailNth(2);
    EXPECT_EQ(Matched(m_models.data(), {u"Korvil 2950MFP-D", u"Korvil 2950MFP-N"}, 5),
              (std::vector<int>{1, 0}));
}

} // namespace
