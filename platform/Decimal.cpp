#include <orvanespt/platform/Decimal.h>

#include <cstdlib>
#include <limits>

namespace orvane {

Decimal Decimal::FromInt(long long v) {
    Decimal d;
    if (v == 0) return d;
    d.negative_ = v < 0;
    // Through the unsigned magnitude: -v overflows for the smallest value.
    unsigned long long m = d.negative_ ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    d.digits_ = std::to_string(m);
    return d;
}

std::optional<Decimal> Decimal::Parse(std::string_view s, char separator) {
    std::size_t i = 0, n = s.size();
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    while (n > i && (s[n - 1] == ' ' || s[n - 1] == '\t')) --n;
    Decimal d;
    if (i < n && (s[i] == '-' || s[i] == '+')) d.negative_ = s[i++] == '-';
    std::string digits;
    long long scale = 0;
    bool point = false, any = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            any = true;
            if (digits.empty() && c == '0') {
                if (point) ++scale;  // a leading zero after the point still counts for the scale
                continue;
            }
            if (digits.size() >= kMaxDecimalDigits) return std::nullopt;
            digits += c;
            if (point) ++scale;
        } else if ((c == '.' || c == separator) && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any) return std::nullopt;
    if (i < n) {
        if (s[i] != 'e' && s[i] != 'E') return std::nullopt;
        ++i;
        bool minus = false;
        if (i < n && (s[i] == '-' || s[i] == '+')) minus = s[i++] == '-';
        if (i == n) return std::nullopt;
        long long e = 0;
        for (; i < n; ++i) {
            if (s[i] < '0' || s[i] > '9') return std::nullopt;
            e = e * 10 + (s[i] - '0');
            if (e > static_cast<long long>(kMaxDecimalDigits) * 2) return std::nullopt;
        }
        scale += minus ? e : -e;
    }
    if (scale < 0) {  // 1.5E3: the exponent's zeros become digits
        if (!digits.empty()) {
            if (digits.size() + static_cast<std::size_t>(-scale) > kMaxDecimalDigits) return std::nullopt;
            digits.append(static_cast<std::size_t>(-scale), '0');
        }
        scale = 0;
    }
    if (scale > static_cast<long long>(kMaxDecimalDigits)) return std::nullopt;
    d.digits_ = std::move(digits);
    d.scale_ = static_cast<int>(scale);
    if (d.digits_.empty()) d.negative_ = false;  // -0.00 is 0.00
    return d;
}

std::string Decimal::Text(char separator) const {
    const std::size_t scale = static_cast<std::size_t>(scale_);
    std::string out = negative_ ? "-" : "";
    if (digits_.size() > scale) {
        out.append(digits_, 0, digits_.size() - scale);
    } else {
        out += '0';
    }
    if (scale == 0) return out;
    out += separator;
    if (digits_.size() < scale) out.append(scale - digits_.size(), '0');
    out.append(digits_, digits_.size() > scale ? digits_.size() - scale : 0, std::string::npos);
    return out;
}

double Decimal::ToDouble() const {
    // strtod rounds the full text correctly, which summing digits would not.
    return std::strtod(Text('.').c_str(), nullptr);
}

std::optional<long long> Decimal::ToInt() const {
    const std::size_t scale = static_cast<std::size_t>(scale_);
    if (digits_.size() <= scale) {
        if (digits_.empty()) return 0;
        return std::nullopt;  // a fraction part only
    }
    if (digits_.find_first_not_of('0', digits_.size() - scale) != std::string::npos) return std::nullopt;
    const std::string whole = digits_.substr(0, digits_.size() - scale);
    if (whole.size() > 19) return std::nullopt;
    const unsigned long long m = std::strtoull(whole.c_str(), nullptr, 10);
    const unsigned long long limit = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    if (whole.size() == 19 && whole > "9223372036854775808") return std::nullopt;
    if (negative_) {
        if (m > limit + 1) return std::nullopt;
        return m == limit + 1 ? std::numeric_limits<long long>::min() : -static_cast<long long>(m);
    }
    if (m > limit) return std::nullopt;
    return static_cast<long long>(m);
}

int Decimal::Compare(const Decimal& o) const {
    if (IsZero() || o.IsZero()) {
        if (IsZero() && o.IsZero()) return 0;
        if (IsZero()) return o.negative_ ? 1 : -1;
        return negative_ ? -1 : 1;
    }
    if (negative_ != o.negative_) return negative_ ? -1 : 1;
    // Magnitudes: first by the count of digits before the point, then digit
    // by digit with the shorter fraction padded with zeros.
    const long long intA = static_cast<long long>(digits_.size()) - scale_;
    const long long intB = static_cast<long long>(o.digits_.size()) - o.scale_;
    int mag = 0;
    if (intA != intB) {
        mag = intA < intB ? -1 : 1;
    } else {
        const std::size_t len = std::max(digits_.size(), o.digits_.size());
        for (std::size_t k = 0; k < len && mag == 0; ++k) {
            const char a = k < digits_.size() ? digits_[k] : '0';
            const char b = k < o.digits_.size() ? o.digits_[k] : '0';
            if (a != b) mag = a < b ? -1 : 1;
        }
    }
    return negative_ ? -mag : mag;
}

}  // namespace orvane
