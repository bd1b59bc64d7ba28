#include "platform/FreeMemory.h"

// A header of the C library is what defines __GLIBC__: without one before the test
// below, the test fails even on glibc and the functions do nothing.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace lettergate {

void returnFreeMemoryToSystem()
{
#if defined(__GLIBC__)
    // Every arena, worker threads' included; 0 keeps no padding at the top of the heap.
    malloc_trim(0);
#endif
}

void keepLargeBlocksOutOfHeaps()
{
#if defined(__GLIBC__)
    // glibc's own starting threshold; setting it explicitly is what stops it from rising.
    constexpr int largeBlockBytes = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, largeBlockBytes);
#endif
}

} // namespace lettergate
