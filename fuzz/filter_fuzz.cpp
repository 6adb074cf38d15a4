// Recordset Filter and Sort texts on any input, against a small recordset of
// every cell kind. A text the parser refuses is refused by the recordset too,
// and a refused text leaves the previous filter or sort and its rows in place.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/FilterExpression.h>
#include <orvanespt/data/ado/Recordset.h>

using namespace orvane;
using namespace orvane::data;

namespace {

std::shared_ptr<Recordset> MakeRecordset() {
    static auto cnn = [] {
        auto c = std::make_shared<Connection>();
        c->Open("Provider=SQLite;Data Source=:memory:", "", "");
        Command make;
        make.ActiveConnection = c;
        make.CommandText =
            "CREATE TABLE p(id INTEGER, name TEXT, [unit price] REAL, born DATE, active BOOLEAN, code);"
            "INSERT INTO p VALUES (1, 'Smith', 10.5, '1995-08-24', 1, 'A1');"
            "INSERT INTO p VALUES (2, 'smithers', 20, '2001-01-01', 0, 5);"
            "INSERT INTO p VALUES (3, 'O''Malley', NULL, '1995-08-25', 1, '5');"
            "INSERT INTO p VALUES (4, 'Núñez', -3e2, NULL, 0, 2.5);"
            "INSERT INTO p VALUES (5, 'BROWN', 20, '1980-12-31 23:59:59', 1, NULL);";
        make.Execute();
        return c;
    }();
    Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandText = "SELECT * FROM p";
    return cmd.Execute();
}

std::vector<std::string> Rows(Recordset& rs) {
    std::vector<std::string> ids;
    if (rs.Eof() && rs.Bof()) return ids;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) ids.push_back(rs.Fields()("id").Value().Text().value_or("?"));
    return ids;
}

bool ParserRefuses(bool sort, const std::string& text) {
    try {
        if (sort)
            ParseSort(text);
        else
            ParseFilter(text);
        return false;
    } catch (const ExpressionError&) {
        return true;
    }
}

void Exercise(Recordset& rs, bool sort, const std::string& text, const std::string& previous) {
    if (sort)
        rs.Sort(previous);
    else
        rs.Filter(previous);
    const auto before = Rows(rs);
    const bool refused = ParserRefuses(sort, text);
    try {
        if (sort)
            rs.Sort(text);
        else
            rs.Filter(text);
        fuzz::Check(!refused, "the recordset takes a text its parser refuses", text);
        fuzz::Check(Rows(rs).size() <= 5, "a filter shows more rows than the recordset has");
    } catch (const ExpressionError&) {
        fuzz::Check((sort ? rs.Sort() : rs.Filter()) == previous, "a refused text replaced the previous one", text);
        fuzz::Check(Rows(rs) == before, "a refused text changed the rows shown", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::AsText(data, size);
    auto rs = MakeRecordset();
    Exercise(*rs, false, input, "id > 1");
    Exercise(*rs, true, input, "name DESC");
    return 0;
}
