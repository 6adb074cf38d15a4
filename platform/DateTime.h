// DateTime: a calendar date and time of day without a time zone, the value
// kind that parameters, fields and filters carry for dates.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

struct DateTime {
    int Year = 1899;   // four-digit year
    int Month = 12;    // 1..12
    int Day = 30;      // 1..31
    int Hour = 0;      // 0..23
    int Minute = 0;    // 0..59
    int Second = 0;    // 0..59

    bool HasTime() const { return Hour != 0 || Minute != 0 || Second != 0; }
    auto operator<=>(const DateTime&) const = default;

    // True when the fields name a real calendar date and time.
    bool IsValid() const;

    // Days since 1899-12-30 plus the time of day as a fraction (the serial
    // form databases and spreadsheets use).
    double ToSerial() const;
    static DateTime FromSerial(double serial);

    // "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss" when the time is not midnight.
    std::string ToIsoText() const;
};

// Reads a text that holds a date, with or without a time. Accepted:
// yyyymmdd, yyyy-mm-dd, yyyy/mm/dd, each optionally followed by a blank or "T"
// and hh:mm[:ss] or hhmmss (with optional fractional seconds and a trailing
// "Z" or numeric zone offset, which are ignored), and d/m/yyyy and
// d-m-yyyy (day first, as written in the user's locale). Surrounding blanks
// are ignored. Returns nullopt for anything else or for an impossible date.
std::optional<DateTime> ParseDateText(std::string_view text);

}  // namespace orvane
