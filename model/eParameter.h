// eParameter: a typed report parameter with its default expression and its
// current value.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

/// Raised by eParameter::VBExpresion, the one public operation that raises,
/// when the value cannot be converted to the parameter's type (a truth-value
/// parameter holding a word that is not a truth value, a value with no text
/// form). what() names the parameter and the value.
class ORVANE_API ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A report parameter: its type, its default and its current value, and the
/// literals macros put in SQL and in the host's scripts.
class ORVANE_API eParameter {
public:
    std::string Name;      ///< the parameter's name in the report
    std::string Predef;    ///< default value expression
    Variant Value;         ///< current value
    std::string DTFormat;  ///< date/time format

    /// A list of values given at run time, never part of the definition XML.
    /// While it is set, macros and SendParameters use it instead of Value (for
    /// "WHERE x IN (@p)" or "IN (?)"); unset, the parameter is Value alone.
    /// Assigning Value leaves the list in place: reset it to go back.
    std::optional<std::vector<Variant>> Values;

    /// Type name as stored.
    const std::string& eType() const { return eType_; }
    /// "type|format" stores the type and sets DTFormat to the text between the
    /// first and second "|"; a value without "|" sets the type only.
    void eType(const std::string& value);

    /// DTFormat, untrimmed, when it holds anything but blanks; otherwise F.
    std::string SelectDTF(const std::string& F) const;

    /// The value as a literal for SQL text, by the category of the type:
    /// numbers in decimal, text and dates in single quotes (nothing escaped),
    /// truth values as -1/0. "" for the other categories and whenever the
    /// value cannot be rendered. A list renders each value so, joined by
    /// ", ", and "" when any of them renders nothing. Never raises.
    std::string SQLExpresion() const;

    /// The value as a literal for the host's script language: numbers as
    /// their text, text and dates in double quotes (nothing escaped), truth
    /// values as TRUE/FALSE, "" for the other categories. Raises
    /// ConversionError when the value cannot be converted. Renders Value
    /// alone, even while a list is set.
    std::string VBExpresion() const;

private:
    std::string eType_;
};

}  // namespace orvane
