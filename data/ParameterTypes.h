// The parameter type table: every type name a parameter may carry, with the
// ADO data type code it is bound with and the category that decides how its
// value is written into SQL and script text. The parameter editor lists the
// rows in table order; record sources bind parameters by code and category.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orvane {

// How a parameter's value is rendered as a literal.
enum AdoTypeCategoryKind : std::int16_t {
    kCategoryOther = 0,     // nothing is rendered
    kCategoryNumber = 1,    // decimal number
    kCategoryText = 2,      // quoted text
    kCategoryTruth = 3,     // truth value
    kCategoryDateTime = 4,  // quoted, formatted date/time
    kCategoryBinary = 5,    // binary and object types: nothing is rendered
};

struct AdoTypeRow {
    std::string_view Name;  // type name as the definition stores it
    std::int16_t Code;      // ADO data type code
    std::int16_t Category;  // one of AdoTypeCategoryKind
    bool IsDefault;         // preselected in its group of the parameter editor
};

// The 41 rows, in the order the parameter editor lists them.
std::span<const AdoTypeRow> AdoTypeTable();

// The row of a type name, compared trimmed of blanks and ignoring case; null
// for a name that is not in the table.
const AdoTypeRow* FindAdoType(std::string_view name);

// ADO code of a type name, compared trimmed of blanks and ignoring case;
// 13 (adIUnknown) for a name that is not in the table.
std::int16_t AdoTypeCode(std::string_view name);

// Category of a type name, compared as AdoTypeCode does; kCategoryText for a
// name that is not in the table.
std::int16_t AdoTypeCategory(std::string_view name);

}  // namespace orvane
