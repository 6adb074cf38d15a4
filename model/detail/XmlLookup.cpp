// Element and attribute lookups over pugixml nodes.
#include <orvanespt/model/detail/XmlLookup.h>

#include <cstring>

#include <orvanespt/platform/Text.h>

namespace orvane::detail {

namespace {

const char* LocalName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

}  // namespace

XmlAttributes::XmlAttributes(pugi::xml_node node, bool byLocalName) : node_(node), byLocalName_(byLocalName) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (count_ == kInline) {
            overflow_ = true;
            return;
        }
        items_[count_++] = {byLocalName ? LocalName(a.name()) : a.name(), a.value()};
    }
}

XmlAttributes::XmlAttributes(const char* const* atts) : atts_(atts) {
    for (const char* const* a = atts; *a; a += 2) {
        if (count_ == kInline) {
            overflow_ = true;
            return;
        }
        items_[count_++] = {a[0], a[1]};
    }
}

std::optional<std::string_view> XmlAttributes::Find(std::string_view name) const {
    if (!overflow_) {
        for (std::size_t i = 0; i < count_; ++i) {
            if (XmlNameEquals(items_[i].name, name)) return std::string_view(items_[i].value);
        }
        return std::nullopt;
    }
    if (atts_) {
        for (const char* const* a = atts_; *a; a += 2) {
            if (XmlNameEquals(a[0], name)) return std::string_view(a[1]);
        }
        return std::nullopt;
    }
    for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute()) {
        if (XmlNameEquals(byLocalName_ ? LocalName(a.name()) : a.name(), name)) return std::string_view(a.value());
    }
    return std::nullopt;
}

}  // namespace orvane::detail
