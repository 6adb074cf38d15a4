// Blocks that move between the heap and their own mappings as they grow and
// shrink keep their contents.
#include <orvanespt/model/detail/LargeBlocks.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace orvane::detail {
namespace {

TEST(LargeBlocks, ReallocKeepsTheBytesAcrossTheHeapAndMappedBlocks) {
    // Small, into a mapping, a larger mapping, back under the threshold, up again.
    const std::size_t sizes[] = {1000, kLargeBlock + 1, 5 * kLargeBlock, 100, 3 * kLargeBlock};
    auto byte = [](std::size_t i) { return static_cast<unsigned char>(i * 7 + i / 4093); };
    auto* p = static_cast<unsigned char*>(BlockAlloc(10));
    ASSERT_NE(p, nullptr);
    std::size_t filled = 0;
    for (std::size_t n : sizes) {
        p = static_cast<unsigned char*>(BlockRealloc(p, n));
        ASSERT_NE(p, nullptr) << n;
        const std::size_t kept = std::min(filled, n);
        for (std::size_t i = 0; i < kept; ++i) ASSERT_EQ(p[i], byte(i)) << "byte " << i << " at size " << n;
        for (std::size_t i = kept; i < n; ++i) p[i] = byte(i);
        filled = n;
    }
    BlockFree(p);
    BlockFree(nullptr);
    void* large = BlockAlloc(kLargeBlock);
    ASSERT_NE(large, nullptr);
    std::memset(large, 1, kLargeBlock);
    BlockFree(large);
}

}  // namespace
}  // namespace orvane::detail
