// Numbers as the user's locale writes them. The decimal separator comes from
// the user's locale (LC_NUMERIC of the environment, read once) unless a test
// or a host overrides it; nothing here changes the process's C locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// The decimal separator of the current user locale ('.' or ',' usually).
ORVANE_API char DecimalSeparator();

/// Forces the decimal separator (for tests and hosts); nullopt goes back to
/// the user's locale. Applies to the calling thread only.
ORVANE_API void SetDecimalSeparatorOverride(std::optional<char> sep);

/// RAII form of the override, restoring the previous one on destruction.
class ORVANE_API ScopedDecimalSeparator {
public:
    /// Makes sep the decimal separator until this object is destroyed.
    explicit ScopedDecimalSeparator(char sep);
    ~ScopedDecimalSeparator();
    ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
    ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;

private:
    std::optional<char> previous_;
};

/// Single-precision default text form: the shortest decimal form with at most
/// 7 significant digits, exponent form ("1E+07", "1.5E-05") below 1E-4 or
/// from 1E+7 on, the locale's decimal separator, no grouping.
ORVANE_API std::string FormatSingle(float value);

/// Double default text form: as FormatSingle with up to 15 significant digits.
ORVANE_API std::string FormatDouble(double value);

/// Longest leading decimal number of a text, locale-independent: blanks before
/// it are skipped, "." is the decimal point, an optional sign and exponent are
/// accepted. nullopt when the text has no leading number.
ORVANE_API std::optional<double> LeadingNumber(std::string_view text);

/// Whole-text conversions by the user locale's rules: blanks around the
/// number are allowed, the locale's decimal separator is the decimal point
/// (a '.' is also accepted when the separator is ','), grouping is refused.
/// nullopt when the text is not such a number or is out of range.
///@{
ORVANE_API std::optional<double> ParseLocaleDouble(std::string_view text);
ORVANE_API std::optional<float> ParseLocaleSingle(std::string_view text);
ORVANE_API std::optional<std::int32_t> ParseLocaleInt32(std::string_view text);
ORVANE_API std::optional<std::int16_t> ParseLocaleInt16(std::string_view text);
///@}

}  // namespace orvane::platform
