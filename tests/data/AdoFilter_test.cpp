// Filter and Sort texts on a recordset: every clause form, the decisions on
// precedence, case and Null, malformed texts, and the order kept by sorts.
#include <gtest/gtest.h>

#include "data/ado/Command.h"
#include "data/ado/Connection.h"
#include "data/ado/FilterExpression.h"

using namespace orvane;
using namespace orvane::data;

namespace {

class AdoFilter : public ::testing::Test {
protected:
    void SetUp() override {
        cnn_ = std::make_shared<Connection>();
        cnn_->Open("Provider=SQLite;Data Source=:memory:", "", "");
        Exec(
            "CREATE TABLE p(id INTEGER, name TEXT, [unit price] REAL, born DATE, active BOOLEAN, code);"
            "INSERT INTO p VALUES (1, 'Smith',    10.5, '1995-08-24', 1, 'A1');"
            "INSERT INTO p VALUES (2, 'smithers', 20,   '2001-01-01', 0, 5);"
            "INSERT INTO p VALUES (3, 'O''Malley', NULL, '1995-08-25', 1, '5');"
            "INSERT INTO p VALUES (4, 'Núñez',    -3e2, NULL,         0, 2.5);"
            "INSERT INTO p VALUES (5, 'BROWN',    20,   '1980-12-31', 1, NULL);"
            "INSERT INTO p VALUES (6, 'Écija',    7,    '2001-01-01 12:00:00', 0, 'x y');");
        Command cmd;
        cmd.ActiveConnection = cnn_;
        cmd.CommandText = "SELECT * FROM p";
        rs_ = cmd.Execute();
    }
    void Exec(const std::string& sql) {
        Command cmd;
        cmd.ActiveConnection = cnn_;
        cmd.CommandText = sql;
        cmd.Execute();
    }
    std::vector<int> Ids() {
        std::vector<int> ids;
        if (rs_->Eof()) return ids;
        rs_->MoveFirst();
        for (; !rs_->Eof(); rs_->MoveNext()) ids.push_back(static_cast<int>(*rs_->Fields()("id").Value().AsInt()));
        return ids;
    }
    std::vector<int> Filtered(const std::string& f) {
        rs_->Filter(f);
        return Ids();
    }
    using V = std::vector<int>;
    std::shared_ptr<Connection> cnn_;
    std::shared_ptr<Recordset> rs_;
};

}  // namespace

TEST_F(AdoFilter, ComparisonsOnEachKind) {
    EXPECT_EQ(Filtered("id = 3"), V{3});
    EXPECT_EQ(Filtered("id <> 3"), (V{1, 2, 4, 5, 6}));
    EXPECT_EQ(Filtered("id >= 5"), (V{5, 6}));
    EXPECT_EQ(Filtered("id<2"), V{1});
    EXPECT_EQ(Filtered("id <= 1.5"), V{1});
    EXPECT_EQ(Filtered("[unit price] > $10"), (V{1, 2, 5}));
    EXPECT_EQ(Filtered("[unit price] < -1e2"), V{4});
    EXPECT_EQ(Filtered("[unit price] = 20.0"), (V{2, 5}));
    EXPECT_EQ(Filtered("name = 'SMITH'"), V{1});  // text ignores case
    EXPECT_EQ(Filtered("name = 'NÚÑEZ'"), V{4});  // Latin-1 letters too
    EXPECT_EQ(Filtered("name = 'o''malley'"), V{3});
    EXPECT_EQ(Filtered("name > 'S'"), (V{1, 2, 6}));  // É sorts after ASCII
    EXPECT_EQ(Filtered("born = #8/24/95#"), V{1});
    EXPECT_EQ(Filtered("born > #1995-08-24#"), (V{2, 3, 6}));
    EXPECT_EQ(Filtered("born = #1/1/2001 12:00 PM#"), V{6});
    EXPECT_EQ(Filtered("born < '1990-01-01'"), V{5});  // a text read as a date
    EXPECT_EQ(Filtered("active = TRUE"), (V{1, 3, 5}));
    EXPECT_EQ(Filtered("active = -1"), (V{1, 3, 5}));  // any non-zero number is true
    EXPECT_EQ(Filtered("active <> 0"), (V{1, 3, 5}));
    EXPECT_EQ(Filtered("code = 5"), (V{2, 3}));  // number cell and text cell alike
    EXPECT_EQ(Filtered("code = 'x y'"), V{6});
    EXPECT_EQ(Filtered("[unit price] = NULL"), V{3});
    EXPECT_EQ(Filtered("born <> null"), (V{1, 2, 3, 5, 6}));
    EXPECT_EQ(Filtered("[unit price] <> 20"), (V{1, 4, 6}));  // Null matches no comparison
    EXPECT_EQ(Filtered("name = 5"), V{});
}

TEST_F(AdoFilter, LikePatterns) {
    EXPECT_EQ(Filtered("name LIKE 'smith*'"), (V{1, 2}));
    EXPECT_EQ(Filtered("name like 'SMITH%'"), (V{1, 2}));
    EXPECT_EQ(Filtered("name LIKE '*mit*'"), (V{1, 2}));
    EXPECT_EQ(Filtered("name LIKE '%s'"), V{2});
    EXPECT_EQ(Filtered("name LIKE 's*s'"), V{2});
    EXPECT_EQ(Filtered("name LIKE 'smith'"), V{1});
    EXPECT_EQ(Filtered("name LIKE '*'"), (V{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Filtered("name LIKE '*ñ*'"), V{4});
    EXPECT_EQ(Filtered("code LIKE '2.*'"), V{4});              // numbers by their text
    EXPECT_EQ(Filtered("code LIKE '*'"), (V{1, 2, 3, 4, 6}));  // never Null
}

TEST_F(AdoFilter, AndOrAndParentheses) {
    EXPECT_EQ(Filtered("id > 1 AND id < 4"), (V{2, 3}));
    EXPECT_EQ(Filtered("id = 1 or id = 6"), (V{1, 6}));
    // AND binds tighter: 1 OR (2 AND active)
    EXPECT_EQ(Filtered("id = 1 OR id = 2 AND active = TRUE"), V{1});
    EXPECT_EQ(Filtered("(id = 1 OR id = 2) AND active = FALSE"), V{2});
    EXPECT_EQ(Filtered("(id = 1 AND active = TRUE) OR (id = 2 AND active = TRUE)"), V{1});
    EXPECT_EQ(Filtered("((((id = 4))))"), V{4});
    // What the filter designer writes: trailing blanks.
    EXPECT_EQ(Filtered("id = 4 AND active = 0  "), V{4});
}

TEST_F(AdoFilter, SettingAFilterMovesToTheFirstRowEmptyRemovesItAndSortsCombine) {
    rs_->MoveLast();
    rs_->Filter("id > 2");
    EXPECT_EQ(rs_->Fields()("id").Value(), Variant(3));
    EXPECT_EQ(rs_->RecordCount(), 4u);
    rs_->Filter("id > 100");
    EXPECT_TRUE(rs_->Eof() && rs_->Bof());
    rs_->Filter("");
    EXPECT_EQ(rs_->RecordCount(), 6u);
    EXPECT_EQ(rs_->Fields()("id").Value(), Variant(1));
    EXPECT_EQ(rs_->Filter(), "");

    // Combined with a sort, in either order.
    rs_->Sort("name DESC");
    rs_->Filter("active = TRUE");
    EXPECT_EQ(Ids(), (V{1, 3, 5}));
    rs_->Sort("");
    EXPECT_EQ(Ids(), (V{1, 3, 5}));
    rs_->Sort("id desc");
    rs_->Filter("");
    EXPECT_EQ(Ids(), (V{6, 5, 4, 3, 2, 1}));
}

TEST_F(AdoFilter, MalformedFiltersAndSortsRaiseAndKeepThePreviousOne) {
    rs_->Filter("id > 4");
    const char* bad[] = {
        "id",
        "id =",
        "= 3",
        "id = 'open",
        "id = #13/45/2020#",
        "id = #1/1/2020",
        "id == 3",
        "id = 3 AND",
        "id = 3 XOR id = 4",
        "(id = 3",
        "id = 3)",
        "id = abc",
        "[id = 3",
        "[] = 3",
        "id LIKE 3",
        "id > NULL",
        "id = 1e",
        "id = $",
        "id = 1.2.3",
        "nosuchfield = 1",
        "()",
        "id = 3 id = 4",
        "AND",
        "id = 3 OR (",
    };
    for (const char* text : bad) {
        EXPECT_THROW(rs_->Filter(text), ExpressionError) << text;
        EXPECT_EQ(rs_->Filter(), "id > 4") << text;
        EXPECT_EQ(rs_->RecordCount(), 2u) << text;
    }
    std::string deep(kMaxFilterNesting + 1, '(');
    deep += "id = 1" + std::string(kMaxFilterNesting + 1, ')');
    EXPECT_THROW(rs_->Filter(deep), ExpressionError);
    std::string hostile(100000, '(');
    EXPECT_THROW(rs_->Filter(hostile), ExpressionError);
    std::string ok(kMaxFilterNesting, '(');
    ok += "id = 1" + std::string(kMaxFilterNesting, ')');
    EXPECT_EQ(Filtered(ok), V{1});
    // A long flat chain is not nesting.
    std::string chain = "id = 0";
    for (int i = 0; i < 5000; ++i) chain += " OR id = 6";
    EXPECT_EQ(Filtered(chain), V{6});

    rs_->Filter("");
    rs_->Sort("id DESC");
    for (const char* text : {"id DOWN", "nosuch", "id,", "[id", "ASC", "id DESC ASC", ",id"}) {
        EXPECT_THROW(rs_->Sort(text), ExpressionError) << text;
        EXPECT_EQ(rs_->Sort(), "id DESC");
    }
    EXPECT_EQ(Ids(), (V{6, 5, 4, 3, 2, 1}));
}

TEST_F(AdoFilter, SortOrdersStablyAndEmptyRestores) {
    rs_->Sort("[unit price]");
    EXPECT_EQ(Ids(), (V{3, 4, 6, 1, 2, 5}));  // Null first, ties in original order
    rs_->Sort("[unit price] DESC");
    EXPECT_EQ(Ids(), (V{2, 5, 1, 6, 4, 3}));  // ties still in original order, Null last
    rs_->Sort("name");
    EXPECT_EQ(Ids(), (V{5, 4, 3, 1, 2, 6}));  // case ignored
    rs_->Sort("active desc, name asc");
    EXPECT_EQ(Ids(), (V{5, 3, 1, 4, 2, 6}));
    rs_->Sort(" [unit price] desc , id DESC ");
    EXPECT_EQ(Ids(), (V{5, 2, 1, 6, 4, 3}));
    rs_->Sort("born");
    EXPECT_EQ(Ids(), (V{4, 5, 1, 3, 2, 6}));
    rs_->Sort("code");  // mixed kinds: Null, numbers, texts
    EXPECT_EQ(Ids(), (V{5, 4, 2, 3, 1, 6}));
    rs_->Sort("");
    EXPECT_EQ(Ids(), (V{1, 2, 3, 4, 5, 6}));
}

TEST(FilterExpression, ParsesIntoTheExpectedTree) {
    EXPECT_EQ(ParseFilter("   "), nullptr);
    auto n = ParseFilter("a = 1 or b = 'x' and [c d] like 'y*'");
    ASSERT_TRUE(n);
    ASSERT_EQ(n->kind, FilterNode::Kind::Or);
    ASSERT_EQ(n->children.size(), 2u);
    EXPECT_EQ(n->children[1].kind, FilterNode::Kind::And);
    EXPECT_EQ(n->children[1].children[1].field, "c d");
    EXPECT_EQ(n->children[1].children[1].op, CompareOp::Like);
    auto d = ParseFilter("x = #2/29/2024 23:59:58#");
    EXPECT_EQ(d->value.date, (DateTime{2024, 2, 29, 23, 59, 58}));
    EXPECT_THROW(ParseFilter("x = #2/29/2023#"), ExpressionError);
    auto num = ParseFilter("x = -$1.5E3");
    EXPECT_DOUBLE_EQ(num->value.number, -1500);
    auto keys = ParseSort("[a b] DESC, c");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].field, "a b");
    EXPECT_TRUE(keys[0].descending);
    EXPECT_FALSE(keys[1].descending);
}

TEST_F(AdoFilter, GarbageFiltersEitherApplyOrRaiseTheirOwnError) {
    const char* pieces[] = {"(",    ")",    "[",    "]",          "'",      "#", " AND ",       " OR ", "id",
                            "name", "=",    "<>",   "<",          " LIKE ", "5", "$",           "e",    " ",
                            "*",    "NULL", "'a*'", "#1/2/2003#", "-",      ".", "[unit price]"};
    std::uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    int applied = 0, refused = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const std::uint32_t length = next() % 9;
        for (std::uint32_t k = 0; k < length; ++k) text += pieces[next() % std::size(pieces)];
        try {
            rs_->Filter(text);
            ++applied;
        } catch (const ExpressionError&) {
            ++refused;
        }
        ASSERT_LE(rs_->RecordCount(), 6u) << text;
    }
    EXPECT_GT(applied, 50);
    EXPECT_GT(refused, 50);
}
