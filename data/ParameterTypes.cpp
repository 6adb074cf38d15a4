#include <orvanespt/data/ParameterTypes.h>

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include <orvanespt/platform/Text.h>

namespace orvane {
namespace {

using T = AdoType;
using B = AdoBinding;

constexpr AdoTypeRow Row(std::string_view name, AdoType code, AdoTypeCategoryKind category, bool isDefault,
                         AdoBinding binding, double low = 0, double high = 0) {
    return {name, AdoCode(code), category, isDefault, binding, low, high};
}

constexpr double kInt64Low = -9.2233720368547758e18, kInt64High = 9.2233720368547748e18;

constexpr std::array<AdoTypeRow, 41> kRows{{
    Row("adEmpty", T::Empty, kCategoryOther, false, B::Refused),
    Row("adTinyInt", T::TinyInt, kCategoryNumber, false, B::Whole, -128, 127),
    Row("adSmallInt", T::SmallInt, kCategoryNumber, false, B::Whole, -32768, 32767),
    Row("adInteger", T::Integer, kCategoryNumber, false, B::Whole, -2147483648.0, 2147483647.0),
    Row("adBigInt", T::BigInt, kCategoryNumber, false, B::Whole, kInt64Low, kInt64High),
    Row("adUnsignedTinyInt", T::UnsignedTinyInt, kCategoryNumber, false, B::Whole, 0, 255),
    Row("adUnsignedSmallInt", T::UnsignedSmallInt, kCategoryNumber, false, B::Whole, 0, 65535),
    Row("adUnsignedInt", T::UnsignedInt, kCategoryNumber, false, B::Whole, 0, 4294967295.0),
    Row("adUnsignedBigInt", T::UnsignedBigInt, kCategoryNumber, false, B::Whole, 0, kInt64High),
    Row("adSingle", T::Single, kCategoryNumber, false, B::Real),
    Row("adDouble", T::Double, kCategoryNumber, true, B::Real),
    Row("adCurrency", T::Currency, kCategoryNumber, false, B::Exact),
    Row("adDecimal", T::Decimal, kCategoryNumber, false, B::Exact),
    Row("adNumeric", T::Numeric, kCategoryNumber, false, B::Exact),
    Row("adBoolean", T::Boolean, kCategoryTruth, false, B::Truth),
    Row("adError", T::Error, kCategoryOther, false, B::Refused),
    Row("adUserDefined", T::UserDefined, kCategoryBinary, false, B::Refused),
    Row("adVariant", T::Variant, kCategoryBinary, false, B::OwnKind),
    Row("adIDispatch", T::IDispatch, kCategoryBinary, false, B::Refused),
    Row("adIUnknown", T::IUnknown, kCategoryBinary, false, B::OwnKind),
    Row("adGUID", T::GUID, kCategoryNumber, false, B::Text),
    Row("adDate", T::Date, kCategoryDateTime, false, B::Timestamp),
    Row("adDBDate", T::DBDate, kCategoryDateTime, false, B::Date),
    Row("adDBTime", T::DBTime, kCategoryDateTime, false, B::Time),
    Row("adDBTimeStamp", T::DBTimeStamp, kCategoryDateTime, false, B::Timestamp),
    Row("adBSTR", T::BSTR, kCategoryText, false, B::Text),
    Row("adChar", T::Char, kCategoryText, false, B::Text),
    Row("adVarChar", T::VarChar, kCategoryText, true, B::Text),
    Row("adLongVarChar", T::LongVarChar, kCategoryText, false, B::Text),
    Row("adWChar", T::WChar, kCategoryText, false, B::Text),
    Row("adVarWChar", T::VarWChar, kCategoryText, false, B::Text),
    Row("adLongVarWChar", T::LongVarWChar, kCategoryText, false, B::Text),
    Row("adBinary", T::Binary, kCategoryBinary, false, B::Bytes),
    Row("adVarBinary", T::VarBinary, kCategoryBinary, false, B::Bytes),
    Row("adLongVarBinary", T::LongVarBinary, kCategoryBinary, false, B::Bytes),
    Row("adChapter", T::Chapter, kCategoryBinary, false, B::Refused),
    Row("adFileTime", T::FileTime, kCategoryBinary, false, B::Refused),
    Row("adPropVariant", T::PropVariant, kCategoryBinary, false, B::Refused),
    Row("adVarNumeric", T::VarNumeric, kCategoryNumber, false, B::Exact),
    Row("adArray", T::Array, kCategoryBinary, false, B::Refused),
    // Bound as adVarChar: its code finds that row first.
    Row("strDateTime", T::VarChar, kCategoryDateTime, true, B::Text),
}};

constexpr std::int16_t kUnknownCode = AdoCode(T::IUnknown);

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
        key[i] = text::FoldAscii(c);
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

const AdoTypeRow* FindAdoTypeCode(int code) {
    for (const AdoTypeRow& row : kRows)
        if (row.Code == code) return &row;
    return nullptr;
}

}  // namespace orvane
