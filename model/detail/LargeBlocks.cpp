// Large blocks mapped apart with huge pages on Linux; the heap elsewhere.
#include <orvanespt/model/detail/LargeBlocks.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace orvane::detail {

#if defined(__linux__)

namespace {

// Each block starts with this header: the size asked for, and for a mapped
// block the length of its mapping (0 for a heap block). Its 16 bytes keep
// the block aligned as malloc's.
struct alignas(16) Header {
    std::size_t size;
    std::size_t mapped;
};

constexpr std::size_t kHugePage = std::size_t{2} << 20;

Header* HeaderOf(void* p) {
    return static_cast<Header*>(p) - 1;
}

std::size_t MappingFor(std::size_t n) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return (n + sizeof(Header) + page - 1) / page * page;
}

void* Map(std::size_t n) {
    const std::size_t length = MappingFor(n);
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    // Advice only: without huge pages the block is still good.
    madvise(base, length, MADV_HUGEPAGE);
    auto* h = static_cast<Header*>(base);
    *h = {n, length};
    return h + 1;
}

void* Heap(std::size_t n) {
    auto* h = static_cast<Header*>(std::malloc(n + sizeof(Header)));
    if (!h) return nullptr;
    *h = {n, 0};
    return h + 1;
}

}  // namespace

void* BlockAlloc(std::size_t n) {
    if (n > SIZE_MAX / 2) return nullptr;
    return n >= kLargeBlock ? Map(n) : Heap(n);
}

void* BlockRealloc(void* p, std::size_t n) {
    if (!p) return BlockAlloc(n);
    if (n > SIZE_MAX / 2) return nullptr;
    Header* h = HeaderOf(p);
    if (h->mapped) {
        // A mapped block stays mapped, shrinking or growing: the kernel
        // moves its pages rather than copying them, and keeps the advice.
        const std::size_t length = MappingFor(n);
        void* base = mremap(h, h->mapped, length, MREMAP_MAYMOVE);
        if (base == MAP_FAILED) return nullptr;
        h = static_cast<Header*>(base);
        *h = {n, length};
        return h + 1;
    }
    if (n < kLargeBlock) {
        auto* grown = static_cast<Header*>(std::realloc(h, n + sizeof(Header)));
        if (!grown) return nullptr;
        grown->size = n;
        return grown + 1;
    }
    void* moved = Map(n);
    if (!moved) return nullptr;
    std::memcpy(moved, p, h->size < n ? h->size : n);
    std::free(h);
    return moved;
}

void BlockFree(void* p) {
    if (!p) return;
    Header* h = HeaderOf(p);
    if (h->mapped) {
        munmap(h, h->mapped);
    } else {
        std::free(h);
    }
}

void AdviseHugePages(void* p, std::size_t n) {
    if (n < kLargeBlock) return;
    const auto from = (reinterpret_cast<std::uintptr_t>(p) + kHugePage - 1) & ~(kHugePage - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(p) + n) & ~(kHugePage - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

#else

void* BlockAlloc(std::size_t n) {
    return std::malloc(n);
}
void* BlockRealloc(void* p, std::size_t n) {
    return std::realloc(p, n);
}
void BlockFree(void* p) {
    std::free(p);
}
void AdviseHugePages(void*, std::size_t) {}

#endif

}  // namespace orvane::detail
