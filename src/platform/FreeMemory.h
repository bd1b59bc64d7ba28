#pragma once

namespace lettergate {

// Hands the heap's free pages back to the system. The C library keeps memory a program
// has freed for its next allocations; after a burst (a batch of screenshots encoded, the
// panel's pictures redrawn) that is many megabytes the resident program never needs
// again. Costs a walk over the heap, so it belongs at quiet moments, never on a path
// someone waits for. Does nothing where the C library offers no way to do it.
void returnFreeMemoryToSystem();

// Gives every large block (a picture's pixels: a screenshot, a window's picture, a
// preview) a mapping of its own, returned to the system the moment it is freed. By
// default glibc raises that threshold to the size of each large block freed, up to
// 32 MiB, so after the first screenshot the next ones are carved from a heap; a worker
// thread's heap gives its top back only past a trim threshold that rises with it, and
// returnFreeMemoryToSystem never trims it, so pictures long freed stayed resident. The
// price is fresh pages for each large block, paid mostly by the capturing and decoding
// threads: the GUI thread keeps its pictures.
// Call it first in main, before any thread starts. Does nothing outside glibc.
void keepLargeBlocksOutOfHeaps();

} // namespace lettergate
