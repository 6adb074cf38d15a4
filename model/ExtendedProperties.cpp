// PLACEHOLDER: replaced by the extended-property string builder and parser.
#include "model/eControl.h"
namespace orvane {
std::string eControl::Extended() const { return {}; }
void eControl::Extended(const std::string&) { ExtendedProperties = nullptr; }
}  // namespace orvane
