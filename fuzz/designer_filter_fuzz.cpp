// The filter designer's parser on any text. A filter it splits is composed
// back from its entries into a text that splits into the same conditions,
// and a condition it cuts is composed back into an entry that cuts into the
// same parts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include <orvanespt/platform/FilterConditions.h>

using namespace orvane;
using platform::ConditionParts;
using platform::FilterCondition;

namespace {

std::string Describe(const std::vector<FilterCondition>& list) {
    std::string out;
    for (const auto& c : list) out += "[" + c.Expresion + "] " + c.UnionOperator + "\n";
    return out;
}

std::string Describe(const ConditionParts& p) {
    return "[" + p.Field + "][" + p.Operator + "][" + p.Value + "][" + p.Union + "]";
}

void CheckFilter(const std::string& input) {
    const auto split = platform::SplitFilter(input);
    if (!split) return;
    std::vector<std::string> entries;
    for (const auto& c : *split) entries.push_back(c.Expresion + " " + c.UnionOperator);
    const std::string composed = platform::ComposeFilter(entries);
    const auto again = platform::SplitFilter(composed);
    fuzz::Check(again.has_value(), "a composed filter does not split", composed);
    bool same = again->size() == split->size();
    for (std::size_t i = 0; same && i < split->size(); ++i)
        same = (*again)[i].Expresion == (*split)[i].Expresion &&
               (i + 1 == split->size() || (*again)[i].UnionOperator == (*split)[i].UnionOperator);
    fuzz::Check(same, "a composed filter splits into other conditions", Describe(*split) + "----\n" + Describe(*again));
}

void CheckCondition(const std::string& input) {
    const auto parts = platform::SplitCondition(input);
    if (!parts) return;
    const std::string entry = platform::ComposeCondition(parts->Field, parts->Operator, parts->Value, parts->Union);
    const auto again = platform::SplitCondition(entry);
    fuzz::Check(again.has_value(), "a composed condition does not cut", entry);
    const std::string composedAgain =
        platform::ComposeCondition(again->Field, again->Operator, again->Value, again->Union);
    fuzz::Check(composedAgain == entry, "a condition changes on a second round trip",
                Describe(*parts) + "\n" + Describe(*again));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::AsText(data, size);
    CheckFilter(input);
    CheckCondition(input);
    return 0;
}
