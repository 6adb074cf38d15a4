#include <orvanespt/platform/FilterConditions.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::platform {
namespace {

// A split filter as "clause UNION|..."; a split entry as "field|op|value|union".
std::string Shown(const std::vector<FilterCondition>& split) {
    std::string out;
    for (const FilterCondition& c : split) out += c.Expresion + " " + c.UnionOperator + "|";
    return out;
}
std::string Shown(const ConditionParts& p) {
    return p.Field + "|" + p.Operator + "|" + p.Value + "|" + p.Union;
}

struct Parts {
    const char* field;
    const char* op;
    const char* value;
    const char* unionWord;
};

// Conditions the dialog composes from four combo texts: each must come back
// from the composed filter as the same entries, and each entry as the same
// four parts.
const std::vector<std::vector<Parts>> kComposed = {
    {{"A", "=", "1", "AND"}},
    {{"ORDEN", "<>", "5", "OR"}, {"BRAND", ">=", "'x'", "AND"}},
    {{"[Nombre cliente]", "Like", "'San Juan*'", "OR"}, {"fecha", "<", "#1/31/2024#", "AND"}},
    {{"total", ">", "@Desde", "AND"}, {"total", "<=", "@Hasta", "OR"}, {"estado", "=", "'Rock AND Roll'", "AND"}},
    {{"nombre", "=", "'O''Malley'", "AND"}, {"[A<B]", "=", "2", "AND"}},
    {{"ciudad", "LIKE", "'*OR*'", "OR"}, {"CANDADO", "=", "\"x\"", "AND"}},
};

TEST(FilterConditions, ComposedFiltersSplitBackIntoTheSameEntriesAndPartsDroppingOnlyAWholeTrailingUnionWord) {
    for (const auto& list : kComposed) {
        std::vector<std::string> entries;
        for (const Parts& p : list) entries.push_back(ComposeCondition(p.field, p.op, p.value, p.unionWord));
        const std::string filter = ComposeFilter(entries);
        SCOPED_TRACE(filter);
        const auto split = SplitFilter(filter);
        ASSERT_TRUE(split.has_value());
        ASSERT_EQ(split->size(), list.size());
        std::vector<std::string> again;
        for (const FilterCondition& c : *split) again.push_back(c.Expresion + " " + c.UnionOperator);
        // The last union word is dropped by composing: it comes back as AND.
        entries.back() = ComposeCondition(list.back().field, list.back().op, list.back().value, "AND");
        EXPECT_EQ(again, entries);
        EXPECT_EQ(ComposeFilter(again), filter);
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto parts = SplitCondition(entries[i]);
            ASSERT_TRUE(parts.has_value()) << entries[i];
            EXPECT_EQ(Shown(*parts), std::string(list[i].field) + "|" + list[i].op + "|" + list[i].value + "|" +
                                         (i + 1 == list.size() ? "AND" : list[i].unionWord));
        }
    }

    EXPECT_EQ(ComposeCondition("  A ", " = ", " 1  ", " AND "), "A = 1 AND");
    EXPECT_EQ(ComposeFilter({"A = 1 AND", "B = 2 AND"}), "A = 1 AND B = 2  ");
    EXPECT_EQ(ComposeFilter({"x = BRAND"}), "x = BRAND ");
    EXPECT_EQ(ComposeFilter({"A = 1 and"}), "A = 1 and ");
    EXPECT_EQ(ComposeFilter({"A = 1 "}), "A = 1  ");
    // An entry without a union word does not run into the next one.
    EXPECT_EQ(ComposeFilter({"(a = 1 OR b = 2)", "c = 3 OR"}), "(a = 1 OR b = 2) AND c = 3  ");
    EXPECT_EQ(ComposeFilter({"a = 'x AND' ", "c = 3 OR"}), "a = 'x AND' AND c = 3  ");
}

// Written by hand: union words in any case, a tab for a blank and a
// trailing union word that stays with its clause.
TEST(FilterConditions, SplitsHandWrittenFilters) {
    const auto split = SplitFilter("a>=1 and\tb<=2 or c<>3 OR");
    ASSERT_TRUE(split.has_value());
    EXPECT_EQ(Shown(*split), "a>=1 AND|b<=2 OR|c<>3 OR|");
}

TEST(FilterConditions, RefusesWhatItCannotSplitAndSurvivesAnyBytes) {
    for (const char* text :
         {"", "   ", "(A = 1 OR B = 2) AND C = 3", "A = 1 AND (B = 2)", "A = 'open", "[A = 1", "A = #1/1/2024",
          "A = 1 B = 2", "A 1", "AND A = 1", "A = 1 AND AND B = 2", "A == 1", "A =< 1", "OR"})
        EXPECT_FALSE(SplitFilter(text).has_value()) << text;
    for (const char* entry : {"", "AND", "A = 1 AND B = 2", "(A = 1) AND", "A 1 AND", "A = 'x AND", "x < 1 > 2"})
        EXPECT_FALSE(SplitCondition(entry).has_value()) << entry;
    // Every prefix of awkward texts: no crash, no hang, and a split always
    // gives clauses that are pieces of the text.
    using namespace std::string_literals;
    const std::string texts[] = {"[a]]'b''#c#(d)<>=<=>=LIKE AND OR\t\r\n\xff\x00 'x"s, "''''''#]#[=(=)="s};
    for (const std::string& t : texts) {
        for (std::size_t n = 0; n <= t.size(); ++n) {
            const std::string_view part(t.data(), n);
            if (const auto split = SplitFilter(part)) {
                for (const auto& c : *split) EXPECT_NE(part.find(c.Expresion), std::string_view::npos);
            }
            if (const auto parts = SplitCondition(part)) {
                EXPECT_FALSE(parts->Operator.empty());
            }
        }
    }
}

}  // namespace
}  // namespace orvane::platform
