#pragma once

// Hands the heap's free pages back to the system. The C library keeps memory a program
// has freed for its next allocations; after a burst (a batch of screenshots encoded, the
// panel's pictures redrawn) that is many megabytes the resident program never needs
// again. Costs a walk over the heap, so it belongs at quiet moments, never on a path
// someone waits for. Does nothing where the C library offers no way to do it.
void returnFreeMemoryToSystem();
