// Filter and Sort texts on a recordset: every clause form, the decisions on
// precedence, case and Null, malformed texts, and the order kept by sorts.
#include <gtest/gtest.h>

#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/FilterExpression.h>
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::data;

namespace {

class AdoFilter : public ::testing::Test {
protected:
    void SetUp() override {
        cnn_ = std::make_shared<Connection>();
        cnn_->Open("Provider=SQLite;Data Source=:memory:", "", "");
        orvane::testing::Execute(
            cnn_,
            "CREATE TABLE p(id INTEGER, name TEXT, [unit price] REAL, born DATE, active BOOLEAN, code);"
            "INSERT INTO p VALUES (1, 'Smith',    10.5, '1995-08-24', 1, 'A1');"
            "INSERT INTO p VALUES (2, 'smithers', 20,   '2001-01-01', 0, 5);"
            "INSERT INTO p VALUES (3, 'O''Malley', NULL, '1995-08-25', 1, '5');"
            "INSERT INTO p VALUES (4, 'Núñez',    -3e2, NULL,         0, 2.5);"
            "INSERT INTO p VALUES (5, 'BROWN',    20,   '1980-12-31', 1, NULL);"
            "INSERT INTO p VALUES (6, 'Écija',    7,    '2001-01-01 12:00:00', 0, 'x y');");
        rs_ = orvane::testing::Execute(cnn_, "SELECT * FROM p");
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

TEST_F(AdoFilter, FiltersByEachClauseFormMovesToTheFirstRowCombinesWithSortsAndSortsStably) {
    const std::pair<const char*, V> cases[] = {
        // clang-format off
        {"id = 3", {3}}, {"id <> 3", {1, 2, 4, 5, 6}}, {"id >= 5", {5, 6}}, {"id<2", {1}}, {"id <= 1.5", {1}},
        {"[unit price] > $10", {1, 2, 5}}, {"[unit price] < -$1E2", {4}}, {"[unit price] = 20.0", {2, 5}},
        {"name = 'SMITH'", {1}},  // text ignores case
        {"name = 'NÚÑEZ'", {4}},  // Latin-1 letters too
        {"name = 'o''malley'", {3}},
        {"name > 'S'", {1, 2, 6}},  // É sorts after ASCII
        {"born = #8/24/95#", {1}}, {"born > #1995-08-24#", {2, 3, 6}}, {"born = #1/1/2001 12:00 PM#", {6}},
        {"born < '1990-01-01'", {5}},  // a text read as a date
        {"active = TRUE", {1, 3, 5}},
        {"active = -1", {1, 3, 5}},  // any non-zero number is true
        {"active <> 2", {2, 4, 6}},  // 2 is true as well
        {"code = 5", {2, 3}},  // number cell and text cell alike
        {"code = 'x y'", {6}}, {"[unit price] = NULL", {3}}, {"born <> null", {1, 2, 3, 5, 6}},
        {"[unit price] <> 20", {1, 4, 6}},  // Null matches no comparison
        {"name = 5", {}}, {"name LIKE 'smith*'", {1, 2}}, {"name like 'SMITH%'", {1, 2}}, {"name LIKE '*mit*'", {1, 2}},
        {"name LIKE '%s'", {2}}, {"name LIKE 's*s'", {2}}, {"name LIKE 'smith'", {1}},
        {"name LIKE '*'", {1, 2, 3, 4, 5, 6}}, {"name LIKE '*ñ*'", {4}},
        {"code LIKE '2.*'", {4}},            // numbers by their text
        {"code LIKE '*'", {1, 2, 3, 4, 6}},  // never Null
        {"id > 1 AND id < 4", {2, 3}}, {"id = 1 or id = 6", {1, 6}},
        {"id = 1 OR id = 2 AND active = TRUE", {1}},  // AND binds tighter
        {"(id = 1 OR id = 2) AND active = FALSE", {2}},
        {"id = 4 AND active = 0  ", {4}},  // trailing blanks, as the filter designer writes
        // clang-format on
    };
    for (const auto& [filter, ids] : cases) EXPECT_EQ(Filtered(filter), ids) << filter;

    rs_->MoveLast();
    rs_->Filter("id > 2");
    EXPECT_EQ(rs_->Fields()("id").Value(), Variant(3));
    rs_->Filter("id > 100");
    EXPECT_TRUE(rs_->Eof() && rs_->Bof());
    rs_->Filter("");
    EXPECT_EQ(rs_->RecordCount(), 6u);
    EXPECT_EQ(rs_->Fields()("id").Value(), Variant(1));

    // Ties keep the original order; Null sorts first, or last descending; texts
    // ignore case; mixed kinds go Null, numbers, texts; "" restores.
    const std::pair<const char*, V> sorts[] = {
        // clang-format off
        {"[unit price]", {3, 4, 6, 1, 2, 5}}, {"[unit price] DESC", {2, 5, 1, 6, 4, 3}}, {"name", {5, 4, 3, 1, 2, 6}},
        {"active desc, name asc", {5, 3, 1, 4, 2, 6}}, {" [unit price] desc , id DESC ", {5, 2, 1, 6, 4, 3}},
        {"born", {4, 5, 1, 3, 2, 6}}, {"code", {5, 4, 2, 3, 1, 6}}, {"", {1, 2, 3, 4, 5, 6}},
        // clang-format on
    };
    for (const auto& [sort, ids] : sorts) {
        rs_->Sort(sort);
        EXPECT_EQ(Ids(), ids) << sort;
    }
}

TEST_F(AdoFilter, MalformedFiltersAndSortsRaiseTheirOwnErrorAndKeepThePreviousOne) {
    rs_->Filter("id > 4");
    const char* bad[] = {
        "id",
        "id =",
        "= 3",
        "id = 'open",
        "id = #13/45/2020#",
        "id = #2/29/2023#",
        "id = #1/1/2020",
        "id = #5#",
        "id == 3",
        "id = 3 AND",
        "id = 3 XOR id = 4",
        "(id = 3",
        "(id = 3]",
        "name = 'a' 'b'",
        "id = 3)",
        "id = abc",
        "[id = 3",
        "[] = 3",
        "id LIKE 3",
        "id > NULL",
        "id = 1e",
        "id = 1e2e3",
        "id = 1ex",
        "id = -",
        "id = -e",
        "id = $",
        "id = 1.2.3",
        "nosuchfield = 1",
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
