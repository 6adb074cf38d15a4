#include "data/ParameterTypes.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

struct Row {
    const char* name;
    int code;
    int category;
};

// The whole table as stored definitions and databases know it, in order.
const Row kExpected[] = {
    {"adEmpty", 0, 0},
    {"adTinyInt", 16, 1},
    {"adSmallInt", 2, 1},
    {"adInteger", 3, 1},
    {"adBigInt", 20, 1},
    {"adUnsignedTinyInt", 17, 1},
    {"adUnsignedSmallInt", 18, 1},
    {"adUnsignedInt", 19, 1},
    {"adUnsignedBigInt", 21, 1},
    {"adSingle", 4, 1},
    {"adDouble", 5, 1},
    {"adCurrency", 6, 1},
    {"adDecimal", 14, 1},
    {"adNumeric", 131, 1},
    {"adBoolean", 11, 3},
    {"adError", 10, 0},
    {"adUserDefined", 132, 5},
    {"adVariant", 12, 5},
    {"adIDispatch", 9, 5},
    {"adIUnknown", 13, 5},
    {"adGUID", 72, 1},
    {"adDate", 7, 4},
    {"adDBDate", 133, 4},
    {"adDBTime", 134, 4},
    {"adDBTimeStamp", 135, 4},
    {"adBSTR", 8, 2},
    {"adChar", 129, 2},
    {"adVarChar", 200, 2},
    {"adLongVarChar", 201, 2},
    {"adWChar", 130, 2},
    {"adVarWChar", 202, 2},
    {"adLongVarWChar", 203, 2},
    {"adBinary", 128, 5},
    {"adVarBinary", 204, 5},
    {"adLongVarBinary", 205, 5},
    {"adChapter", 136, 5},
    {"adFileTime", 64, 5},
    {"adPropVariant", 138, 5},
    {"adVarNumeric", 139, 1},
    {"adArray", 8192, 5},
    {"strDateTime", 200, 4},
};

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

TEST(AdoTypeTable, HoldsEveryRowInOrder) {
    const auto table = AdoTypeTable();
    ASSERT_EQ(table.size(), std::size(kExpected));
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(kExpected[i].name);
        EXPECT_EQ(table[i].Name, kExpected[i].name);
        EXPECT_EQ(table[i].Code, kExpected[i].code);
        EXPECT_EQ(table[i].Category, kExpected[i].category);
        const std::string name = kExpected[i].name;
        EXPECT_EQ(table[i].IsDefault, name == "adDouble" || name == "adVarChar" || name == "strDateTime");
    }
}

TEST(AdoTypeTable, LooksUpEveryNameInAnyCaseAndTrimmed) {
    for (const Row& row : kExpected) {
        SCOPED_TRACE(row.name);
        for (const std::string& name : {std::string(row.name), Upper(row.name), "  " + std::string(row.name) + " "}) {
            EXPECT_EQ(AdoTypeCode(name), row.code) << '"' << name << '"';
            EXPECT_EQ(AdoTypeCategory(name), row.category) << '"' << name << '"';
        }
    }
}

TEST(AdoTypeTable, UnknownNamesAreTextOfCode13) {
    for (const char* name : {"", "   ", "adDat", "adDateX", "ad Date", "adDate\t", "\tadDate", "adDáte",
                             "adUnsignedSmallIntegerAndMoreThanThirtyTwoCharacters", "varchar"}) {
        EXPECT_EQ(AdoTypeCode(name), 13) << '"' << name << '"';
        EXPECT_EQ(AdoTypeCategory(name), kCategoryText) << '"' << name << '"';
    }
}

}  // namespace
}  // namespace orvane
