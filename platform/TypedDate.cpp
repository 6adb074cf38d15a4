#include <orvanespt/platform/TypedDate.h>

#include <cctype>
#include <string>

namespace orvane {
namespace {

struct MonthName {
    const char* name;
    int month;
};

// Spanish and English names and the abbreviations in use ("sept", "set").
constexpr MonthName kMonthNames[] = {
    {"enero", 1},      {"ene", 1},        {"january", 1},   {"jan", 1},       {"febrero", 2},   {"february", 2},
    {"feb", 2},        {"marzo", 3},      {"march", 3},     {"mar", 3},       {"abril", 4},     {"april", 4},
    {"abr", 4},        {"apr", 4},        {"mayo", 5},      {"may", 5},       {"junio", 6},     {"june", 6},
    {"jun", 6},        {"julio", 7},      {"july", 7},      {"jul", 7},       {"agosto", 8},    {"august", 8},
    {"ago", 8},        {"aug", 8},        {"septiembre", 9}, {"setiembre", 9}, {"september", 9}, {"sept", 9},
    {"sep", 9},        {"set", 9},        {"octubre", 10},  {"october", 10},  {"oct", 10},      {"noviembre", 11},
    {"november", 11},  {"nov", 11},       {"diciembre", 12}, {"december", 12}, {"dic", 12},      {"dec", 12},
};

class Cursor {
public:
    explicit Cursor(std::string_view s) : s_(s) {}
    bool AtEnd() const { return i_ == s_.size(); }
    std::size_t Blanks() {
        const std::size_t from = i_;
        while (i_ < s_.size() && s_[i_] == ' ') ++i_;
        return i_ - from;
    }
    bool Eat(char c) {
        if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
        return false;
    }
    // A run of 1 to 4 digits; its value and length.
    bool Number(int& value, std::size_t& digits) {
        value = 0;
        digits = 0;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_])) && digits < 5)
            value = value * 10 + (s_[i_++] - '0'), ++digits;
        return digits > 0 && digits <= 4;
    }
    // A run of ASCII letters, lower-cased.
    std::string Word() {
        std::string w;
        while (i_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[i_])))
            w += static_cast<char>(std::tolower(static_cast<unsigned char>(s_[i_++])));
        return w;
    }
    std::size_t Mark() const { return i_; }
    void Back(std::size_t to) { i_ = to; }

private:
    std::string_view s_;
    std::size_t i_ = 0;
};

int MonthOf(const std::string& word) {
    for (const auto& m : kMonthNames)
        if (word == m.name) return m.month;
    return 0;
}

// A month name with an optional final ".".
bool ReadMonthName(Cursor& c, int& month) {
    const std::size_t at = c.Mark();
    month = MonthOf(c.Word());
    if (month == 0) return c.Back(at), false;
    c.Eat('.');
    return true;
}

// "/", "-", "." or blanks, and " de " between words.
bool ReadSeparator(Cursor& c) {
    const bool blanks = c.Blanks() > 0;
    const std::size_t at = c.Mark();
    if (c.Word() == "de") {
        c.Blanks();
        return true;
    }
    c.Back(at);
    if (c.Eat('/') || c.Eat('-') || c.Eat('.')) {
        c.Blanks();
        return true;
    }
    return blanks;
}

bool ReadYear(Cursor& c, int& year) {
    std::size_t digits = 0;
    if (!c.Number(year, digits) || (digits != 2 && digits != 4)) return false;
    if (digits == 2) year += year < 30 ? 2000 : 1900;
    return true;
}

bool ReadDayFirst(Cursor& c, DateTime& dt) {
    std::size_t digits = 0;
    if (!c.Number(dt.Day, digits) || digits > 2 || !ReadSeparator(c)) return false;
    if (!ReadMonthName(c, dt.Month) && (!c.Number(dt.Month, digits) || digits > 2)) return false;
    return ReadSeparator(c) && ReadYear(c, dt.Year);
}

bool ReadMonthFirst(Cursor& c, DateTime& dt) {
    std::size_t digits = 0;
    if (!ReadMonthName(c, dt.Month) || !ReadSeparator(c)) return false;
    if (!c.Number(dt.Day, digits) || digits > 2) return false;
    c.Eat(',');
    return ReadSeparator(c) && ReadYear(c, dt.Year);
}

// "AM", "PM", "a.m.", "p.m." (any case); 0 none, 1 am, 2 pm.
int ReadMeridiem(Cursor& c) {
    const std::size_t at = c.Mark();
    c.Blanks();
    std::string w = c.Word();
    if (w == "a" || w == "p") {
        if (c.Eat('.') && c.Word() == "m") {
            c.Eat('.');
            w += "m";
        }
    }
    if (w == "am") return 1;
    if (w == "pm") return 2;
    c.Back(at);
    return 0;
}

bool ReadClock(Cursor& c, DateTime& dt) {
    std::size_t digits = 0;
    if (!c.Number(dt.Hour, digits) || digits > 2) return false;
    const bool minutes = c.Eat(':');
    if (minutes && (!c.Number(dt.Minute, digits) || digits != 2)) return false;
    if (minutes && c.Eat(':') && (!c.Number(dt.Second, digits) || digits != 2)) return false;
    const int meridiem = ReadMeridiem(c);
    if (!minutes && meridiem == 0) return false;
    if (meridiem == 0) return true;
    if (dt.Hour < 1 || dt.Hour > 12) return false;
    dt.Hour = dt.Hour % 12 + (meridiem == 2 ? 12 : 0);
    return true;
}

}  // namespace

std::optional<DateTime> ReadTypedDate(std::string_view text) {
    for (auto reader : {ReadDayFirst, ReadMonthFirst}) {
        Cursor c(text);
        c.Blanks();
        DateTime dt;
        dt.Hour = dt.Minute = dt.Second = 0;
        if (!reader(c, dt)) continue;
        const bool blanks = c.Blanks() > 0;
        if (!c.AtEnd() && (!blanks || !ReadClock(c, dt))) continue;
        c.Blanks();
        if (c.AtEnd() && dt.IsValid()) return dt;
    }
    Cursor c(text);
    c.Blanks();
    DateTime dt;
    if (!ReadClock(c, dt)) return std::nullopt;
    c.Blanks();
    if (c.AtEnd() && dt.IsValid()) return dt;
    return std::nullopt;
}

}  // namespace orvane
