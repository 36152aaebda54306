#include "discovery/description_parser.h"
#include "tests/support/heap_guard.h"
#include "text/heap.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace {

struct SplitResult {
    std::optional<QString> name;
    std::optional<QString> version;
};

SplitResult Split(const QString& description, int versionKind) {
    char16_t* name = nullptr;
    char16_t* version = nullptr;
    SplitDescription(description, versionKind, &name, &version);
    SplitResult result;
    if (name != nullptr)
        result.name = QString::fromUtf16(name);
    if (version != nullptr)
        result.version = QString::fromUtf16(version);
    HeapFree(name);
    HeapFree(version);
    return result;
}

QString Normalized(QString text) {
    NormalizeDescription(text);
    return text;
}

struct WorkedCase {
    QString description;
    QString normalized;
    QString name;
    QString controller; // version kind 0
    QString engine;     // version kind 1
    QString net;        // version kind 4
};

TEST(DescriptionParsing, WorkedDescriptions) {
    const QString n = QStringLiteral("Korvil 2950MFP-N");
    const WorkedCase cases[] = {
        {"Korvil 2950MFP-N;NIC 1.10,ESS 2.20,IOT 3.30",
         "Korvil 2950MFP-N(Net 1.10,Controller 2.20,Engine 3.30)", n, "2.20", "3.30", "1.10"},
        {"Korvil 2950MFP-D (ESS 2.20, IOT 3.30)", "Korvil 2950MFP-D (Controller 2.20, Engine 3.30)",
         "Korvil 2950MFP-D", "2.20", "3.30", ""},
        {n, n, n, "", "", ""},
        {"Korvil 2950MFP-N (NIC 1.10", "Korvil 2950MFP-N (Net 1.10", "Korvil 2950MFP-N (NIC 1.10",
         "", "", ""},
        {"Korvil 2950MFP-N;", "Korvil 2950MFP-N()", "Korvil 2950MFP-N;", "", "", ""},
        {"Korvil 2950MFP-N;IOT", "Korvil 2950MFP-N(Engine)", n, "", "", ""},
        {"Korvil 2950MFP-N(Network 5.0)", "Korvil 2950MFP-N(Network 5.0)", n, "", "", "work 5.0"},
        {"A;B;ESS 1", "A(B;Controller 1)", "A", "1", "", ""},
        {"A;B(ESS 1)", "A;B(Controller 1)", "A;B", "1", "", ""},
    };
    HeapLeakGuard guard;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description.toStdString());
        EXPECT_EQ(Normalized(c.description), c.normalized);
        const std::pair<int, QString> kinds[] = {
            {0, c.controller}, {1, c.engine}, {4, c.net}, {9, QString()}};
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
    QString description;
    int versionKind;
    QString normalized;
    QString name;
    QString version;
};

TEST(DescriptionParsing, EdgeDescriptions) {
    const EdgeCase cases[] = {
        {"keys inside longer words are replaced", "P;NICE 2", 4, "P(NetE 2)", "P", "E 2"},
        {"keys before the opener stay", "NIC ESS(IOT 1)", 1, "NIC ESS(Engine 1)", "NIC ESS", "1"},
        {"keys are case-sensitive", "P(nic 1,Ess 2)", 4, "P(nic 1,Ess 2)", "P", ""},
        {"only the first group counts", "P (ESS 1) (ESS 2) x", 0,
         "P (Controller 1) (Controller 2) x", "P", "1"},
        {"text after the first closer is ignored", "P(IOT 1) ESS 2", 0, "P(Engine 1) Controller 2",
         "P", ""},
        {"only spaces are trimmed", "\tP \t(ESS \t7\t , IOT 8)", 0,
         "\tP \t(Controller \t7\t , Engine 8)", "\tP \t", "\t7\t"},
        {"commas after the label are skipped", "P(ESS,,3,4)", 0, "P(Controller,,3,4)", "P", "3"},
        {"nothing but commas after the label", "P(ESS,,)", 0, "P(Controller,,)", "P", ""},
        {"closers before the parts are skipped", "P())ESS 5)", 0, "P())Controller 5)", "P", "5"},
        {"opening characters only", "(((", 0, "(((", "(((", ""},
        {"empty description", "", 0, "", "", ""},
        // A text opening with its list has no name before it: with no second opener the whole
        // description stands as the name.
        {"leading opener and one list", "(ESS 1)", 0, "(Controller 1)", "(ESS 1)", ""},
        {"leading semicolon", ";ESS 1", 0, "(Controller 1)", ";ESS 1", ""},
        {"leading openers without a closer", "((ESS", 0, "((Controller", "((ESS", ""},
        {"leading opener, then a named list", "(A (ESS 1)", 0, "(A (Controller 1)", "A", "1"},
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
    const QString description = QStringLiteral("Korvil 2950MFP-N;ESS 2.20");
    // Allocations: the working copy, the name, the version.
    AllocationHook::FailNth(1);
    SplitResult split = Split(description, 0);
    EXPECT_FALSE(split.name.has_value());
    EXPECT_FALSE(split.version.has_value());
    AllocationHook::FailNth(2);
    split = Split(description, 0);
    EXPECT_FALSE(split.name.has_value());
    EXPECT_EQ(split.version, QStringLiteral("2.20"));
    AllocationHook::FailNth(3);
    split = Split(description, 0);
    EXPECT_EQ(split.name, QStringLiteral("Korvil 2950MFP-N"));
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

    std::vector<int> Matched(const ModelListEntry* models, const QStringList& descriptions,
                             int expectedResult = 0) {
        AnswerArray answers;
        for (const QString& description : descriptions)
            answers.push_back(std::make_unique<PrinterData>(description, "10.77.1.1"));
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
        QString description;
        int matched;
    };
    const Row rows[] = {
        {"first model at the start", "Korvil 2950MFP-D", 1},
        {"second model inside", "x Korvil 2950MFP-N;NIC 1", 1},
        {"model named after the opener", "Printer (Korvil 2950MFP-N)", 1},
        {"different letter case", "KORVIL 2950MFP-N", 0},
        {"different spacing", "Korvil  2950MFP-N", 0},
        {"description shorter than every model", "Korvil 2950MFP", 0},
        {"a different model", "Korvil 2950MFP-X", 0},
        {"wide characters before the model", QString::fromUtf8("Ünïcode ✓ Korvil 2950MFP-D"), 1},
        {"a surrogate pair before the model", QString::fromUtf8("😀Korvil 2950MFP-D 😀"), 1},
        {"a lone surrogate before the model", QString(QChar(0xD83D)) + "Korvil 2950MFP-N", 1},
        {"empty description", "", 0},
    };
    QStringList descriptions;
    std::vector<int> expected;
    for (const Row& row : rows) {
        descriptions << row.description;
        expected.push_back(row.matched);
    }
    EXPECT_EQ(Matched(m_models.data(), descriptions), expected);
}

TEST_F(ModelFilter, ComparesModelNamesAsNarrowBytes) {
    ModelListEntry model{};
    const QByteArray narrow = QString::fromUtf8("Drücker").toLocal8Bit();
    std::memcpy(model.name, narrow.constData(), static_cast<size_t>(narrow.size()));
    // "Drücker" has 7 characters but 8 narrow bytes in UTF-8: it must still be found when it
    // is the whole description or ends it.
    EXPECT_EQ(Matched(&model, {QString::fromUtf8("Drücker"), QString::fromUtf8("x Drücker y"),
                               QString::fromUtf8("x Drücker"), QString::fromUtf8("Drucker")}),
              (std::vector<int>{1, 1, 1, 0}));
}

TEST_F(ModelFilter, NoModelsOrOnlyEmptyNamesAcceptNothing) {
    EXPECT_EQ(Matched(nullptr, {"Korvil 2950MFP-N"}), std::vector<int>{0});
    EXPECT_EQ(Matched(&m_models[1], {"Korvil 2950MFP-N", ""}).at(1), 0);
    ModelListEntry empty{};
    EXPECT_EQ(Matched(&empty, {"", "anything"}), (std::vector<int>{0, 0}));
}

TEST_F(ModelFilter, OutOfMemoryStopsTheFilter) {
    // The first answer is matched with the first model; the second answer's copy fails.
    AllocationHook::FailNth(2);
    EXPECT_EQ(Matched(m_models.data(), {"Korvil 2950MFP-D", "Korvil 2950MFP-N"}, 5),
              (std::vector<int>{1, 0}));
}

} // namespace
