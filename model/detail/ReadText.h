// The definition reading step with the text handed over: the package reader
// gives up its copy of source.xml once it is parsed, so the text, its parsed
// document and the definition being built are never all held at once.
#pragma once

#include <string>

#include <orvanespt/model/Orvane.h>

namespace orvane::detail {

// Orvane::ReadXML(text), emptying text (freeing its memory) once it parsed.
DefinitionRead ReadXmlReleasing(Orvane& r, std::string& text);

}  // namespace orvane::detail
