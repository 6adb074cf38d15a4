// Digest service of the dirty check: a fingerprint of a text (XXH3-128),
// equal for equal texts. Not for security.
#pragma once

#include <string>
#include <string_view>

namespace orvane::platform {

class DigestService {
public:
    int Mode = 0;  // kept for callers that set it; only mode 0 exists
    // 32 lower-case hexadecimal digits.
    std::string Sign(std::string_view text) const;
};

}  // namespace orvane::platform
