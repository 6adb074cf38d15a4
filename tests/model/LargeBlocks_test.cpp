// Blocks that move between the heap and their own mappings as they grow and
// shrink keep their contents; huge pages are asked for whole pages only.
#include <orvanespt/model/detail/LargeBlocks.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

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
    auto* block = static_cast<char*>(BlockAlloc(4 * kLargeBlock));
    ASSERT_NE(block, nullptr);
    // A mapping of its own, so that no advised neighbour merges with the range.
    void* mapping = mmap(nullptr, 3 * kLargeBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapping, MAP_FAILED);
    auto* start = static_cast<char*>(mapping);
    const auto from = (reinterpret_cast<std::uintptr_t>(start) + 12345 + kHuge - 1) & ~(kHuge - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(start) + 12345 + 2 * kLargeBlock) & ~(kHuge - 1);
    AdviseHugePages(start + 12345, 2 * kLargeBlock);
    // The areas of the process that carry the advice ("hg" among their flags).
    std::ifstream smaps("/proc/self/smaps");
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> advised;
    std::uintptr_t lo = 0, hi = 0;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t a = 0, b = 0;  // an area's first line: "from-to perms ..."
        if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR " ", &a, &b) == 2) {
            lo = a;
            hi = b;
            continue;
        }
        if (line.starts_with("VmFlags:") && line.find(" hg") != std::string::npos) advised.emplace_back(lo, hi);
    }
    const auto block0 = reinterpret_cast<std::uintptr_t>(block);
    EXPECT_TRUE(std::any_of(advised.begin(), advised.end(),
                            [&](auto a) { return a.first < block0 && a.second > block0 + 4 * kLargeBlock - 1; }));
    EXPECT_TRUE(std::any_of(advised.begin(), advised.end(), [&](auto a) { return a.first == from && a.second == to; }));
    munmap(mapping, 3 * kLargeBlock);
    BlockFree(block);
}
#endif

}  // namespace
}  // namespace orvane::detail
