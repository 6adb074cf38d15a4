// Huge pages are asked for whole pages only. The blocks' moves between the
// heap and their own mappings are tested end to end, by the definition
// reader's round trip of a query past 4 MiB.
#include <orvanespt/model/detail/LargeBlocks.h>

#include <gtest/gtest.h>

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

#if defined(__linux__)
// The advice covers the whole 2 MiB pages inside the range and nothing past
// them: a partly used huge page at either end would be memory never asked for.
TEST(LargeBlocks, HugePagesAreAskedForTheWholeHugePagesInsideTheRangeOnly) {
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    const struct {
        std::uintptr_t at, size, from, to;  // from a 2 MiB boundary; to 0: no advice
    } cases[] = {
        {12345, 2 * kLargeBlock, kHuge, 2 * kLargeBlock},  // both ends cut inward
        {0, 2 * kLargeBlock - 4096, 0, 3 * kHuge},         // a start on a boundary is kept
        {0, kLargeBlock - 1, 0, 0},                        // too small to ask
    };
    for (const auto& c : cases) {
        // A mapping of its own, with unadvised memory around the range, so
        // that no advised neighbour merges with it.
        void* mapping = mmap(nullptr, 4 * kLargeBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(mapping, MAP_FAILED);
        const auto base = ((reinterpret_cast<std::uintptr_t>(mapping) + kHuge - 1) & ~(kHuge - 1)) + kHuge;
        AdviseHugePages(reinterpret_cast<void*>(base + c.at), c.size);
        // The advised part is an area of its own, with "hg" among its flags.
        std::ostringstream smaps;
        smaps << std::ifstream("/proc/self/smaps").rdbuf();
        const std::string areas = smaps.str();
        char head[48];
        std::snprintf(head, sizeof head, "\n%" PRIxPTR "-", base + c.from);
        if (c.to) std::snprintf(head, sizeof head, "\n%" PRIxPTR "-%" PRIxPTR " ", base + c.from, base + c.to);
        const std::size_t area = areas.find(head);
        EXPECT_EQ(area != std::string::npos, c.to != 0) << head;
        if (area != std::string::npos) {
            const std::size_t flags = areas.find("VmFlags:", area);
            EXPECT_NE(areas.substr(flags, areas.find('\n', flags) - flags).find(" hg"), std::string::npos);
        }
        munmap(mapping, 4 * kLargeBlock);
    }
}
#endif

}  // namespace
}  // namespace orvane::detail
