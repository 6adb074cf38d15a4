#include "data/ParameterTypes.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "platform/Text.h"

namespace orvane {
namespace {

constexpr std::array<AdoTypeRow, 41> kRows{{
    {"adEmpty", 0, 0, false},
    {"adTinyInt", 16, 1, false},
    {"adSmallInt", 2, 1, false},
    {"adInteger", 3, 1, false},
    {"adBigInt", 20, 1, false},
    {"adUnsignedTinyInt", 17, 1, false},
    {"adUnsignedSmallInt", 18, 1, false},
    {"adUnsignedInt", 19, 1, false},
    {"adUnsignedBigInt", 21, 1, false},
    {"adSingle", 4, 1, false},
    {"adDouble", 5, 1, true},
    {"adCurrency", 6, 1, false},
    {"adDecimal", 14, 1, false},
    {"adNumeric", 131, 1, false},
    {"adBoolean", 11, 3, false},
    {"adError", 10, 0, false},
    {"adUserDefined", 132, 5, false},
    {"adVariant", 12, 5, false},
    {"adIDispatch", 9, 5, false},
    {"adIUnknown", 13, 5, false},
    {"adGUID", 72, 1, false},
    {"adDate", 7, 4, false},
    {"adDBDate", 133, 4, false},
    {"adDBTime", 134, 4, false},
    {"adDBTimeStamp", 135, 4, false},
    {"adBSTR", 8, 2, false},
    {"adChar", 129, 2, false},
    {"adVarChar", 200, 2, true},
    {"adLongVarChar", 201, 2, false},
    {"adWChar", 130, 2, false},
    {"adVarWChar", 202, 2, false},
    {"adLongVarWChar", 203, 2, false},
    {"adBinary", 128, 5, false},
    {"adVarBinary", 204, 5, false},
    {"adLongVarBinary", 205, 5, false},
    {"adChapter", 136, 5, false},
    {"adFileTime", 64, 5, false},
    {"adPropVariant", 138, 5, false},
    {"adVarNumeric", 139, 1, false},
    {"adArray", 8192, 5, false},
    {"strDateTime", 200, 4, true},
}};

constexpr std::int16_t kUnknownCode = 13;

// More than the longest row name: a longer trimmed name cannot match.
constexpr std::size_t kMaxNameLength = 32;

// Lowered row names to rows, built once. emplace keeps the first row of a
// name, so a repeated name would still resolve to its first occurrence.
const std::unordered_map<std::string_view, const AdoTypeRow*>& RowsByLowerName() {
    static const std::array<std::string, kRows.size()> lowered = [] {
        std::array<std::string, kRows.size()> names;
        for (std::size_t i = 0; i < kRows.size(); ++i) names[i] = text::Lower(kRows[i].Name);
        return names;
    }();
    static const std::unordered_map<std::string_view, const AdoTypeRow*> map = [] {
        std::unordered_map<std::string_view, const AdoTypeRow*> m;
        for (std::size_t i = 0; i < kRows.size(); ++i) m.emplace(lowered[i], &kRows[i]);
        return m;
    }();
    return map;
}

// The lookup runs for every bound parameter of every query, so it does not
// allocate. The row names are ASCII: a name with any other byte cannot match,
// and only ASCII letters need lowering.
const AdoTypeRow* FindRowUncached(std::string_view name) {
    name = text::TrimBlanks(name);
    if (name.empty() || name.size() > kMaxNameLength) return nullptr;
    char key[kMaxNameLength];
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (static_cast<unsigned char>(c) >= 0x80) return nullptr;
        key[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const auto& map = RowsByLowerName();
    auto it = map.find(std::string_view(key, name.size()));
    return it == map.end() ? nullptr : it->second;
}

// A report binds the same few types query after query: the name looked up
// last on this thread is answered without hashing.
const AdoTypeRow* FindRow(std::string_view name) {
    constexpr std::size_t kKept = 32;
    thread_local char lastName[kKept];
    thread_local std::size_t lastSize = kKept + 1;  // nothing kept yet
    thread_local const AdoTypeRow* lastRow = nullptr;
    if (name.size() == lastSize && std::equal(name.begin(), name.end(), lastName)) return lastRow;
    const AdoTypeRow* row = FindRowUncached(name);
    if (name.size() <= kKept) {
        std::copy(name.begin(), name.end(), lastName);
        lastSize = name.size();
        lastRow = row;
    }
    return row;
}

}  // namespace

std::span<const AdoTypeRow> AdoTypeTable() {
    return kRows;
}

const AdoTypeRow* FindAdoType(std::string_view name) {
    return FindRow(name);
}

std::int16_t AdoTypeCode(std::string_view name) {
    const AdoTypeRow* row = FindRow(name);
    return row ? row->Code : kUnknownCode;
}

std::int16_t AdoTypeCategory(std::string_view name) {
    const AdoTypeRow* row = FindRow(name);
    return row ? row->Category : static_cast<std::int16_t>(kCategoryText);
}

}  // namespace orvane
