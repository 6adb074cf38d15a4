// DateTime: a calendar date and time of day without a time zone, the value
// kind that parameters, fields and filters carry for dates.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane {

/// A calendar date and time of day, to the nanosecond, without a time zone.
struct ORVANE_API DateTime {
    int Year = 1899;     ///< four-digit year
    int Month = 12;      ///< 1..12
    int Day = 30;        ///< 1..31
    int Hour = 0;        ///< 0..23
    int Minute = 0;      ///< 0..59
    int Second = 0;      ///< 0..59
    int Nanosecond = 0;  ///< 0..999,999,999: the fraction of the second

    /// True when the time of day is not midnight.
    bool HasTime() const { return Hour != 0 || Minute != 0 || Second != 0 || Nanosecond != 0; }
    /// True on 1899-12-30, serial day 0: a time of day with no date, as
    /// TIME columns and time-only texts give.
    bool IsTimeOnly() const { return Year == 1899 && Month == 12 && Day == 30; }
    /// Chronological order, field by field.
    auto operator<=>(const DateTime&) const = default;

    /// True when the fields name a real calendar date and time.
    bool IsValid() const;

    /// Days since 1899-12-30 plus the time of day as a fraction (the serial
    /// form databases and spreadsheets use).
    ///@{
    double ToSerial() const;
    static DateTime FromSerial(double serial);
    ///@}

    /// "yyyy-mm-dd", or "yyyy-mm-dd hh:mm:ss" when the time is not midnight,
    /// or "hh:mm:ss" alone on serial day 0; a fraction of the second follows
    /// the seconds with its trailing zeros left out ("14:30:00.1234").
    std::string ToIsoText() const;
    /// ToIsoText with separator between the date and the time: 'T' gives
    /// ISO 8601's "2024-03-14T14:30:00.5".
    std::string ToIsoText(char separator) const;
    /// "yyyy-mm-dd" alone, whatever the time.
    std::string DateText() const;
    /// "hh:mm:ss" and the fraction as in ToIsoText.
    std::string TimeText() const;
};

/// Reads a text that holds a date, with or without a time. Accepted:
/// yyyymmdd, yyyy-mm-dd, yyyy/mm/dd, each optionally followed by a blank or "T"
/// and hh:mm[:ss] or hhmmss (with optional fractional seconds and a trailing
/// "Z" or numeric zone offset; the fraction is kept to the nanosecond, the
/// zone is ignored), and d/m/yyyy and
/// d-m-yyyy (day first, as written in the user's locale); also a time alone,
/// hh:mm[:ss], which gives that time on 1899-12-30 (serial day 0); and what
/// ReadTypedDate reads (dates as people type them). Surrounding
/// blanks are ignored. Returns nullopt for anything else or for an impossible
/// date or time.
ORVANE_API std::optional<DateTime> ParseDateText(std::string_view text);

/// Reads a time of day alone as TIME columns hold it: h[h]:m[m][:s[s]] with
/// the fraction and zone ParseDateText reads after a time, surrounding white
/// space ignored. Gives that time on 1899-12-30 (serial day 0); nullopt for
/// anything else or an impossible time.
ORVANE_API std::optional<DateTime> ParseTimeText(std::string_view text);

/// Writes a date and time by a format pattern. Letters of the tokens may be in
/// any case; anything that is not a token is copied as it is.
///   yyyy  four-digit year          yy   two-digit year      y  day of the year
///   mm    two-digit month          m    month               q  quarter
///   mmm   month abbreviation       mmmm month name (Spanish, lower case: "ene", "enero")
///   dd    two-digit day            d    day
///   ddd   day abbreviation         dddd day name (Spanish, lower case: "lun", "lunes")
///   w     day of the week, 1 = Sunday
///   ww    week of the year; weeks start on Sunday, the week of January 1 is 1
///   hh    two-digit hour 00-23     h    hour
///   nn    two-digit minutes        n    minutes
///   ss    two-digit seconds        s    seconds
///   AM/PM, am/pm, A/P, a/p: the marker, in the case written; hours become 1-12
/// "m" and "mm" write minutes instead of the month when the token before them
/// is an hour or the token after them is seconds ("hh:mm", "mm:ss"). A
/// backslash copies the next character and text in double quotes is copied without the
/// quotes, so letters can be written literally ("dd \\de mmmm"). Never fails.
ORVANE_API std::string FormatDateTime(const DateTime& value, std::string_view format);

}  // namespace orvane
