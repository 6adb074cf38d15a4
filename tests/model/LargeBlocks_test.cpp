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
