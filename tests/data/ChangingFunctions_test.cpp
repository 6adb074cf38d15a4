// The scan for functions whose result changes between runs, over the SQL
// spellings of the databases reached and the places a name does not count.
#include <orvanespt/data/ChangingFunctions.h>

#include <gtest/gtest.h>

namespace orvane::data {
namespace {

TEST(ChangingFunctions, FindsTheFirstCallAndNothingInLiteralsQuotedNamesOrComments) {
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"SELECT n FROM t WHERE d = ?", ""},
        {"SELECT RANDOM()", "random"},
        {"select hex(randomblob(8)), random()", "randomblob"},
        {"SELECT datetime('now')", "'now'"},
        {"SELECT strftime('%s', ' NOW ')", "'now'"},
        {"SELECT 'now'::timestamp", "'now'"},
        {"SELECT * FROM t WHERE d < CURRENT_TIMESTAMP", "current_timestamp"},
        {"SELECT current_date, current_time", "current_date"},
        {"SELECT NOW()", "now"},
        {"SELECT GETDATE()", "getdate"},
        {"SELECT SYSDATETIME()", "sysdatetime"},
        {"SELECT SYSDATE FROM dual", "sysdate"},
        {"SELECT clock_timestamp()", "clock_timestamp"},
        {"SELECT NEWID() AS id", "newid"},
        {"SELECT UUID()", "uuid"},
        {"SELECT RAND() * 10", "rand"},
        {"SELECT nextval('factura_seq')", "nextval"},
        {"SELECT factura_seq.NEXTVAL FROM dual", "nextval"},
        {"SELECT NEXT VALUE FOR factura_seq", "next value for"},
        {"SELECT next\n value /* de */ for s", "next value for"},
        {"SELECT DATE()", "date()"},
        {"SELECT date ( /* hoy */ )", "date()"},
        {"SELECT time(), 1", "time()"},
        {"SELECT julianday( )", "julianday()"},
        {"SELECT unix_timestamp()", "unix_timestamp()"},
        // Functions of a value, and names that only look alike.
        {"SELECT date(fecha), time(hora), datetime(d, 'localtime') FROM pedidos", ""},
        {"SELECT unix_timestamp(fecha), julianday(d) FROM t", ""},
        {"SELECT randomness, nowhere, random_id, sysdate2, x0now, y9rand, z$uuid FROM t", ""},
        {"SELECT next, value, for_x FROM t", ""},
        {"SELECT changes(), a_very_long_column_name_of_thirty FROM t", ""},  // called bare, but not listed
        {"SELECT 'random()', 'CURRENT_TIMESTAMP', 'it''s now' FROM t", ""},
        {"SELECT \"random\", `now`, [getdate] FROM t", ""},
        {"SELECT 1 -- random()\n, 2 /* now() */", ""},
        {"SELECT \"a\"\"random\" FROM t", ""},
        {"SELECT fecha FROM t WHERE x = 'now", "'now'"},  // unclosed, to the end
        {"SELECT 'a", ""},
        {"/* unclosed random()", ""},
        {"", ""},
        // clang-format on
    };
    for (const auto& [sql, found] : cases) EXPECT_EQ(ChangingFunction(sql), found) << sql;
}

}  // namespace
}  // namespace orvane::data
