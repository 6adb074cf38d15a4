// The parameter type table: every type name a parameter may carry, with the
// ADO data type code it is bound with and the category that decides how its
// value is written into SQL and script text. The parameter editor lists the
// rows in table order; record sources bind parameters by code and category.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane {

/// ADO data type codes.
enum class AdoType : std::int16_t {
    Empty = 0,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    BSTR = 8,
    IDispatch = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,
    IUnknown = 13,
    Decimal = 14,
    TinyInt = 16,
    UnsignedTinyInt = 17,
    UnsignedSmallInt = 18,
    UnsignedInt = 19,
    BigInt = 20,
    UnsignedBigInt = 21,
    FileTime = 64,
    GUID = 72,
    Binary = 128,
    Char = 129,
    WChar = 130,
    Numeric = 131,
    UserDefined = 132,
    DBDate = 133,
    DBTime = 134,
    DBTimeStamp = 135,
    Chapter = 136,
    PropVariant = 138,
    VarNumeric = 139,
    VarChar = 200,
    LongVarChar = 201,
    VarWChar = 202,
    LongVarWChar = 203,
    VarBinary = 204,
    LongVarBinary = 205,
    Array = 8192,
};
/// The numeric ADO type code of t.
constexpr std::int16_t AdoCode(AdoType t) {
    return static_cast<std::int16_t>(t);
}

/// How a parameter's value is rendered as a literal.
enum AdoTypeCategoryKind : std::int16_t {
    kCategoryOther = 0,     ///< nothing is rendered
    kCategoryNumber = 1,    ///< decimal number
    kCategoryText = 2,      ///< quoted text
    kCategoryTruth = 3,     ///< truth value
    kCategoryDateTime = 4,  ///< quoted, formatted date/time
    kCategoryBinary = 5,    ///< binary and object types: nothing is rendered
};

/// How a command binds a value for a type code. Null and Empty values bind
/// NULL whatever the type.
enum class AdoBinding : std::uint8_t {
    Refused,    ///< the type cannot be sent to the database
    Whole,      ///< whole number within Low..High (texts read as numbers, fractions rounded half to even)
    Real,       ///< floating point
    Exact,      ///< exact decimal, never through a double
    Text,       ///< text (a declared size is a hint: longer texts are sent whole)
    Bytes,      ///< the bytes of the text
    Truth,      ///< truth value
    Date,       ///< date
    Time,       ///< time of day
    Timestamp,  ///< date and time
    OwnKind,    ///< by the value's own kind
};

/// One row of the parameter type table: a type name, its code and how
/// values of it are bound.
struct ORVANE_API AdoTypeRow {
    std::string_view Name;  ///< type name as the definition stores it
    std::int16_t Code;      ///< ADO data type code, an AdoType
    std::int16_t Category;  ///< one of AdoTypeCategoryKind
    bool IsDefault;         ///< preselected in its group of the parameter editor
    AdoBinding Binding;     ///< how a command binds values of the code
    /// Whole: the range of the code.
    ///@{
    double Low, High;
    ///@}
};

/// The 41 rows, in the order the parameter editor lists them.
ORVANE_API std::span<const AdoTypeRow> AdoTypeTable();

/// The row of a type name, compared trimmed of blanks and ignoring case; null
/// for a name that is not in the table.
ORVANE_API const AdoTypeRow* FindAdoType(std::string_view name);

/// ADO code of a type name, compared trimmed of blanks and ignoring case;
/// 13 (adIUnknown) for a name that is not in the table.
ORVANE_API std::int16_t AdoTypeCode(std::string_view name);

/// Category of a type name, compared as AdoTypeCode does; kCategoryText for a
/// name that is not in the table.
ORVANE_API std::int16_t AdoTypeCategory(std::string_view name);

/// The first row of a type code (adVarChar for 200, not strDateTime); null
/// for a code that is not in the table.
ORVANE_API const AdoTypeRow* FindAdoTypeCode(int code);

}  // namespace orvane
