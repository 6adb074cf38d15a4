// Decimal: an exact decimal number with its scale, the value kind of the
// NUMERIC, DECIMAL and money columns of databases and of the exact parameter
// types. It holds the digits as the database gave them (up to
// kMaxDecimalDigits of them, far beyond the 38 of the widest server type),
// so a value never passes through a double on its way to the page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane {

/// An exact decimal number (NUMERIC, DECIMAL, money): a coefficient of
/// digits and a scale, with a sign.
class ORVANE_API Decimal {
public:
    /// Longer numbers are refused by Parse: a value read from a database then
    /// stays the text it came as.
    static constexpr std::size_t kMaxDecimalDigits = 1000;

    Decimal() = default;  ///< 0 with scale 0
    /// The integer v, with scale 0.
    static Decimal FromInt(long long v);

    /// Reads a whole text: optional blanks, an optional sign, digits with at
    /// most one decimal point ('.' or the separator given), optional blanks;
    /// an exponent ("1.5E3", "2e-2") is applied to the scale. nullopt for any
    /// other text, for more than kMaxDecimalDigits digits or an exponent
    /// that would make more. The scale is the count of digits after the
    /// point, trailing zeros included ("3.10" has scale 2).
    static std::optional<Decimal> Parse(std::string_view text, char separator = '.');

    /// Plain decimal text: "-" for a negative value, at least one digit before
    /// the separator, exactly Scale() digits after it; never an exponent.
    std::string Text(char separator = '.') const;

    /// The nearest double (what a host that asks for a number gets).
    double ToDouble() const;
    /// The value as a whole number when it has no fraction part that is not
    /// zero and fits 64 bits.
    std::optional<long long> ToInt() const;

    bool IsZero() const { return digits_.empty(); }  ///< true for 0 at any scale
    bool IsNegative() const { return negative_; }    ///< true below 0
    int Scale() const { return scale_; }             ///< digits after the point
    /// Significant digits of the coefficient ("0012.50" has "1250").
    std::size_t Precision() const { return digits_.empty() ? 1 : digits_.size(); }

    /// Compares the numbers: 3.1 and 3.10 are equal here.
    int Compare(const Decimal& other) const;
    /// Same digits and scale: what a database would be sent.
    bool operator==(const Decimal&) const = default;

private:
    std::string digits_;  ///< coefficient, no leading zeros; "" for zero
    int scale_ = 0;       ///< value = coefficient x 10^-scale, scale >= 0
    bool negative_ = false;
};

}  // namespace orvane
