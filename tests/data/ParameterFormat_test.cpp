// The rules of the parameter type table: how a type name is found, how a
// parameter's value is written into SQL and script text by its category, and
// how a command binds it by its code (kind, range, refusals).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <orvanespt/data/ParameterTypes.h>
#include <orvanespt/data/ado/Command.h>
#include <orvanespt/data/ado/detail/Provider.h>
#include <orvanespt/model/eParameter.h>
#include <orvanespt/platform/DateTime.h>
#include <orvanespt/platform/NumberFormat.h>

namespace orvane {
namespace {

eParameter Param(const std::string& type, Variant value, const std::string& format = "") {
    eParameter p;
    p.Name = "P1";
    p.eType(type);
    p.DTFormat = format;
    p.Value = std::move(value);
    return p;
}

std::string Sql(const std::string& type, Variant value, const std::string& format = "") {
    return Param(type, std::move(value), format).SQLExpresion();
}
std::string Vb(const std::string& type, Variant value, const std::string& format = "") {
    try {
        return Param(type, std::move(value), format).VBExpresion();
    } catch (const ConversionError&) {
        return "<refused>";
    }
}

const Variant kObject(std::make_shared<HostObject>());

TEST(AdoTypeTable, NamesIgnoreCaseAndBlanksUnknownOnesAreTextOfCode13FormatsFollowTheBarAndValuesBindByCode) {
    EXPECT_EQ(AdoTypeTable().size(), 41u);
    for (const char* name : {"adDBTime", "ADDBTIME", "  addbtime "}) {
        EXPECT_EQ(AdoTypeCode(name), 134) << '"' << name << '"';
        EXPECT_EQ(AdoTypeCategory(name), kCategoryDateTime) << '"' << name << '"';
    }
    for (const char* name : {"", "   ", "adDat", "adDateX", "ad Date", "adDate\t", "adDáte", "varchar",
                             "adUnsignedSmallIntegerAndMoreThanThirtyTwoCharacters"}) {
        EXPECT_EQ(AdoTypeCode(name), 13) << '"' << name << '"';
        EXPECT_EQ(AdoTypeCategory(name), kCategoryText) << '"' << name << '"';
        EXPECT_EQ(FindAdoType(name), nullptr) << '"' << name << '"';
    }
    // strDateTime shares adVarChar's code; the code finds adVarChar.
    EXPECT_EQ(AdoTypeCode("strDateTime"), 200);
    EXPECT_EQ(FindAdoTypeCode(200)->Name, "adVarChar");
    EXPECT_EQ(FindAdoTypeCode(1), nullptr);

    eParameter p;
    p.DTFormat = "old";
    for (const auto& [stored, split] :
         {std::pair{"adDate", "adDate|old"}, {"adDBDate|", "adDBDate|"}, {"adDate|yyyy|rest", "adDate|yyyy"}}) {
        p.eType(stored);
        EXPECT_EQ(p.eType() + "|" + p.DTFormat, split);
    }
    // SelectDTF ignores a format of blanks, and keeps the blanks of any other.
    p.DTFormat = " dd/mm ";
    EXPECT_EQ(p.SelectDTF("yyyy"), " dd/mm ");

    // What a command binds for a type code and a value: the kind and value, or
    // the refusal. A refused value leaves the parameter's previous one.
    using K = data::detail::BoundValue::Kind;
    const auto bind = [](int code, const Variant& v) -> std::string {
        data::Parameter bound("p", code, 0);
        try {
            bound.Value(v);
        } catch (const data::DataError& e) {
            EXPECT_TRUE(bound.Value().IsEmpty()) << code;
            return e.what();
        }
        const auto& b = bound.Bound();
        const char* const kinds[] = {"null", "int", "real", "text", "bool", "date", "time", "timestamp", "bytes"};
        std::string out = kinds[static_cast<int>(b.kind)];
        if (b.kind == K::Int || b.kind == K::Bool) out += " " + std::to_string(b.integer);
        if (b.kind == K::Double) out += " " + std::to_string(b.real);
        if (b.kind == K::Text || b.kind == K::Binary) out += " " + b.text;
        return out;
    };
    const std::string range = "fuera de rango";
    const auto none = [](int code) {
        return "su tipo (" + std::to_string(code) + ") no puede enviarse a la base de datos";
    };
    const struct {
        int code;
        Variant value;
        std::string bound;
    } cases[] = {
        // clang-format off
        // Whole numbers: texts read as numbers, fractions rounded half to even, within the code's range.
        {3, " 42 ", "int 42"}, {3, 2.5, "int 2"}, {3, 3.5, "int 4"}, {3, true, "int -1"},
        {3, "abc", "p: no es un número: abc"},
        {3, 3e10, "p: " + range + ": 30000000000"},
        {3, 2147483648LL, "p: " + range + ": 2147483648"}, {3, 2147483647LL, "int 2147483647"},
        {16, -129, "p: " + range + ": -129"}, {16, -128, "int -128"}, {16, 127, "int 127"},
        {17, -1, "p: " + range + ": -1"}, {17, 255, "int 255"},
        {2, 32768, "p: " + range + ": 32768"}, {19, 4294967295.0, "int 4294967295"},
        // Reals, texts, bytes, truth values; adVariant by the value's own kind. (What SQLite
        // receives of each kind is the provider test's.)
        {5, "12abc", "p: no es un número: 12abc"},
        {200, 2.5, "text 2.5"}, {72, "42", "text 42"}, {128, "ab", "bytes ab"}, {11, "true", "bool 1"},
        {11, "maybe", "p: no es un valor de verdad: maybe"},
        {12, 2.5, "real 2.500000"}, {13, "x", "text x"},
        // Null and Empty bind NULL whatever the type; objects and some types are never sent.
        {136, Variant::MakeNull(), "null"}, {8192, Variant(), "null"},
        {136, 1, "p: " + none(136) + ": 1"},
        {999, "x", "p: " + none(999) + ": x"},
        {200, kObject, "p: un objeto no puede enviarse a la base de datos"},
        // clang-format on
    };
    for (const auto& c : cases) EXPECT_EQ(bind(c.code, c.value), c.bound) << c.code << " " << c.value.TextOr("?");
    EXPECT_THROW(data::Command().Parameters().Append(nullptr), data::DataError);
}

// One literal per category and value kind: the SQL form and the script form.
TEST(ParameterLiteral, RendersEachCategoryWithTheLocaleDecimalSeparator) {
    const struct {
        const char* type;
        Variant value;
        const char* sql;
        const char* vb;
    } cases[] = {
        // clang-format off
        // Numbers: the leading number of a text in SQL, the text as it is in script.
        {"adInteger", "123abc", "123", "123abc"}, {"adInteger", "", "0", ""}, {"adInteger", "abc", "0", "abc"},
        {"adDouble", "  -3.5e2 units", "-350", "  -3.5e2 units"}, {"adDouble", "-0", "0", "-0"},
        {"adDouble", "0.1234567890123456789", "0.123456789012346", "0.1234567890123456789"},
        {"adDouble", "1e999", "", "1e999"}, {"adGUID", "42", "42", "42"}, {"adInteger", 7, "7", "7"},
        {"adDouble", 2.5, "2.5", "2.5"}, {"adInteger", Variant::MakeNull(), "0", "<refused>"},
        {"adInteger", kObject, "0", "<refused>"},
        // Texts: quoted, nothing escaped; unknown types are texts.
        {"adVarChar", "O'Brien", "'O'Brien'", "\"O'Brien\""},
        {"adVarChar", "say \"hi\"", "'say \"hi\"'", "\"say \"hi\"\""},
        {"adChar", 2.5, "'2.5'", "\"2.5\""}, {"adVarChar", Variant::MakeNull(), "''", "\"\""},
        {"adVarChar", kObject, "", "<refused>"}, {"varchar2", "abc", "'abc'", "\"abc\""},
        // Truth values.
        {"adBoolean", "True", "-1", "TRUE"}, {"adBoolean", "FALSE", "0", "FALSE"}, {"adBoolean", "0", "0", "FALSE"},
        {"adBoolean", "2", "-1", "TRUE"}, {"ADBOOLEAN", true, "-1", "TRUE"}, {"adBoolean", 0.0, "0", "FALSE"},
        {"adBoolean", Variant(), "0", "FALSE"}, {"adBoolean", "yes", "-1", "<refused>"},
        {"adBoolean", Variant::MakeNull(), "-1", "<refused>"},
        // Dates: what reads as one is converted, the rest kept.
        {"adDBDate", DateTime{2024, 3, 5, 0, 0, 0}, "'2024-03-05'", "\"2024-03-05\""},
        {"adDBDate", 45000, "'2023-03-15'", "\"2023-03-15\""}, {"adDBDate", "mañana", "'mañana'", "\"mañana\""},
        {"adDBDate", Variant::MakeNull(), "''", "\"\""}, {"adDBDate", kObject, "", "<refused>"},
        // Other categories render nothing, whatever the value.
        {"adEmpty", "x", "", ""}, {"adError", "x", "", ""}, {"adBinary", "x", "", ""}, {"adVariant", kObject, "", ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.value.TextOr("?"));
        EXPECT_EQ(Sql(c.type, c.value), c.sql);
        EXPECT_EQ(Vb(c.type, c.value), c.vb);
    }
    try {
        Param("ADBOOLEAN", "quizá").VBExpresion();
        FAIL() << "no ConversionError";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("P1"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("quizá"), std::string::npos) << e.what();
    }
    platform::ScopedDecimalSeparator comma(',');
    EXPECT_EQ(Sql("adDouble", "1.5"), "1,5");
    // A value held as a number (a field copied into a linked parameter) keeps its fraction.
    EXPECT_EQ(Sql("adDouble", Variant(2.5)), "2,5");
}

TEST(ParameterLiteral, ChoosesTheDateFormatByTypeNameAndParameterAndReadsDatesAsPeopleWriteThem) {
    const Variant when("2024-03-05 14:07:09");
    const struct {
        const char* type;
        const char* format;
        const char* sql;
        const char* vb;
    } cases[] = {
        // clang-format off
        {"strDateTime", "", "'20240305 14:07:09'", "\"20240305 14:07:09\""},
        {"adDate", "", "'2024-03-05 14:07:09'", "\"2024-03-05 14:07:09\""},
        {"adDBTimeStamp", "", "'2024-03-05 14:07:09'", "\"2024-03-05 14:07:09\""},
        {"adDBTime", "", "'14:07:09'", "\"14:07:09\""}, {"adDBDate", "", "'2024-03-05'", "\"2024-03-05\""},
        // Blanks around the name still make it a date type, but not "adDate".
        {" adDate", "", "'2024-03-05'", "\"2024-03-05\""},
        // The parameter's own format, where it applies.
        {"adDBDate", "dd/mm/yy", "'05/03/24'", "\"2024-03-05\""},
        {"adDate", "dd/mm/yyyy hh:mm", "'05/03/2024 14:07'", "\"05/03/2024 14:07\""},
        {"strDateTime", "   ", "'20240305 14:07:09'", "\"20240305 14:07:09\""},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sql(c.type, when, c.format), c.sql) << c.type << " " << c.format;
        EXPECT_EQ(Vb(c.type, when, c.format), c.vb) << c.type << " " << c.format;
    }

    // Dates as typed and as written by machines: the SQL literal of an adDate
    // parameter and the date its bound value carries. What is no real date stays
    // text, and binding it is refused with the parameter's name and text.
    const std::pair<const char*, const char*> dates[] = {
        // clang-format off
        {"25/12/24", "2024-12-25 00:00:00"}, {"25/12/2024 9:30", "2024-12-25 09:30:00"},
        {"25-dic-2024", "2024-12-25 00:00:00"}, {"25 de diciembre de 2024", "2024-12-25 00:00:00"},
        {"Dec 25, 2024", "2024-12-25 00:00:00"}, {"1/1/30", "1930-01-01 00:00:00"}, {"9:30 PM", "1899-12-30 21:30:00"},
        {"  25.12.2024  09:30:15 ", "2024-12-25 09:30:15"}, {"5 Sept. 2029 12:05 a.m.", "2029-09-05 00:05:00"},
        {"05-03-2024 08:30", "2024-03-05 08:30:00"}, {"13:45:01", "1899-12-30 13:45:01"},
        {"1 enero 00 9 pm", "2000-01-01 21:00:00"}, {"2024-03-05T13:45:01.250+01:00", "2024-03-05 13:45:01"},
        {"20240305T134501", "2024-03-05 13:45:01"}, {"2024-03-05T13:45:01-0530", "2024-03-05 13:45:01"},
        {"  2024/3/5  ", "2024-03-05 00:00:00"},
        // clang-format on
    };
    for (const auto& [typed, read] : dates) {
        EXPECT_EQ(Sql("adDate", typed), "'" + std::string(read) + "'") << typed;
        data::Parameter bound("Desde", 7, 0);
        bound.Value(Variant(typed));
        EXPECT_EQ(FormatDateTime(bound.Bound().date, "yyyy-mm-dd hh:mm:ss"), read) << typed;
    }
    EXPECT_EQ(Sql("adDate", 2958466), "'2958466'");  // a serial past the last day, 9999-12-31, is no date
    for (const char* text :
         {"31/02/2024", "29/2/23", "1/1/230", "9:30 XM", "13:00 PM", "25 de foo de 2024", "abc", "2024", "134501",
          "2023-02-29", "2024-13-01", "2024-01-01 24:00", "12:60", "2024-01-01T"}) {
        EXPECT_EQ(Sql("adDate", text), "'" + std::string(text) + "'");
        try {
            data::Parameter("Desde", 7, 0).Value(Variant(text));
            ADD_FAILURE() << text;
        } catch (const data::DataError& e) {
            EXPECT_EQ(e.what(), "Desde: no es una fecha: " + std::string(text));
        }
    }
}

}  // namespace
}  // namespace orvane
