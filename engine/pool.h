// engine/pool.h -- named pools of fixed-size records, and the engine's heap.
//
// Owns: every pool header and every pool page, and the
// one place where the engine takes memory from the system (so tests can make
// the N-th allocation fail). Records handed out stay in their pages until the
// library closes: RwFreeAllPools, the last step but one of RwClose, is where
// pooled memory is really released.
// It does not own what a record holds: each module frees its own contents.
//
// A page holds rwPoolPageRecordBytes of records back to back, then the link
// to the pool's previous page. The smallest record is one pointer-sized word,
// because a free record's first word links it to the next free one.
#ifndef LUMENFOLD_ENGINE_POOL_H
#define LUMENFOLD_ENGINE_POOL_H

#include <cstddef>
#include <cstdint>

constexpr size_t rwPoolPageRecordBytes = 4084;
constexpr size_t rwPoolPageLinkOffset = 4088;  // next pointer-aligned place
constexpr size_t rwPoolPageBytes = rwPoolPageLinkOffset + sizeof(void*);
constexpr size_t rwPoolSmallestRecord = sizeof(void*);

struct RwPool {
  RwPool* next;              // library pool list
  const char* name;          // constant text, not copied
  size_t recordSize;         // requested size, raised to rwPoolSmallestRecord
  size_t recordsPerPage;     // rwPoolPageRecordBytes / recordSize
  void* freeList;            // first free record
  uintptr_t recordsInUse;
  unsigned char* pages;      // newest page
  uintptr_t pageCount;
};

// Library-wide pool state, readable by tests.
struct RwPoolState {
  RwPool* head;
  RwPool* tail;
  uintptr_t poolCount;
  uintptr_t pagesAllocated;  // pages ever taken from the heap
};
const RwPoolState& RwGetPoolState();

// Sizes below 1 or above rwPoolPageRecordBytes, or no memory for the header:
// null, without an error number.
RwPool* RwCreatePool(const char* name, intptr_t recordSize);
// A record (contents undefined), or null with error 3.
void* RwAllocRecord(RwPool* pool);
// Does nothing when the pool counts no record in use.
void RwFreeRecord(RwPool* pool, void* record);
// Records and pages stay until the library closes.
void RwDestroyPool(RwPool* pool);
// Frees every page of every pool and every pool header. Nothing hands a page
// back before this, so there is no spare-page list to reuse.
int RwFreeAllPools();

// The engine's heap. RwEngineAlloc zero-fills; both return null when memory
// runs out (or when a test made this allocation fail).
void* RwEngineAlloc(size_t bytes);
void* RwEngineRealloc(void* block, size_t bytes);
void RwEngineFree(void* block);

// Test seam: the next `count` allocations succeed and every later one fails;
// a negative count turns failures off again.
void RwFailAllocationsAfter(intptr_t count);

#endif
