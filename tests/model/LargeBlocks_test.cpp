// Blocks that move between the heap and their own mappings as they grow and
// shrink keep their contents; huge pages are asked for whole pages only.
#include <orvanespt/model/detail/LargeBlocks.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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
}

#if defined(__linux__)
// The advice covers the whole 2 MiB pages inside the range and nothing past
// them: a partly used huge page at either end would be memory never asked for.
TEST(LargeBlocks, HugePagesAreAskedForTheWholeHugePagesInsideTheRangeOnly) {
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    // A mapping of its own, so that no advised neighbour merges with the range.
    void* mapping = mmap(nullptr, 3 * kLargeBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    const auto start = reinterpret_cast<std::uintptr_t>(mapping) + 12345;
    AdviseHugePages(reinterpret_cast<void*>(start), 2 * kLargeBlock);
    // The advised part is an area of its own, with "hg" among its flags.
    std::ostringstream smaps;
    smaps << std::ifstream("/proc/self/smaps").rdbuf();
    const std::string areas = smaps.str();
    char head[48];
    std::snprintf(head, sizeof head, "\n%" PRIxPTR "-%" PRIxPTR " ", (start + kHuge - 1) & ~(kHuge - 1),
                  (start + 2 * kLargeBlock) & ~(kHuge - 1));
    const std::size_t area = areas.find(head);
    ASSERT_NE(area, std::string::npos) << head;
    const std::size_t flags = areas.find("VmFlags:", area);
    EXPECT_NE(areas.substr(flags, areas.find('\n', flags) - flags).find(" hg"), std::string::npos);
    munmap(mapping, 3 * kLargeBlock);
}
#endif

}  // namespace
}  // namespace orvane::detail
