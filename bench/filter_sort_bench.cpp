// Filter and Sort of a materialized recordset against SQLite's own WHERE and
// ORDER BY over the same rows in memory. The recordset holds 1,000,000 rows
// of five columns (integer, text, real, integer, date); each case applies a
// filter and then a sort to it, while the peer runs the same query on an
// in-memory SQLite database and steps through its rows. Prints the ratios
// (ours / peer; target <= 0.6, warm and cold) and the peak memory of loading
// the recordset against the raw size of its values.
//
// Usage: filter_sort_bench [rows]   (default 1000000)
#include <malloc.h>
#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/Connection.h>

using namespace orvane;

namespace {

// The same deterministic rows on both sides.
std::string FillSql(long rows) {
    return "CREATE TABLE t(id INTEGER, category TEXT, amount REAL, qty INTEGER, day DATE);"
           "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
           std::to_string(rows) +
           ") INSERT INTO t SELECT x, 'cat' || (x * 7919 % 50), (x * 104729 % 100000) / 100.0, x * 31 % 1000, "
           "date('2000-01-01', '+' || (x * 13 % 9000) || ' days') FROM c;";
}

std::shared_ptr<data::Recordset> Run(const std::shared_ptr<data::Connection>& cnn, const std::string& sql) {
    data::Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandText = sql;
    return cmd.Execute();
}

std::shared_ptr<data::Connection> OurDatabase(long rows) {
    auto cnn = std::make_shared<data::Connection>();
    cnn->Open("Provider=SQLite;Data Source=:memory:", "", "");
    Run(cnn, FillSql(rows));
    return cnn;
}

long StepAll(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) std::abort();
    long n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) ++n;
    sqlite3_finalize(st);
    return n;
}

struct Case {
    const char* name;
    const char* filter;
    const char* sort;
    const char* where;
    const char* orderBy;
};

const Case kCases[] = {
    {"text+number filter, text+number sort", "amount > 250 AND category <> 'cat7'", "category, amount DESC",
     "amount > 250 AND category <> 'cat7'", "category, amount DESC"},
    {"number range filter, integer sort", "qty >= 100 AND qty < 900", "qty DESC", "qty >= 100 AND qty < 900",
     "qty DESC"},
    {"date filter, date+integer sort", "day >= #1/1/2005#", "day, id DESC", "day >= '2005-01-01'", "day, id DESC"},
    {"LIKE filter, real sort", "category LIKE 'cat1*'", "amount", "category LIKE 'cat1%'", "amount"},
    {"OR filter, no sort", "qty = 5 OR qty = 6 OR category = 'cat3'", "", "qty = 5 OR qty = 6 OR category = 'cat3'",
     ""},
};

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000L;
    std::printf("%s\n%ld rows x 5 columns\n", bench::MachineLine().c_str(), rows);

    // Memory first, in child processes, before this process holds anything big.
    const long baseline = bench::PeakMemoryOf([&] { OurDatabase(rows); });
    const long loaded = bench::PeakMemoryOf([&] {
        auto cnn = OurDatabase(rows);
        auto rs = Run(cnn, "SELECT * FROM t");
        rs->Filter(kCases[0].filter);
        rs->Sort(kCases[0].sort);
    });

    auto cnn = OurDatabase(rows);
    const std::size_t heapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
    double loadSeconds = 0;
    std::shared_ptr<data::Recordset> rs;
    loadSeconds = bench::Seconds([&] { rs = Run(cnn, "SELECT * FROM t"); });
    const std::size_t heapAfter = mallinfo2().uordblks + mallinfo2().hblkhd;
    auto raw = Run(cnn, "SELECT 32 * count(*) + sum(length(category)) AS bytes FROM t");
    const double rawBytes = static_cast<double>(*raw->Fields()("bytes").Value().AsInt());

    sqlite3* peer = nullptr;
    sqlite3_open(":memory:", &peer);
    sqlite3_exec(peer, FillSql(rows).c_str(), nullptr, nullptr, nullptr);

    std::printf("load into recordset: %.1f ms\n", loadSeconds * 1e3);
    std::printf("recordset held: %.1f MB for %.1f MB of raw values (%.2fx)\n", (heapAfter - heapBefore) / 1e6,
                rawBytes / 1e6, (heapAfter - heapBefore) / rawBytes);
    std::printf("peak of loading + filter + sort: %.1f MB over the database alone (%.2fx raw)\n",
                (loaded - baseline) / 1e6, (loaded - baseline) / rawBytes);

    for (const Case& c : kCases) {
        std::size_t ours = 0;
        long theirs = 0;
        // Filter and Sort return at once when asked for the text they already
        // hold, so every run starts from a recordset without either, undone
        // outside the timed part.
        auto o = bench::Measure(
            [&] {
                rs->Filter(c.filter);
                rs->Sort(c.sort);
                ours = rs->RecordCount();
            },
            5,
            [&] {
                rs->Sort("");
                rs->Filter("");
            });
        std::string sql = std::string("SELECT * FROM t WHERE ") + c.where;
        if (*c.orderBy) sql += std::string(" ORDER BY ") + c.orderBy;
        auto p = bench::Measure([&] { theirs = StepAll(peer, sql); });
        bench::PrintRow(c.name, o, p, 0.6, true);
        if (static_cast<long>(ours) != theirs) std::printf("  row counts differ: ours %zu, peer %ld\n", ours, theirs);
    }
    sqlite3_close(peer);
    return 0;
}
