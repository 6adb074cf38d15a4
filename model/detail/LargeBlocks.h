// Memory for large buffers filled once and soon freed (a parser's input
// buffer and its string pool, a long decoded text): on Linux the system is
// asked to back them with 2 MiB pages, so that a 200 MB buffer takes a few
// hundred page faults rather than fifty thousand. Elsewhere the plain heap.
// Kept out of the installed headers.
#pragma once

#include <cstddef>

namespace orvane::detail {

// From this size on a block is mapped apart and backed by huge pages; below
// it the heap serves it as malloc would. 4 MiB: a smaller block would leave
// much of its one or two huge pages unused.
inline constexpr std::size_t kLargeBlock = std::size_t{4} << 20;

// malloc, realloc and free for blocks that may be large: a block from one
// of them is given back only through BlockRealloc or BlockFree. Growing a
// large block remaps it without copying. nullptr when no memory is left
// (the block given to BlockRealloc then stays as it was).
void* BlockAlloc(std::size_t n);
void* BlockRealloc(void* p, std::size_t n);
void BlockFree(void* p);

// Asks for huge pages behind the whole 2 MiB pages inside [p, p + n), memory
// not yet touched (a string's storage just reserved, say). Nothing below
// kLargeBlock, nor where the system has no such pages.
void AdviseHugePages(void* p, std::size_t n);

}  // namespace orvane::detail
