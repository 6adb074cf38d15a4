// Digest service of the dirty check: a fingerprint of a text (XXH3-128),
// equal for equal texts. Not for security.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// The fingerprint of a text (XXH3-128), equal for equal texts; not for security.
class ORVANE_API DigestService {
public:
    int Mode = 0;  ///< kept for callers that set it; only mode 0 exists
    /// 32 lower-case hexadecimal digits.
    std::string Sign(std::string_view text) const;
};

/// The same sign taken over a text handed over in pieces, so that the text
/// need never be held whole.
class ORVANE_API DigestStream {
public:
    DigestStream();  ///< throws std::bad_alloc when no state can be had
    ~DigestStream();
    DigestStream(const DigestStream&) = delete;
    DigestStream& operator=(const DigestStream&) = delete;

    /// Adds the next piece of the text.
    void Update(std::string_view piece);
    /// DigestService().Sign of all the pieces given so far, joined.
    std::string Sign() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace orvane::platform
