#include "shared/platform/heap.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

void keep_freed_heap_memory() {
#ifdef __GLIBC__
    // Blocks below 1 MB come from the heap, not from a mapping of their own, and up to
    // 16 MB freed at the top of the heap stay there for the next allocation.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
#endif
}

} // namespace platform
