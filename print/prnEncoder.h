// prnEncoder: how one card-encoder model is driven (a command before the
// data, a command and a suffix per magnetic track, a command after), packed
// into a multi-line string (StrEncoder), and the conversion of commands
// written in hexadecimal notation into the raw bytes sent to the printer.
#pragma once

#include <string>

#include <orvanespt/platform/Export.h>

namespace orvane {

/// How one card-encoder model is driven, packed into a multi-line string,
/// and the conversion of hex-notation commands into the bytes sent.
class ORVANE_API prnEncoder {
public:
    std::string Name;  ///< the encoder model's name
    std::string PreCommand;                    ///< sent before the data
    /// The commands that introduce tracks 1, 2 and 3.
    ///@{
    std::string Command1, Command2, Command3;
    ///@}
    /// The suffixes that close tracks 1, 2 and 3.
    ///@{
    std::string Sufijo1, Sufijo2, Sufijo3;
    ///@}
    std::string PostCommand;                   ///< sent after the data

    /// Six lines joined by CR LF: Name, PreCommand, PostCommand, then
    /// "Command|Sufijo" for tracks 1 to 3. Never fails.
    std::string StrEncoder() const;
    /// Replaces all nine fields from such a text, lines ending in CR LF or
    /// CR alone. Never fails: missing lines or parts leave fields empty, and
    /// text after a second "|" on a track line is dropped.
    void StrEncoder(const std::string& value);

    /// The raw bytes a command in hex notation stands for, one char per byte:
    /// "1B 41" gives ESC "A". Blanks, "-", ".", "_", "<" and ">" are ignored,
    /// an odd count of digits reads as if it began with "0", a non-hex digit
    /// counts 0. Throws HexOverflow (platform/HexText.h) when more than
    /// kMaxHexTextLength hex characters remain.
    std::string BinString(const std::string& strHex) const;
};

}  // namespace orvane
