// Parameter binding benchmark: the type lookup runs for every bound parameter
// of every query, and SQLExpresion for every macro that names a parameter.
// The lookup is timed against the plain walk of the table that lower-cases
// both names per row; SQLExpresion of a date parameter against a snprintf of
// the same literal. Prints ratios (ours / peer) and targets.
//
// Usage: parameter_bench [millions of lookups]   (default 2)
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/model/eParameter.h>
#include <orvanespt/platform/Text.h>

using namespace orvane;

namespace {

std::int16_t WalkCategory(std::string_view name) {
    const std::string key = text::Lower(text::TrimBlanks(name));
    for (const AdoTypeRow& row : AdoTypeTable())
        if (text::Lower(row.Name) == key) return row.Category;
    return kCategoryText;
}

}  // namespace

int main(int argc, char** argv) {
    const long n = (argc > 1 ? std::atol(argv[1]) : 2) * 1000000L;
    std::vector<std::string> names;
    for (const AdoTypeRow& row : AdoTypeTable()) names.emplace_back(row.Name);
    names.push_back(" ADDATE ");
    names.push_back("unknownType");
    std::printf("%s\n", bench::MachineLine().c_str());

    long sink = 0;
    auto ours = bench::Measure([&] {
        for (long i = 0; i < n; ++i) sink += AdoTypeCategory(names[i % names.size()]);
    });
    auto peer = bench::Measure([&] {
        for (long i = 0; i < n; ++i) sink += WalkCategory(names[i % names.size()]);
    });
    bench::PrintRow("AdoTypeCategory vs table walk", ours, peer, 0.15);

    eParameter p;
    p.eType("adDate");
    p.Value = Variant(DateTime{2024, 3, 5, 14, 7, 9});
    const long m = n / 10;
    auto sqlOurs = bench::Measure([&] {
        for (long i = 0; i < m; ++i) sink += static_cast<long>(p.SQLExpresion().size());
    });
    auto sqlPeer = bench::Measure([&] {
        char buf[40];
        for (long i = 0; i < m; ++i) {
            const int h = static_cast<int>(i % 24);
            sink += std::snprintf(buf, sizeof buf, "'%04d-%02d-%02d %02d:%02d:%02d'", 2024, 3, 5, h, 7, 9);
        }
    });
    bench::PrintRow("SQLExpresion (date) vs snprintf", sqlOurs, sqlPeer, 2.5);
    return sink == 42 ? 1 : 0;
}
