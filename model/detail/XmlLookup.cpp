// Element and attribute lookups over pugixml nodes.
#include "model/detail/XmlLookup.h"

#include "platform/Text.h"

namespace orvane {

pugi::xml_node FindElementByName(pugi::xml_object_range<pugi::xml_node_iterator> nodes, std::string_view tag,
                                 std::string_view name) {
    const bool anyName = text::TrimBlanks(name).empty();
    for (pugi::xml_node node : nodes) {
        if (node.type() != pugi::node_element || !XmlNameEquals(node.name(), tag)) continue;
        if (anyName) return node;
        const pugi::xml_attribute attr = node.attribute("Name");
        if (attr && name == attr.value()) return node;
    }
    return {};
}

pugi::xml_attribute FindAttribute(pugi::xml_node node, std::string_view name) {
    for (pugi::xml_attribute attr : node.attributes()) {
        if (XmlNameEquals(attr.name(), name)) return attr;
    }
    return {};
}

}  // namespace orvane
