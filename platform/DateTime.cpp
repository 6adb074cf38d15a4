#include "platform/DateTime.h"

#include <cmath>
#include <cstdio>

namespace orvane {
namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && IsLeap(y)) return 29;
    return days[m - 1];
}

// Days from 1970-01-01 for a proleptic Gregorian date (Howard Hinnant's).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long long kSerialEpoch = DaysFromCivil(1899, 12, 30);

struct Cursor {
    std::string_view s;
    std::size_t i = 0;
    bool AtEnd() const { return i >= s.size(); }
    char Peek() const { return AtEnd() ? '\0' : s[i]; }
    // Reads between min and max digits; false when fewer than min.
    bool Digits(std::size_t min, std::size_t max, int& out) {
        std::size_t n = 0;
        int v = 0;
        while (n < max && !AtEnd() && s[i] >= '0' && s[i] <= '9') {
            v = v * 10 + (s[i] - '0');
            ++i, ++n;
        }
        out = v;
        return n >= min;
    }
    bool Eat(char c) {
        if (Peek() != c) return false;
        ++i;
        return true;
    }
};

// Optional fractional seconds and zone suffix after the seconds.
bool TimeTail(Cursor& c) {
    if (c.Eat('.') || c.Eat(',')) {
        int ignored = 0;
        if (!c.Digits(1, 9, ignored)) return false;
    }
    if (c.Eat('Z')) return true;
    if (c.Peek() == '+' || c.Peek() == '-') {
        ++c.i;
        int hh = 0, mm = 0;
        if (!c.Digits(2, 2, hh)) return false;
        c.Eat(':');
        c.Digits(0, 2, mm);
    }
    return true;
}

bool ReadTime(Cursor& c, DateTime& dt) {
    if (!c.Digits(2, 2, dt.Hour)) return false;
    if (c.Eat(':')) {
        if (!c.Digits(2, 2, dt.Minute)) return false;
        if (c.Eat(':') && !c.Digits(2, 2, dt.Second)) return false;
    } else {
        if (!c.Digits(2, 2, dt.Minute) || !c.Digits(2, 2, dt.Second)) return false;
    }
    return TimeTail(c);
}

bool ReadYearFirst(Cursor& c, DateTime& dt) {
    if (!c.Digits(4, 4, dt.Year)) return false;
    char sep = c.Peek();
    if (sep == '-' || sep == '/') {
        ++c.i;
        if (!c.Digits(1, 2, dt.Month) || !c.Eat(sep) || !c.Digits(1, 2, dt.Day)) return false;
    } else if (!c.Digits(2, 2, dt.Month) || !c.Digits(2, 2, dt.Day)) {
        return false;
    }
    return true;
}

bool ReadDayFirst(Cursor& c, DateTime& dt) {
    if (!c.Digits(1, 2, dt.Day)) return false;
    char sep = c.Peek();
    if (sep != '/' && sep != '-' && sep != '.') return false;
    ++c.i;
    return c.Digits(1, 2, dt.Month) && c.Eat(sep) && c.Digits(4, 4, dt.Year);
}

}  // namespace

bool DateTime::IsValid() const {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return false;
    if (Day < 1 || Day > DaysInMonth(Year, Month)) return false;
    return Hour >= 0 && Hour <= 23 && Minute >= 0 && Minute <= 59 && Second >= 0 && Second <= 59;
}

double DateTime::ToSerial() const {
    const double days = static_cast<double>(DaysFromCivil(Year, Month, Day) - kSerialEpoch);
    const double frac = (Hour * 3600 + Minute * 60 + Second) / 86400.0;
    // Serials before the epoch count days backwards but the time forwards.
    return days >= 0 ? days + frac : days - frac;
}

DateTime DateTime::FromSerial(double serial) {
    double whole = std::trunc(serial);
    long long secs = std::llround(std::fabs(serial - whole) * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        whole += serial >= 0 ? 1 : -1;
    }
    DateTime dt;
    CivilFromDays(static_cast<long long>(whole) + kSerialEpoch, dt.Year, dt.Month, dt.Day);
    dt.Hour = static_cast<int>(secs / 3600);
    dt.Minute = static_cast<int>(secs / 60 % 60);
    dt.Second = static_cast<int>(secs % 60);
    return dt;
}

std::string DateTime::ToIsoText() const {
    char buf[40];
    if (HasTime())
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", Year, Month, Day, Hour, Minute, Second);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", Year, Month, Day);
    return buf;
}

std::optional<DateTime> ParseDateText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;

    for (auto reader : {ReadYearFirst, ReadDayFirst}) {
        Cursor c{text};
        DateTime dt;
        dt.Hour = dt.Minute = dt.Second = 0;
        if (!reader(c, dt)) continue;
        if (!c.AtEnd()) {
            if (!(c.Eat('T') || c.Eat(' '))) continue;
            while (c.Eat(' ')) {
            }
            if (!ReadTime(c, dt) || !c.AtEnd()) continue;
        }
        if (dt.IsValid()) return dt;
    }
    return std::nullopt;
}

}  // namespace orvane
