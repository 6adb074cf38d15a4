#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/ado/Command.h"
#include "model/eParameter.h"
#include "platform/DateTime.h"
#include "platform/NumberFormat.h"

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
    return Param(type, std::move(value), format).VBExpresion();
}

TEST(ParameterType, SplitsTypeAndFormatAtTheBarAndSelectsTheFormat) {
    eParameter p;
    p.DTFormat = "old";
    p.eType("adDate");
    EXPECT_EQ(p.eType(), "adDate");
    EXPECT_EQ(p.DTFormat, "old");
    p.eType("adDate|dd/mm/yy");
    EXPECT_EQ(p.eType(), "adDate");
    EXPECT_EQ(p.DTFormat, "dd/mm/yy");
    p.eType("adDBDate|");
    EXPECT_EQ(p.eType(), "adDBDate");
    EXPECT_EQ(p.DTFormat, "");
    p.eType("adDate|yyyy|rest");
    EXPECT_EQ(p.DTFormat, "yyyy");
    // SelectDTF ignores a format of blanks.
    p.DTFormat = "   ";
    EXPECT_EQ(p.SelectDTF("yyyy"), "yyyy");
    p.DTFormat = "";
    EXPECT_EQ(p.SelectDTF("yyyy"), "yyyy");
    p.DTFormat = " dd/mm ";
    EXPECT_EQ(p.SelectDTF("yyyy"), " dd/mm ");
}

TEST(ParameterNumber, ReadsTheLeadingNumberOfTheText) {
    EXPECT_EQ(Sql("adInteger", "123abc"), "123");
    EXPECT_EQ(Sql("adInteger", ""), "0");
    EXPECT_EQ(Sql("adInteger", "abc"), "0");
    EXPECT_EQ(Sql("adDouble", "  -3.5e2 units"), "-350");
    EXPECT_EQ(Sql("adDouble", "-0"), "0");
    EXPECT_EQ(Sql("adDouble", "0.1234567890123456789"), "0.123456789012346");
    EXPECT_EQ(Sql("adGUID", "42"), "42");
    EXPECT_EQ(Sql("adInteger", Variant(7)), "7");
    EXPECT_EQ(Sql("adInteger", Variant::MakeNull()), "0");
    EXPECT_EQ(Sql("adInteger", Variant(std::make_shared<HostObject>())), "0");
    EXPECT_EQ(Sql("adDouble", "1e999"), "");
    // The script form keeps the text as it is.
    EXPECT_EQ(Vb("adInteger", "123abc"), "123abc");
    EXPECT_EQ(Vb("adInteger", ""), "");
    EXPECT_EQ(Vb("adDouble", Variant(2.5)), "2.5");
    EXPECT_THROW(Vb("adInteger", Variant::MakeNull()), ConversionError);
}

TEST(ParameterNumber, WritesTheLocaleDecimalSeparatorInSql) {
    platform::ScopedDecimalSeparator comma(',');
    EXPECT_EQ(Sql("adDouble", "1.5"), "1,5");
    // The text is read with "." whatever the locale: "2,5" stops at the comma.
    EXPECT_EQ(Sql("adDouble", "2,5"), "2");
    // A value held as a number (a field copied into a linked parameter)
    // keeps its fraction.
    EXPECT_EQ(Sql("adDouble", Variant(2.5)), "2,5");
}

TEST(ParameterText, QuotesWithoutEscapingAndTakesUnknownTypes) {
    EXPECT_EQ(Sql("adVarChar", "O'Brien"), "'O'Brien'");
    EXPECT_EQ(Vb("adVarChar", "say \"hi\""), "\"say \"hi\"\"");
    EXPECT_EQ(Sql("adChar", Variant(2.5)), "'2.5'");
    EXPECT_EQ(Sql("adVarChar", Variant::MakeNull()), "''");
    EXPECT_EQ(Vb("adVarChar", Variant::MakeNull()), "\"\"");
    EXPECT_EQ(Sql("adVarChar", Variant(std::make_shared<HostObject>())), "");
    EXPECT_THROW(Vb("adVarChar", Variant(std::make_shared<HostObject>())), ConversionError);
    // Unknown types render as text.
    EXPECT_EQ(Sql("varchar2", "abc"), "'abc'");
    EXPECT_EQ(Vb("varchar2", "abc"), "\"abc\"");
    EXPECT_EQ(Sql("", "2024-03-05"), "'2024-03-05'");
}

TEST(ParameterTruth, RendersTruthValuesAndUnreadableOnes) {
    const struct {
        Variant value;
        const char* sql;
        const char* vb;
    } cases[] = {
        {"True", "-1", "TRUE"}, {"FALSE", "0", "FALSE"},      {"0", "0", "FALSE"},       {"2", "-1", "TRUE"},
        {true, "-1", "TRUE"},   {Variant(0.0), "0", "FALSE"}, {Variant(), "0", "FALSE"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sql("adBoolean", c.value), c.sql) << c.value.TextOr("?");
        EXPECT_EQ(Vb("adBoolean", c.value), c.vb) << c.value.TextOr("?");
    }
    EXPECT_EQ(Sql("adBoolean", "yes"), "-1");
    EXPECT_EQ(Sql("adBoolean", Variant::MakeNull()), "-1");
    EXPECT_THROW(Vb("adBoolean", "yes"), ConversionError);
    EXPECT_THROW(Vb("adBoolean", Variant::MakeNull()), ConversionError);
    try {
        Vb("ADBOOLEAN", "quizá");
        FAIL() << "no ConversionError";
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("P1"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("quizá"), std::string::npos) << e.what();
    }
}

TEST(ParameterDate, ChoosesTheFormatByTypeNameAndParameter) {
    const Variant when("2024-03-05 14:07:09");
    EXPECT_EQ(Sql("strDateTime", when), "'20240305 14:07:09'");
    EXPECT_EQ(Sql("adDate", when), "'2024-03-05 14:07:09'");
    EXPECT_EQ(Sql("adDBTimeStamp", when), "'2024-03-05 14:07:09'");
    EXPECT_EQ(Sql("adDBTime", when), "'14:07:09'");
    EXPECT_EQ(Sql("adDBDate", when), "'2024-03-05'");
    EXPECT_EQ(Sql("ADDATE", when), "'2024-03-05 14:07:09'");
    // Blanks around the name still make it a date type, but not "adDate".
    EXPECT_EQ(Sql(" adDate", when), "'2024-03-05'");
    EXPECT_EQ(Vb(" adDate", when), "\"2024-03-05\"");
    EXPECT_EQ(Vb("strdatetime", when), "\"20240305 14:07:09\"");
    EXPECT_EQ(Vb("adDBTime", when), "\"14:07:09\"");
    // The parameter's own format, where it applies.
    EXPECT_EQ(Sql("adDBDate", when, "dd/mm/yy"), "'05/03/24'");
    EXPECT_EQ(Vb("adDBDate", when, "dd/mm/yy"), "\"2024-03-05\"");
    EXPECT_EQ(Sql("adDate", when, "dd/mm/yyyy hh:mm"), "'05/03/2024 14:07'");
    EXPECT_EQ(Vb("adDate", when, "dd/mm/yyyy hh:mm"), "\"05/03/2024 14:07\"");
    EXPECT_EQ(Sql("strDateTime", when, "   "), "'20240305 14:07:09'");
    // The stored "type|format" form sets both.
    eParameter stored;
    stored.eType("adDate|yyyy");
    stored.Value = when;
    EXPECT_EQ(stored.SQLExpresion(), "'2024'");
}

TEST(ParameterDate, ConvertsWhatReadsAsADateAndKeepsTheRest) {
    EXPECT_EQ(Sql("adDBDate", Variant(DateTime{2024, 3, 5, 0, 0, 0})), "'2024-03-05'");
    EXPECT_EQ(Sql("adDBDate", Variant(45000)), "'2023-03-15'");
    EXPECT_EQ(Sql("adDBDate", "mañana"), "'mañana'");
    EXPECT_EQ(Vb("adDBDate", "mañana"), "\"mañana\"");
    EXPECT_EQ(Sql("adDBDate", Variant::MakeNull()), "''");
    EXPECT_EQ(Sql("adDBDate", Variant(std::make_shared<HostObject>())), "");
    EXPECT_THROW(Vb("adDBDate", Variant(std::make_shared<HostObject>())), ConversionError);
}

// Dates as typed and as written by machines: the SQL literal of an adDate
// parameter and the date its bound value carries. What is no real date stays
// text, and binding it is refused with the parameter's name and text.
TEST(ParameterDate, ReadsDatesAsPeopleAndMachinesWriteThem) {
    const std::pair<const char*, const char*> dates[] = {
        {"25/12/24", "2024-12-25 00:00:00"},         {"25/12/2024 9:30", "2024-12-25 09:30:00"},
        {"25-dic-2024", "2024-12-25 00:00:00"},      {"25 de diciembre de 2024", "2024-12-25 00:00:00"},
        {"Dec 25, 2024", "2024-12-25 00:00:00"},     {"1/1/30", "1930-01-01 00:00:00"},
        {"9:30 PM", "1899-12-30 21:30:00"},          {"  25.12.2024  09:30:15 ", "2024-12-25 09:30:15"},
        {"5 Sept. 2029 12:05 a.m.", "2029-09-05 00:05:00"}, {"05-03-2024 08:30", "2024-03-05 08:30:00"},
        {"13:45:01", "1899-12-30 13:45:01"},         {"1 enero 00 9 pm", "2000-01-01 21:00:00"},
        {"2024-03-05T13:45:01.250+01:00", "2024-03-05 13:45:01"}, {"20240305T134501", "2024-03-05 13:45:01"},
        {"2024-03-05T13:45:01-0530", "2024-03-05 13:45:01"},      {"  2024/3/5  ", "2024-03-05 00:00:00"},
    };
    for (const auto& [typed, when] : dates) {
        EXPECT_EQ(Sql("adDate", typed), "'" + std::string(when) + "'") << typed;
        data::Parameter bound("Desde", 7, 0);
        bound.Value(Variant(typed));
        EXPECT_EQ(FormatDateTime(bound.Bound().date, "yyyy-mm-dd hh:mm:ss"), when) << typed;
    }
    for (const char* text : {"31/02/2024", "29/2/23", "1/1/230", "9:30 XM", "13:00 PM", "25 de foo de 2024", "abc",
                             "2024", "134501", "2023-02-29", "2024-13-01", "2024-01-01 24:00", "12:60", "2024-01-01T"}) {
        EXPECT_EQ(Sql("adDate", text), "'" + std::string(text) + "'");
        try {
            data::Parameter("Desde", 7, 0).Value(Variant(text));
            ADD_FAILURE() << text;
        } catch (const data::DataError& e) {
            EXPECT_NE(std::string(e.what()).find("Parameter Desde (type 7): the value is not a date: \"" +
                                                 std::string(text) + "\""), std::string::npos) << e.what();
        }
    }
}

TEST(ParameterOther, RendersNothingForOtherCategories) {
    for (const char* type : {"adEmpty", "adError", "adBinary", "adVariant", "adArray"}) {
        EXPECT_EQ(Sql(type, "x"), "") << type;
        EXPECT_EQ(Vb(type, "x"), "") << type;
        EXPECT_NO_THROW(Vb(type, Variant(std::make_shared<HostObject>()))) << type;
    }
}

}  // namespace
}  // namespace orvane
