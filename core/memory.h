// core/memory.h -- the allocator that every record of the program goes
// through.
//
// Owns: zmMalloc, zmRealloc and zmFree, and the fault injection that makes
// them fail on purpose in tests. Blocks are plain heap blocks; whoever
// allocates a record frees it through zmFree. It does not own string copies
// (core/strings.h, zmStrdup) nor list nodes, which the list functions take
// from the system allocator themselves.
#ifndef LUMENFOLD_CORE_MEMORY_H
#define LUMENFOLD_CORE_MEMORY_H

#include <cstddef>

/*
 * zmMalloc --
 *   A zero-filled block of `size` bytes.
 * Results:
 *   The block, or null. Size 0 warns "zmMalloc: arguemnt size is 0 value."
 *   and gives null; a failed allocation gives null without a message (the
 *   caller reports it in its own words).
 */
void* zmMalloc(size_t size);

/*
 * zmRealloc --
 *   Resizes `block` to `size` bytes, keeping its contents; bytes added at
 *   the end are not cleared. A null block gives a fresh zero-filled block.
 * Results:
 *   The new block, or null. On null the old block is untouched and still
 *   the caller's. Size 0 warns "zmRealloc: argument size is 0 value." and
 *   gives null without freeing the block.
 */
void* zmRealloc(void* block, size_t size);

// Releases a block from zmMalloc or zmRealloc; null is ignored.
void zmFree(void* block);

/*
 * zmFailAllocationsAfter --
 *   Fault injection for tests: after `count` more successful allocations
 *   through zmMalloc and zmRealloc (zmStrdup among them), every further one
 *   fails as an exhausted heap does, until this is called again. A
 *   negative count switches the injection off (the state at start-up).
 *   Freeing is never affected.
 */
void zmFailAllocationsAfter(long count);

#endif
