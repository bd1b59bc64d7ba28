#include "platform/FreeMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void returnFreeMemoryToSystem()
{
#if defined(__GLIBC__)
    // Every arena, worker threads' included; 0 keeps no padding at the top of the heap.
    malloc_trim(0);
#endif
}

void tuneHeapForLongRuns()
{
#if defined(__GLIBC__)
    // A fixed threshold also stops glibc from raising it after each large free, which
    // otherwise moves the next pictures into the heap for good.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_ARENA_MAX, 2);
#endif
}
