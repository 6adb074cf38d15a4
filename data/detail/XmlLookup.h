// Lookups in a parsed XML document for the library's XML readers: elements
// by tag (ignoring case) and optional Name, attributes by name ignoring case.
// Built on pugixml, so kept out of the installed headers.
#pragma once

#include <string_view>

#include <pugixml.hpp>

namespace orvane {

// The first element among nodes whose tag equals tag ignoring case and, when
// name is not blank, whose attribute "Name" (exact case) equals name exactly.
// A null node when none matches.
pugi::xml_node FindElementByName(pugi::xml_object_range<pugi::xml_node_iterator> nodes, std::string_view tag,
                                 std::string_view name);

// The first attribute of node whose name equals name ignoring case; a null
// attribute when none (or when node is null).
pugi::xml_attribute FindAttribute(pugi::xml_node node, std::string_view name);

}  // namespace orvane
