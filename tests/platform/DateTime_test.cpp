#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace orvane
