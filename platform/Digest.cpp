#include "platform/Digest.h"

#include <xxhash.h>

#include <cstdio>

namespace orvane::platform {

std::string DigestService::Sign(std::string_view text) const {
    const XXH128_hash_t h = XXH3_128bits(text.data(), text.size());
    char buf[33];
    std::snprintf(buf, sizeof buf, "%016llx%016llx", static_cast<unsigned long long>(h.high64),
                  static_cast<unsigned long long>(h.low64));
    return buf;
}

}  // namespace orvane::platform
