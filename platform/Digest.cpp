#include <orvanespt/platform/Digest.h>

#include <xxhash.h>
// On x86 Debian's library picks the widest vector unit the processor has
// (AVX2 where there is one) when called through its dispatching functions,
// which this header puts in place of the plain ones: the dirty check hashes
// the whole definition text every time it is asked.
#if defined(__x86_64__) || defined(__i386__)
#include <xxh_x86dispatch.h>
#endif

#include <cstdio>
#include <new>

namespace orvane::platform {

namespace {

std::string Hex(XXH128_hash_t h) {
    char buf[33];
    std::snprintf(buf, sizeof buf, "%016llx%016llx", static_cast<unsigned long long>(h.high64),
                  static_cast<unsigned long long>(h.low64));
    return buf;
}

}  // namespace

std::string DigestService::Sign(std::string_view text) const { return Hex(XXH3_128bits(text.data(), text.size())); }

struct DigestStream::State {
    XXH3_state_t* xxh = XXH3_createState();
    ~State() { XXH3_freeState(xxh); }
};

DigestStream::DigestStream() : state_(std::make_unique<State>()) {
    if (!state_->xxh || XXH3_128bits_reset(state_->xxh) == XXH_ERROR) throw std::bad_alloc();
}

DigestStream::~DigestStream() = default;

void DigestStream::Update(std::string_view piece) { XXH3_128bits_update(state_->xxh, piece.data(), piece.size()); }

std::string DigestStream::Sign() const { return Hex(XXH3_128bits_digest(state_->xxh)); }

}  // namespace orvane::platform
