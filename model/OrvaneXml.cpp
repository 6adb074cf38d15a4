// PLACEHOLDER: replaced by the definition XML writer and reader.
#include "model/Orvane.h"
namespace orvane {
std::string Orvane::ToXML() const { return Name; }
bool Orvane::FromXML(const std::string&) { SetHash(); return false; }
}  // namespace orvane
