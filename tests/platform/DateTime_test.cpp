#include <orvanespt/platform/DateTime.h>

#include <gtest/gtest.h>

#include <string>

#include <orvanespt/platform/Decimal.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {
namespace {

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return DateTime{y, mo, d, h, mi, s};
}

// Every pattern the parameter editor offers must read back as the value it
// wrote, or a parameter formatted for a query cannot be typed back in.
TEST(FormatDateTime, WritesEveryTokenAndEveryOfferedPatternReadsBack) {
    const DateTime when = At(2024, 2, 29, 7, 5, 9);
    const DateTime day = At(2024, 2, 29);
    const struct {
        const char* format;
        DateTime expected;
    } cases[] = {
        {"yyyymmdd", day},
        {"yyyy-mm-dd", day},
        {"yyyymmdd hh:mm:ss", when},
        {"yyyy-mm-dd hh:mm:ss", when},
        {"yyyy-mm-ddThh:mm:ss", when},
        {"yyyymmdd hhmmss", when},
        {"dd.mm.yyyy", day},
        {"dd/mm/yyyy hh:mm:ss", when},
    };
    for (const auto& c : cases) {
        const std::string written = FormatDateTime(when, c.format);
        auto read = ParseDateText(written);
        ASSERT_TRUE(read.has_value()) << c.format << " wrote " << written;
        EXPECT_EQ(*read, c.expected) << c.format << " wrote " << written;
    }
    EXPECT_FALSE(ParseDateText("2024-03-05 10:20:5"));  // seconds need both digits

    // Every token: in either case, minutes told from months by their neighbours,
    // literal and escaped text, Spanish names, twelve-hour forms and weeks
    // counted from Sunday (2023-01-01 is a Sunday, 2022-01-01 a Saturday).
    const DateTime v = At(2024, 3, 5, 14, 7, 9);
    const struct {
        DateTime when;
        const char* format;
        const char* expected;
    } tokens[] = {{v, "d/m/yyyy h:n:s", "5/3/2024 14:7:9"},
                  {v, "YYYY-MM-DD HH:NN", "2024-03-05 14:07"},
                  {At(2024, 3, 5), "hh:mm:ss", "00:00:00"},
                  {v, "mm:ss", "07:09"},
                  {v, "hh:mm dd/mm", "14:07 05/03"},
                  {v, "mm/dd hh", "03/05 14"},
                  {v, "[yyyy] #1 ok", "[2024] #1 ok"},
                  {v, "dd \\de mmmm", "05 de marzo"},
                  {v, "\"day\" d", "day 5"},
                  {v, "\"open", "open"},
                  {v, "yyyy\\", "2024"},
                  {v, "", ""},
                  {At(2024, 9, 4), "dddd d mmm", "miércoles 4 sep"},
                  {At(2024, 3, 2), "ddd dd mmmm", "sáb 02 marzo"},
                  {At(2024, 3, 3), "dddd", "domingo"},
                  {At(2024, 3, 5, 0, 5), "h:nn AM/PM", "12:05 AM"},
                  {At(2024, 3, 5, 12, 5), "hh:nn am/pm", "12:05 pm"},
                  {At(2024, 3, 5, 23, 5), "h a/p", "11 p"},
                  {At(2024, 3, 5, 9, 5), "h A/P", "9 A"},
                  {At(2023, 1, 1), "w ww", "1 1"},
                  {At(2023, 1, 8), "w ww", "1 2"},
                  {At(2022, 1, 2), "ww", "2"},
                  {At(2024, 12, 31), "ww y q", "53 366 4"}};
    for (const auto& c : tokens) EXPECT_EQ(FormatDateTime(c.when, c.format), c.expected) << c.format;
}

// Fractions of a second are kept to the nanosecond, and a time alone (serial
// day 0, as a TIME column gives it) shows as a time, with either separator.
// The time-only reader takes what TIME columns hold, one-digit fields too,
// and nothing with a date.
TEST(DateTimeText, KeepsFractionsAndShowsATimeAloneAsATime) {
    const struct {
        const char* text;
        const char* iso;
        const char* isoT;
    } cases[] = {
        {"2024-03-05 14:30:00.123456", "2024-03-05 14:30:00.123456", "2024-03-05T14:30:00.123456"},
        {"2024-03-05T14:30:00,5Z", "2024-03-05 14:30:00.5", "2024-03-05T14:30:00.5"},
        {"2024-03-05 14:30:00.000000001", "2024-03-05 14:30:00.000000001", "2024-03-05T14:30:00.000000001"},
        {"23:59:59", "23:59:59", "23:59:59"},
        {"08:00:00.25", "08:00:00.25", "08:00:00.25"},
        {"2024-03-05", "2024-03-05", "2024-03-05"},
    };
    for (const auto& c : cases) {
        const auto d = ParseDateText(c.text);
        ASSERT_TRUE(d) << c.text;
        EXPECT_EQ(d->ToIsoText(), c.iso) << c.text;
        EXPECT_EQ(d->ToIsoText('T'), c.isoT) << c.text;
        EXPECT_EQ(d->DateText(), d->IsTimeOnly() ? "1899-12-30" : std::string(c.iso).substr(0, 10)) << c.text;
        EXPECT_EQ(Variant(*d).TextOr(), c.iso) << c.text;
        EXPECT_EQ(ParseTimeText(c.text), d->IsTimeOnly() ? d : std::nullopt) << c.text;
    }
    EXPECT_FALSE(ParseDateText("14:30:00.1234567890")) << "more than nanoseconds";
    EXPECT_LT(*ParseDateText("14:30:00.1"), *ParseDateText("14:30:00.100000001"));
    EXPECT_EQ(ParseDateText("5-3-0001"), At(1, 3, 5)) << "the first year";
    const struct {
        const char* text;
        std::optional<DateTime> time;
    } times[] = {{" 9:05\t", At(1899, 12, 30, 9, 5)},      {"9:5:7", At(1899, 12, 30, 9, 5, 7)},
                 {"23:59:59.5", DateTime{1899, 12, 30, 23, 59, 59, 500000000}},
                 {"24:00", std::nullopt},                  {"9", std::nullopt},
                 {"9:05:", std::nullopt},                  {"123:00", std::nullopt},
                 {"9:05 x", std::nullopt},                 {"", std::nullopt}};
    for (const auto& t : times) EXPECT_EQ(ParseTimeText(t.text), t.time) << t.text;
}

// Exact decimals: read from the texts databases and people write, shown with
// every digit of their scale, compared by value.
TEST(Decimal, ReadsWritesAndComparesExactly) {
    const struct {
        const char* text;
        const char* plain;  // nullptr: refused
    } cases[] = {
        {"12345678901234567.89", "12345678901234567.89"},
        {"-0.050", "-0.050"},
        {"  +007.10 ", "7.10"},
        {"-0.00", "0.00"},
        {".5", "0.5"},
        {"1.5E3", "1500"},
        {"2e-3", "0.002"},
        {"2.50E+01", "25.0"},
        {"1e-9", "0.000000001"},
        {"99999999999999999999999999999999999999", "99999999999999999999999999999999999999"},
        {"1,25", "1.25"},  // with ',' as the separator asked for below
        {"", nullptr},
        {"-", nullptr},
        {"1.2.3", nullptr},
        {"12abc", nullptr},
        {"1e", nullptr},
        {"1e5x", nullptr},
        {"NaN", nullptr},
        {"1e99999", nullptr},
    };
    for (const auto& c : cases) {
        const auto d = Decimal::Parse(c.text, ',');
        if (!c.plain) {
            EXPECT_FALSE(d) << c.text;
            continue;
        }
        ASSERT_TRUE(d) << c.text;
        EXPECT_EQ(d->Text(), c.plain) << c.text;
    }
    EXPECT_FALSE(Decimal::Parse(std::string(Decimal::kMaxDecimalDigits + 1, '7')));

    const auto D = [](const char* t) { return *Decimal::Parse(t); };
    EXPECT_EQ(D("3.1").Compare(D("3.10")), 0);
    EXPECT_FALSE(D("3.1") == D("3.10")) << "the scale is part of what is sent";
    EXPECT_LT(D("12345678901234567.88").Compare(D("12345678901234567.89")), 0);
    EXPECT_GT(D("-0.5").Compare(D("-0.55")), 0);
    EXPECT_LT(D("-1").Compare(D("0")), 0);
    EXPECT_LT(D("0").Compare(D("0.05")), 0);
    EXPECT_GT(D("0.05").Compare(D("-100")), 0);
    EXPECT_GT(D("100").Compare(D("99.999")), 0);
    EXPECT_EQ(D("1500").Compare(D("1.5E3")), 0);

    EXPECT_EQ(Decimal::FromInt(-9223372036854775807LL - 1).Text(), "-9223372036854775808");
    EXPECT_EQ(D("-9223372036854775808.00").ToInt(), -9223372036854775807LL - 1);
    EXPECT_EQ(D("42.000").ToInt(), 42);
    EXPECT_FALSE(D("42.001").ToInt());
    EXPECT_FALSE(D("9223372036854775808").ToInt());
    EXPECT_DOUBLE_EQ(D("3.14").ToDouble(), 3.14);

    // A host reads it as a number, a truth value and the locale's text.
    platform::ScopedDecimalSeparator comma(',');
    const Variant v(D("-1234.50"));
    EXPECT_EQ(v.TextOr(), "-1234,50");
    EXPECT_DOUBLE_EQ(*v.ToNumber(), -1234.5);
    EXPECT_EQ(v.ToTruth(), true);
    EXPECT_EQ(Variant(D("0.00")).ToTruth(), false);
}

}  // namespace
}  // namespace orvane
