#include <orvanespt/platform/NumberFormat.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <locale>

namespace orvane::platform {
namespace {

thread_local std::optional<char> g_override;

char UserLocaleSeparator() {
    static const char sep = [] {
        try {
            const std::locale user("");
            return std::use_facet<std::numpunct<char>>(user).decimal_point();
        } catch (...) {
            return '.';  // an unknown LANG falls back to the C locale's form
        }
    }();
    return sep;
}

std::string FormatGeneral(double value, int digits) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    std::string s(buf, res.ptr);
    const char sep = DecimalSeparator();
    for (char& c : s) {
        if (c == 'e') c = 'E';
        else if (c == '.') c = sep;
    }
    if (s == "-0") s = "0";
    return s;
}

std::string_view Trim(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

// Round half to even, the rule of the platform's integer conversions.
std::optional<long long> RoundToInteger(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    double r = std::nearbyint(v);
    if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
    if (r < -9.2e18 || r > 9.2e18) return std::nullopt;
    return static_cast<long long>(r);
}

}  // namespace

char DecimalSeparator() { return g_override ? *g_override : UserLocaleSeparator(); }

void SetDecimalSeparatorOverride(std::optional<char> sep) { g_override = sep; }

ScopedDecimalSeparator::ScopedDecimalSeparator(char sep) : previous_(g_override) { g_override = sep; }
ScopedDecimalSeparator::~ScopedDecimalSeparator() { g_override = previous_; }

std::string FormatSingle(float value) { return FormatGeneral(static_cast<double>(value), 7); }

std::string FormatDouble(double value) { return FormatGeneral(value, 15); }

std::optional<double> LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j, ++expDigits;
        if (expDigits > 0) end = j;
    }
    std::string_view num = text.substr(start, end - start);
    if (!num.empty() && num.front() == '+') num.remove_prefix(1);
    double v = 0;
    auto res = std::from_chars(num.data(), num.data() + num.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        return num.front() == '-' ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity();
    }
    if (res.ec != std::errc()) return std::nullopt;
    return v;
}

std::optional<double> ParseLocaleDouble(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty()) return std::nullopt;
    std::string s(t);
    const char sep = DecimalSeparator();
    for (char& c : s) {
        if (c == sep) c = '.';
        else if (c == '.' && sep != '.' && sep != ',') return std::nullopt;
    }
    if (sep == '.' && s.find(',') != std::string::npos) return std::nullopt;  // grouping refused
    std::string_view v = s;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    double out = 0;
    auto res = std::from_chars(v.data(), v.data() + v.size(), out);
    if (res.ec != std::errc() || res.ptr != v.data() + v.size()) return std::nullopt;
    if (!std::isfinite(out)) return std::nullopt;
    return out;
}

std::optional<float> ParseLocaleSingle(std::string_view text) {
    auto d = ParseLocaleDouble(text);
    if (!d || std::fabs(*d) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(*d);
}

std::optional<std::int32_t> ParseLocaleInt32(std::string_view text) {
    auto d = ParseLocaleDouble(text);
    if (!d) return std::nullopt;
    auto r = RoundToInteger(*d);
    if (!r || *r < std::numeric_limits<std::int32_t>::min() || *r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*r);
}

std::optional<std::int16_t> ParseLocaleInt16(std::string_view text) {
    auto v = ParseLocaleInt32(text);
    if (!v || *v < std::numeric_limits<std::int16_t>::min() || *v > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(*v);
}

}  // namespace orvane::platform
