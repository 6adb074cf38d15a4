// PLACEHOLDER: replaced by the picture format recogniser.
#include "platform/Picture.h"
namespace orvane {
std::shared_ptr<Picture> Picture::FromBytes(std::string) { return nullptr; }
std::string_view Picture::Extension() const { return {}; }
}  // namespace orvane
