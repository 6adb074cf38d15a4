// Lookups for the library's XML readers: names compared ignoring case, and
// an element's attributes found by name ignoring case.
// Built on pugixml, so kept out of the installed headers.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include <pugixml.hpp>

#include <orvanespt/platform/Text.h>

namespace orvane::detail {

// A parser's NUL-terminated name equals wanted ignoring case, compared
// without measuring or copying the name; names with non-ASCII bytes take
// text::EqualsIgnoreCase.
inline bool XmlNameEquals(const char* name, std::string_view wanted) {
    std::size_t i = 0;
    for (; i < wanted.size(); ++i) {
        const auto x = static_cast<unsigned char>(name[i]);
        const auto y = static_cast<unsigned char>(wanted[i]);
        if (x == 0) return false;
        if (x == y) continue;
        if ((x | y) & 0x80) return text::EqualsIgnoreCase(name, wanted);
        if (text::FoldAscii(name[i]) != text::FoldAscii(wanted[i])) return false;
    }
    for (; name[i] != 0; ++i) {
        if (static_cast<unsigned char>(name[i]) & 0x80) return text::EqualsIgnoreCase(name, wanted);
    }
    return i == wanted.size();
}

// The attributes of one element, gathered once, found by name ignoring case
// (first match in document order). With byLocalName a
// name's namespace prefix is left out of the comparison.
class XmlAttributes {
public:
    explicit XmlAttributes(pugi::xml_node node, bool byLocalName = false);
    // Over a parser's name and value pairs ended by a null pointer, which
    // must outlive this.
    explicit XmlAttributes(const char* const* atts);

    // The value of the first matching attribute; nullopt when none.
    std::optional<std::string_view> Find(std::string_view name) const;

private:
    static constexpr std::size_t kInline = 32;
    struct Item {
        const char* name;
        const char* value;
    };
    pugi::xml_node node_;
    const char* const* atts_ = nullptr;
    bool byLocalName_ = false;
    Item items_[kInline];
    std::size_t count_ = 0;
    bool overflow_ = false;  // more than kInline: looked up in the node
};

}  // namespace orvane::detail
