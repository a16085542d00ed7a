// core/memory.h -- the allocator that every record of the program goes
// through.
//
// Owns: zmMalloc, zmRealloc and zmFree, slabs (regions that records built in
// bulk are carved from and that give all their memory back at once), and the
// fault injection that makes allocations fail on purpose in tests. Whoever
// allocates a record frees it through zmFree, whichever of the two it came
// from. It does not own string copies (core/strings.h, zmStrdup) nor list
// nodes, which the list functions take from the system allocator themselves.
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
 *   A slab block moves to the heap.
 * Results:
 *   The new block, or null. On null the old block is untouched and still
 *   the caller's. Size 0 warns "zmRealloc: argument size is 0 value." and
 *   gives null without freeing the block.
 */
void* zmRealloc(void* block, size_t size);

// Releases a block from zmMalloc, zmRealloc or zmSlabMalloc; null is
// ignored. A slab block's memory stays with its slab until the slab goes.
void zmFree(void* block);

// ---- Slabs ----------------------------------------------------------------
//
// A world builds its objects, leaves and their arrays from a file in one go,
// a handful of small blocks per face; carving them one after another out of
// large chunks costs a few instructions each instead of a heap call, and the
// chunks go back whole when the world is emptied. Blocks are never reused
// inside a slab: a block freed early (an object deleted on its own) waits for
// its slab, so slabs suit records that live about as long as their world.

struct ZmSlab;

// A new empty slab (its chunks come on first use), or null.
ZmSlab* zmNewSlab();
// Ends the slab; null is ignored. No block of it may be used afterwards.
// Its chunks go back to the heap, except up to 32 MB of them that the next
// slabs carve from (their blocks are cleared as they are carved).
void zmDeleteSlab(ZmSlab* slab);
// Gives the chunks kept from deleted slabs back to the heap now.
void zmReleaseSpareChunks();

// Makes `slab` the one that zmSlabMalloc carves from (null: none, the heap
// serves); returns the one in use before, for the caller to restore.
ZmSlab* zmUseSlab(ZmSlab* slab);

// zmMalloc, carved from the slab in use when there is one (large blocks
// still come from the heap). Same results and warning as zmMalloc.
void* zmSlabMalloc(size_t size);

// ---- Shared blocks ----------------------------------------------------------
//
// Many records often hold equal arrays (every face of one face set has the
// same one-entry material lists). A slab block can have several owners, each
// of which frees it with zmFree once; its memory is fenced off only when the
// last one has. A shared block is read-only: whoever writes into an array
// that might be shared first makes it its own with zmOwnBlock.

/*
 * zmShareBlock --
 *   Another owner for `block`, a block of `size` bytes from this allocator.
 * Results:
 *   `block` itself, one owner more, when it was carved from a slab; else a
 *   fresh copy of it (zmSlabMalloc). Null for a null block or when the copy
 *   cannot be had.
 */
void* zmShareBlock(void* block, size_t size);

/*
 * zmOwnBlock --
 *   Makes a block safe to write into for one of its owners.
 * Results:
 *   `block` itself when nobody else owns it (heap blocks never are shared);
 *   else a fresh copy (zmSlabMalloc) of its contents, which the caller owns
 *   in its place, `block` having one owner fewer. Null when that copy cannot
 *   be had: `block` is then untouched and still the caller's.
 */
void* zmOwnBlock(void* block);

// True while another owner shares `block` (a slab block of more than one
// owner); false for heap blocks and null. A record whose block holds
// pointers to blocks of its own frees them only when this is false.
bool zmIsSharedBlock(const void* block);

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
