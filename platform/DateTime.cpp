#include <orvanespt/platform/DateTime.h>

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include <orvanespt/platform/Text.h>
#include <orvanespt/platform/TypedDate.h>

namespace orvane {
namespace {

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

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
bool TimeTail(Cursor& c, DateTime& dt) {
    if (c.Eat('.') || c.Eat(',')) {
        const std::size_t from = c.i;
        if (!c.Digits(1, 9, dt.Nanosecond)) return false;
        for (std::size_t n = c.i - from; n < 9; ++n) dt.Nanosecond *= 10;
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
    return TimeTail(c, dt);
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

// A time alone, hh:mm[:ss] (each field of at least digits digits), with the
// separators required so that a bare number never reads as a time; the
// whole text.
bool ReadTimeOnly(Cursor& c, DateTime& dt, std::size_t digits) {
    if (!c.Digits(digits, 2, dt.Hour) || !c.Eat(':') || !c.Digits(digits, 2, dt.Minute)) return false;
    if (c.Eat(':') && !c.Digits(digits, 2, dt.Second)) return false;
    return TimeTail(c, dt) && c.AtEnd() && dt.IsValid();
}

// ---- Formatting ----

const char* const kMonthNames[] = {"enero", "febrero", "marzo",      "abril",   "mayo",      "junio",
                                   "julio", "agosto",  "septiembre", "octubre", "noviembre", "diciembre"};
const char* const kMonthAbbrs[] = {"ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"};
const char* const kDayNames[] = {"domingo", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado"};
const char* const kDayAbbrs[] = {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"};

// clang-format off
enum class Tok {
    Literal,
    Year4, Year2, DayOfYear, Quarter,
    Month, Month2, MonthAbbr, MonthName,
    Day, Day2, DayAbbr, DayName, Weekday, Week,
    Hour, Hour2, Minute, Minute2, Second, Second2,
    AmPm, AP,
};
// clang-format on

struct Token {
    Tok kind;
    std::string_view text;  // Literal: the characters to copy (part of the format)
    bool upper = false;     // AmPm / AP: write the marker in upper case
};

bool StartsWithIgnoreCase(std::string_view s, std::size_t at, std::string_view what) {
    return s.size() - at >= what.size() && text::EqualsIgnoreCaseAscii(s.substr(at, what.size()), what);
}

std::size_t RunLength(std::string_view s, std::size_t at, char lower) {
    std::size_t n = 0;
    while (at + n < s.size() && text::FoldAscii(s[at + n]) == lower) ++n;
    return n;
}

// Longest token of a letter at a position: {kind, characters used}, or
// Literal when the letter is not a token letter.
std::pair<Tok, std::size_t> LetterToken(std::string_view f, std::size_t i) {
    const char c = text::FoldAscii(f[i]);
    const std::size_t run = RunLength(f, i, c);
    switch (c) {
        case 'y':
            return run >= 4   ? std::pair{Tok::Year4, 4}
                   : run >= 2 ? std::pair{Tok::Year2, 2}
                              : std::pair{Tok::DayOfYear, 1};
        case 'q':
            return {Tok::Quarter, 1};
        case 'm': {
            static const Tok kinds[] = {Tok::Month, Tok::Month2, Tok::MonthAbbr, Tok::MonthName};
            const std::size_t n = run < 4 ? run : 4;
            return {kinds[n - 1], n};
        }
        case 'd': {
            static const Tok kinds[] = {Tok::Day, Tok::Day2, Tok::DayAbbr, Tok::DayName};
            const std::size_t n = run < 4 ? run : 4;
            return {kinds[n - 1], n};
        }
        case 'w':
            return run >= 2 ? std::pair{Tok::Week, 2} : std::pair{Tok::Weekday, 1};
        case 'h':
            return run >= 2 ? std::pair{Tok::Hour2, 2} : std::pair{Tok::Hour, 1};
        case 'n':
            return run >= 2 ? std::pair{Tok::Minute2, 2} : std::pair{Tok::Minute, 1};
        case 's':
            return run >= 2 ? std::pair{Tok::Second2, 2} : std::pair{Tok::Second, 1};
        default:
            return {Tok::Literal, 1};
    }
}

void AddLiteral(std::vector<Token>& out, std::string_view chars) {
    out.push_back({Tok::Literal, chars});
}

std::vector<Token> Tokenize(std::string_view f) {
    std::vector<Token> out;
    out.reserve(f.size());
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '\\') {
            if (i + 1 < f.size()) AddLiteral(out, f.substr(i + 1, 1));
            i += 2;
        } else if (c == '"') {
            const std::size_t close = f.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? f.size() : close;
            AddLiteral(out, f.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (StartsWithIgnoreCase(f, i, "am/pm") || StartsWithIgnoreCase(f, i, "a/p")) {
            const bool full = StartsWithIgnoreCase(f, i, "am/pm");
            out.push_back({full ? Tok::AmPm : Tok::AP, {}, c == 'A'});
            i += full ? 5 : 3;
        } else {
            auto [kind, used] = LetterToken(f, i);
            if (kind == Tok::Literal)
                AddLiteral(out, f.substr(i, 1));
            else
                out.push_back({kind, {}});
            i += used;
        }
    }
    return out;
}

bool IsHour(Tok t) {
    return t == Tok::Hour || t == Tok::Hour2;
}
bool IsSecond(Tok t) {
    return t == Tok::Second || t == Tok::Second2;
}

// "m"/"mm" right after an hour token or right before a seconds token (literal
// characters between them do not count) mean minutes.
void ResolveMinutes(std::vector<Token>& toks) {
    Tok previous = Tok::Literal;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        Token& t = toks[i];
        if (t.kind == Tok::Literal) continue;
        if (t.kind == Tok::Month || t.kind == Tok::Month2) {
            Tok next = Tok::Literal;
            for (std::size_t j = i + 1; j < toks.size() && next == Tok::Literal; ++j) next = toks[j].kind;
            if (IsHour(previous) || IsSecond(next)) t.kind = t.kind == Tok::Month ? Tok::Minute : Tok::Minute2;
        }
        previous = t.kind;
    }
}

// Decimal digits of v, zero-padded to width.
void AppendNumber(std::string& out, long long v, int width) {
    if (v < 0) {
        out += '-';
        v = -v;
    }
    char buf[24];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0 && n < 20);
    while (n < width) buf[n++] = '0';
    while (n > 0) out += buf[--n];
}

}  // namespace

bool DateTime::IsValid() const {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return false;
    if (Day < 1 || Day > DaysInMonth(Year, Month)) return false;
    return Hour >= 0 && Hour <= 23 && Minute >= 0 && Minute <= 59 && Second >= 0 && Second <= 59 && Nanosecond >= 0 &&
           Nanosecond <= 999999999;
}

double DateTime::ToSerial() const {
    const double days = static_cast<double>(DaysFromCivil(Year, Month, Day) - kSerialEpoch);
    const double frac = (Hour * 3600 + Minute * 60 + Second + Nanosecond / 1e9) / 86400.0;
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

std::string DateTime::TimeText() const {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", Hour, Minute, Second);
    std::string out = buf;
    if (Nanosecond > 0 && Nanosecond <= 999999999) {
        std::snprintf(buf, sizeof buf, ".%09d", Nanosecond);
        std::size_t n = 10;
        while (buf[n - 1] == '0') --n;
        out.append(buf, n);
    }
    return out;
}

std::string DateTime::DateText() const {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", Year, Month, Day);
    return buf;
}

std::string DateTime::ToIsoText() const {
    return ToIsoText(' ');
}

std::string DateTime::ToIsoText(char separator) const {
    if (IsTimeOnly()) return TimeText();
    std::string out = DateText();
    if (HasTime()) {
        out += separator;
        out += TimeText();
    }
    return out;
}

std::optional<DateTime> ParseDateText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;

    for (auto reader : {ReadYearFirst, ReadDayFirst}) {
        Cursor c{text};
        DateTime dt;
        dt.Hour = dt.Minute = dt.Second = dt.Nanosecond = 0;
        if (!reader(c, dt)) continue;
        if (!c.AtEnd()) {
            if (!(c.Eat('T') || c.Eat(' '))) continue;
            while (c.Eat(' ')) {
            }
            if (!ReadTime(c, dt) || !c.AtEnd()) continue;
        }
        if (dt.IsValid()) return dt;
    }
    Cursor c{text};
    DateTime dt;
    if (ReadTimeOnly(c, dt, 2)) return dt;
    return ReadTypedDate(text);
}

std::optional<DateTime> ParseTimeText(std::string_view text) {
    Cursor c{text::TrimWhite(text)};
    DateTime dt;
    if (ReadTimeOnly(c, dt, 1)) return dt;
    return std::nullopt;
}

namespace {

// 0 = Sunday.
int WeekdayIndex(int y, int m, int d) {
    const long long days = DaysFromCivil(y, m, d);  // 1970-01-01 was a Thursday
    return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

int DayOfYear(const DateTime& v) {
    return static_cast<int>(DaysFromCivil(v.Year, v.Month, v.Day) - DaysFromCivil(v.Year, 1, 1)) + 1;
}

// clang-format off
void AppendToken(std::string& out, const Token& t, const DateTime& v, bool twelveHour) {
    const int month = v.Month >= 1 && v.Month <= 12 ? v.Month - 1 : 0;
    const int hour = twelveHour ? (v.Hour % 12 == 0 ? 12 : v.Hour % 12) : v.Hour;
    const int weekday = WeekdayIndex(v.Year, v.Month, v.Day);
    const bool am = v.Hour < 12;
    switch (t.kind) {
        case Tok::Literal: out += t.text; return;
        case Tok::Year4: return AppendNumber(out, v.Year, 4);
        case Tok::Year2: return AppendNumber(out, (v.Year % 100 + 100) % 100, 2);
        case Tok::DayOfYear: return AppendNumber(out, DayOfYear(v), 1);
        case Tok::Quarter: return AppendNumber(out, month / 3 + 1, 1);
        case Tok::Month: return AppendNumber(out, v.Month, 1);
        case Tok::Month2: return AppendNumber(out, v.Month, 2);
        case Tok::MonthAbbr: out += kMonthAbbrs[month]; return;
        case Tok::MonthName: out += kMonthNames[month]; return;
        case Tok::Day: return AppendNumber(out, v.Day, 1);
        case Tok::Day2: return AppendNumber(out, v.Day, 2);
        case Tok::DayAbbr: out += kDayAbbrs[weekday]; return;
        case Tok::DayName: out += kDayNames[weekday]; return;
        case Tok::Weekday: return AppendNumber(out, weekday + 1, 1);
        case Tok::Week: return AppendNumber(out, (DayOfYear(v) - 1 + WeekdayIndex(v.Year, 1, 1)) / 7 + 1, 1);
        case Tok::Hour: return AppendNumber(out, hour, 1);
        case Tok::Hour2: return AppendNumber(out, hour, 2);
        case Tok::Minute: return AppendNumber(out, v.Minute, 1);
        case Tok::Minute2: return AppendNumber(out, v.Minute, 2);
        case Tok::Second: return AppendNumber(out, v.Second, 1);
        case Tok::Second2: return AppendNumber(out, v.Second, 2);
        case Tok::AmPm: out += am ? (t.upper ? "AM" : "am") : (t.upper ? "PM" : "pm"); return;
        case Tok::AP: out += am ? (t.upper ? "A" : "a") : (t.upper ? "P" : "p"); return;
    }
}
// clang-format on

}  // namespace

std::string FormatDateTime(const DateTime& value, std::string_view format) {
    std::vector<Token> toks = Tokenize(format);
    ResolveMinutes(toks);
    bool twelveHour = false;
    for (const Token& t : toks) twelveHour = twelveHour || t.kind == Tok::AmPm || t.kind == Tok::AP;
    std::string out;
    out.reserve(format.size() + 8);
    for (const Token& t : toks) AppendToken(out, t, value, twelveHour);
    return out;
}

}  // namespace orvane
