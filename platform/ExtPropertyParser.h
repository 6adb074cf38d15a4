// The extended-property string of a control: items Name='value'; one after
// another, with CR LF in a value carried as \0x130x10\ and an apostrophe as
// \0x27\. This file escapes single values and splits a whole string into its
// items; the model keeps the items as objects.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// A value as it goes between the quotes of an item. Never fails.
ORVANE_API void AppendEscapedExtValue(std::string& out, std::string_view value);
/// The reverse, in one pass from the left. Never fails.
ORVANE_API std::string UnescapeExtValue(std::string_view escaped);

/// One extended property as the text writes it.
struct ORVANE_API ExtItem {
    std::string name;   ///< as written, blanks included
    std::string value;  ///< unescaped
};

/// The items of an extended-property string, in order; an empty list for "".
/// Names are taken exactly as written (so blanks between items belong to the
/// next name); a value ends at the first apostrophe followed by ";" or by
/// nothing but blanks up to the end, so an apostrophe inside a value and a
/// missing final ";" are accepted; blanks after the last item are ignored.
/// nullopt when the text is damaged: a non-blank piece without "='" or a
/// value without its closing apostrophe.
ORVANE_API std::optional<std::vector<ExtItem>> ParseExtProperties(std::string_view text);

}  // namespace orvane::platform
