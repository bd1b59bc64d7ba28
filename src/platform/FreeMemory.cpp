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
