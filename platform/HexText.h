// Hex text: a text written as two upper-case hexadecimal digits per
// character, the stored form of printer command strings that hold control
// characters. A character is a code point; bytes that are not UTF-8 count as
// the code point of their value.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane {

/// The longest text StrToHex takes, and the longest hex text HexToStr decodes
/// (after its deletions and padding): both count in 16-bit signed integers.
inline constexpr std::size_t kMaxHexTextLength = 32766;

/// Thrown by StrToHex and HexToStr when their input is longer than
/// kMaxHexTextLength; the caller decides what to do with the overflow.
class ORVANE_API HexOverflow : public std::overflow_error {
public:
    /// The error for a text of length hex characters.
    explicit HexOverflow(std::size_t length);
};

/// Each character's code in upper-case hex padded to two digits (more digits
/// for code points above 255), all concatenated; "" for "". Throws HexOverflow
/// for more than kMaxHexTextLength characters.
ORVANE_API std::string StrToHex(std::string_view text);

/// text trimmed of blanks, with "0" put in front when shorter than two
/// characters. Never fails.
ORVANE_API std::string HexByte2(std::string_view text);

/// The characters (code points 0..255, as UTF-8) whose codes the hex pairs
/// give. Blanks, "-", ".", "_", "<" and ">" are ignored, an odd length reads
/// as if it began with "0", a non-hex digit counts 0. Throws HexOverflow when
/// more than kMaxHexTextLength hex characters remain.
ORVANE_API std::string HexToStr(std::string_view hex);

/// StrToHex and HexToStr without the length limit: the definition XML uses
/// these, so a long printer command is written and read back whole. Never fail.
///@{
ORVANE_API void AppendHexText(std::string& out, std::string_view text);
ORVANE_API std::string HexToStrUnbounded(std::string_view hex);
///@}

/// The value of a two-character hex pair (either case; a non-hex character
/// counts 0); 0 when pair is not exactly two characters. Never fails.
ORVANE_API std::uint8_t HexPairValue(std::string_view pair);

}  // namespace orvane
