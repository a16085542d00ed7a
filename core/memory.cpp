// core/memory.cpp -- the program's allocator over the C heap, and slabs.
#include "core/memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "core/report.h"
#include "platform/fatal.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#define SLAB_POISON(at, size) ASAN_POISON_MEMORY_REGION(at, size)
#define SLAB_UNPOISON(at, size) ASAN_UNPOISON_MEMORY_REGION(at, size)
// The leak checker looks for pointers to heap blocks in the heap and the
// program's data; chunks mapped by hand are shown to it.
#define SLAB_SCANNED(at, size) __lsan_register_root_region(at, size)
#define SLAB_UNSCANNED(at, size) __lsan_unregister_root_region(at, size)
#else
#define SLAB_POISON(at, size) ((void)(at), (void)(size))
#define SLAB_UNPOISON(at, size) ((void)(at), (void)(size))
#define SLAB_SCANNED(at, size) ((void)(at), (void)(size))
#define SLAB_UNSCANNED(at, size) ((void)(at), (void)(size))
#endif

namespace {

// Every block of a slab is preceded by its size, so that zmRealloc knows how
// much to move (and the address sanitizer how much to fence off when it is
// freed), and by its number of owners. Blocks are aligned for pointers and
// floats, which is all records hold.
struct BlockHeader {
  uint32_t size;    // bytes asked for
  uint32_t owners;  // 0 once freed; more than 1 while shared
};
constexpr size_t kBlockAlign = alignof(void*);
constexpr size_t kHeader = sizeof(BlockHeader);
static_assert(kHeader % kBlockAlign == 0, "a slab block header keeps its block aligned");
// A world of a few objects takes one page; chunks double from there.
constexpr size_t kFirstChunk = 4 * 1024;
constexpr size_t kLargestChunk = 16 * 1024 * 1024;
// Chunks of deleted slabs kept for the next slab, at most this many bytes:
// a world loaded after another is carved from memory already faulted in
// instead of pages the kernel must clear again.
constexpr size_t kSpareLimit = 32 * 1024 * 1024;
// Larger blocks are rare and would waste the end of a chunk.
constexpr size_t kLargestSlabBlock = 4096;

struct Chunk {
  Chunk* previous;  // the chunk made before, or null
  size_t size;      // bytes, this header included
};

size_t roundUp(size_t size) { return (size + kBlockAlign - 1) & ~(kBlockAlign - 1); }

// Start and end address of every chunk of every live slab, so that zmFree
// can tell a slab block from a heap block. Never destroyed: zmFree may run
// from static destructors.
std::map<uintptr_t, uintptr_t>& chunkRanges() {
  static auto* ranges = new std::map<uintptr_t, uintptr_t>;
  return *ranges;
}

// The allocator's state (chunkRanges above apart, which must outlive it).
struct SlabAllocator {
  ZmSlab* slabInUse = nullptr;

  // Chunks of deleted slabs (linked through `previous`), not zero-filled, and
  // their total size. Not in chunkRanges: no block of them is live.
  Chunk* spareChunks = nullptr;
  size_t spareBytes = 0;

  long allocationsLeft = -1;  // successful allocations still allowed; negative: no limit

  // The chunk found last: a world's records are freed in about the order they
  // were carved, so most lookups land in it. Forgotten when a chunk goes.
  uintptr_t lastChunkStart = 0;
  uintptr_t lastChunkEnd = 0;

  // The span from the lowest live chunk's start to the highest one's end
  // (empty while there is none), so that freeing a heap block needs no map
  // lookup when no slab is alive or the block lies outside every chunk.
  uintptr_t lowestChunkStart = UINTPTR_MAX;
  uintptr_t highestChunkEnd = 0;
};
SlabAllocator allocator;

// Counts one allocation; false when the injected fault refuses it.
bool allocationAllowed() {
  if (allocator.allocationsLeft < 0) return true;
  if (allocator.allocationsLeft == 0) return false;
  --allocator.allocationsLeft;
  return true;
}

void spanLiveChunks() {
  const auto& ranges = chunkRanges();
  allocator.lowestChunkStart = ranges.empty() ? UINTPTR_MAX : ranges.begin()->first;
  allocator.highestChunkEnd = ranges.empty() ? 0 : ranges.rbegin()->second;
}

bool isSlabBlock(const void* block) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(block);
  if (at >= allocator.lastChunkStart && at < allocator.lastChunkEnd) return true;
  if (at < allocator.lowestChunkStart || at >= allocator.highestChunkEnd) return false;
  const auto& ranges = chunkRanges();
  auto after = ranges.upper_bound(at);
  if (after == ranges.begin()) return false;
  --after;
  if (at >= after->second) return false;
  allocator.lastChunkStart = after->first;
  allocator.lastChunkEnd = after->second;
  return true;
}

// Slab chunks and large arrays (the coordinates and indices of a big face
// set) are faulted in by the megabyte rather than by the page when the
// system allows it; a world of a million faces otherwise spends longer in
// page faults than in building. Blocks this large come straight from the
// system, untouched, so the advice is given before their first use.
constexpr uintptr_t kHugePage = 2 * 1024 * 1024;
constexpr size_t kPage = 4096;

uintptr_t hugePageAtOrAbove(uintptr_t at) { return (at + kHugePage - 1) & ~(kHugePage - 1); }
uintptr_t hugePageAtOrBelow(uintptr_t at) { return at & ~(kHugePage - 1); }

void adviseHugePages(void* block, size_t size) {
  if (block == nullptr || size < 2 * kHugePage) return;
  const uintptr_t start = hugePageAtOrAbove(reinterpret_cast<uintptr_t>(block));
  const uintptr_t end = hugePageAtOrBelow(reinterpret_cast<uintptr_t>(block) + size);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

// Chunks of several megabytes are mapped straight from the system on a
// huge-page boundary, so that the whole of them, not only their middle, is
// faulted in by the megabyte; smaller ones come from the heap. Both are
// zero-filled when new.
bool isMappedChunkSize(size_t size) { return size >= kHugePage; }

Chunk* newChunk(size_t size) {
  if (!isMappedChunkSize(size)) {
    void* chunk = calloc(1, size);
    adviseHugePages(chunk, size);
    return static_cast<Chunk*>(chunk);
  }
  const size_t mapped = size + kHugePage;
  void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) return nullptr;
  const uintptr_t at = reinterpret_cast<uintptr_t>(region);
  const uintptr_t start = hugePageAtOrAbove(at);
  if (start > at) munmap(region, start - at);
  if (at + mapped > start + size) munmap(reinterpret_cast<void*>(start + size), at + mapped - (start + size));
  madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);
  SLAB_SCANNED(reinterpret_cast<void*>(start), size);
  return reinterpret_cast<Chunk*>(start);
}

void freeChunk(Chunk* chunk) {
  if (!isMappedChunkSize(chunk->size)) {
    free(chunk);
    return;
  }
  SLAB_UNSCANNED(chunk, chunk->size);
  munmap(chunk, chunk->size);
}

BlockHeader& headerOf(void* block) { return *reinterpret_cast<BlockHeader*>(static_cast<char*>(block) - kHeader); }
const BlockHeader& headerOf(const void* block) {
  return *reinterpret_cast<const BlockHeader*>(static_cast<const char*>(block) - kHeader);
}

}  // namespace

struct ZmSlab {
  Chunk* newest;     // chunk being carved, or null before the first block
  char* next;        // first free byte of the newest chunk
  char* end;         // end of the newest chunk
  size_t nextChunk;  // size of the chunk to make when this one is full
  bool recycled;     // the newest chunk is a spare: blocks are cleared when carved
};

void zmFailAllocationsAfter(long count) { allocator.allocationsLeft = count; }

void* zmMalloc(size_t size) {
  if (size == 0) {
    zmReportWarning("zmMalloc: arguemnt size is 0 value.");
    return nullptr;
  }
  if (!allocationAllowed()) return nullptr;
  void* block = calloc(1, size);
  adviseHugePages(block, size);
  return block;
}

void* zmRealloc(void* block, size_t size) {
  if (size == 0) {
    zmReportWarning("zmRealloc: argument size is 0 value.");
    return nullptr;
  }
  if (block == nullptr) return zmMalloc(size);
  if (!isSlabBlock(block)) {
    if (!allocationAllowed()) return nullptr;
    void* resized = realloc(block, size);
    adviseHugePages(resized, size);
    return resized;
  }
  void* moved = zmMalloc(size);
  if (moved == nullptr) return nullptr;
  memcpy(moved, block, std::min<size_t>(size, headerOf(block).size));
  zmFree(block);
  return moved;
}

void zmFree(void* block) {
  if (block == nullptr) return;
  if (isSlabBlock(block)) {
    BlockHeader& header = headerOf(block);
    if (header.owners == 0) ZM_FATAL("slab block %p freed twice", block);
    if (--header.owners == 0) SLAB_POISON(block, header.size);
    return;
  }
  free(block);
}

// ---- Slabs ----------------------------------------------------------------

ZmSlab* zmNewSlab() {
  ZmSlab* slab = static_cast<ZmSlab*>(calloc(1, sizeof(ZmSlab)));
  if (slab != nullptr) slab->nextChunk = kFirstChunk;
  return slab;
}

// Keeps a chunk of a deleted slab as a spare while the spares stay under
// their limit, else gives it back.
static void keepOrFreeChunk(Chunk* chunk) {
  SLAB_UNPOISON(chunk, chunk->size);
  if (allocator.spareBytes + chunk->size > kSpareLimit) {
    freeChunk(chunk);
    return;
  }
  chunk->previous = allocator.spareChunks;
  allocator.spareChunks = chunk;
  allocator.spareBytes += chunk->size;
  SLAB_POISON(chunk + 1, chunk->size - sizeof(Chunk));
}

// The smallest spare chunk of at least `size` bytes, taken off the spares;
// null when there is none.
static Chunk* takeSpareChunk(size_t size) {
  Chunk** best = nullptr;
  for (Chunk** link = &allocator.spareChunks; *link != nullptr; link = &(*link)->previous) {
    if ((*link)->size >= size && (best == nullptr || (*link)->size < (*best)->size)) best = link;
  }
  if (best == nullptr) return nullptr;
  Chunk* chunk = *best;
  *best = chunk->previous;
  allocator.spareBytes -= chunk->size;
  return chunk;
}

void zmDeleteSlab(ZmSlab* slab) {
  if (slab == nullptr) return;
  if (allocator.slabInUse == slab) allocator.slabInUse = nullptr;
  while (slab->newest != nullptr) {
    Chunk* chunk = slab->newest;
    slab->newest = chunk->previous;
    chunkRanges().erase(reinterpret_cast<uintptr_t>(chunk));
    allocator.lastChunkStart = allocator.lastChunkEnd = 0;
    keepOrFreeChunk(chunk);
  }
  spanLiveChunks();
  free(slab);
}

void zmReleaseSpareChunks() {
  while (allocator.spareChunks != nullptr) {
    Chunk* chunk = allocator.spareChunks;
    allocator.spareChunks = chunk->previous;
    SLAB_UNPOISON(chunk, chunk->size);
    freeChunk(chunk);
  }
  allocator.spareBytes = 0;
}

ZmSlab* zmUseSlab(ZmSlab* slab) {
  ZmSlab* before = allocator.slabInUse;
  allocator.slabInUse = slab;
  return before;
}

// Starts a new chunk that holds at least `need` bytes: a spare one when one
// is large enough, else a fresh zero-filled one. Chunks double in size up to
// a limit, so small worlds stay small and big ones make few chunks. What is
// not yet carved is fenced off.
static bool growSlab(ZmSlab* slab, size_t need) {
  size_t size = std::max(slab->nextChunk, roundUp(sizeof(Chunk)) + need);
  Chunk* chunk = takeSpareChunk(size);
  slab->recycled = chunk != nullptr;
  if (chunk != nullptr) {
    SLAB_UNPOISON(chunk, sizeof(Chunk));
    size = chunk->size;
  } else {
    size = (size + kPage - 1) & ~(kPage - 1);
    chunk = newChunk(size);
    if (chunk == nullptr) return false;
  }
  chunk->previous = slab->newest;
  chunk->size = size;
  slab->newest = chunk;
  slab->next = reinterpret_cast<char*>(chunk) + roundUp(sizeof(Chunk));
  slab->end = reinterpret_cast<char*>(chunk) + size;
  slab->nextChunk = std::min(std::max(slab->nextChunk, size) * 2, kLargestChunk);
  const uintptr_t start = reinterpret_cast<uintptr_t>(chunk);
  chunkRanges()[start] = start + size;
  spanLiveChunks();
  SLAB_POISON(slab->next, slab->end - slab->next);
  return true;
}

// Kept out of line so that zmSlabMalloc's heap path (records built outside
// a file) does not pay for the registers carving and growing need.
[[gnu::noinline]] static void* carveBlock(ZmSlab* slab, size_t size) {
  if (!allocationAllowed()) return nullptr;
  const size_t need = kHeader + roundUp(size);
  if (static_cast<size_t>(slab->end - slab->next) < need && !growSlab(slab, need)) return nullptr;
  char* at = slab->next;
  slab->next += need;
  SLAB_UNPOISON(at, kHeader + size);
  if (slab->recycled) memset(at + kHeader, 0, size);
  *reinterpret_cast<BlockHeader*>(at) = {static_cast<uint32_t>(size), 1};
  return at + kHeader;
}

void* zmSlabMalloc(size_t size) {
  if (allocator.slabInUse == nullptr || size == 0 || size > kLargestSlabBlock) return zmMalloc(size);
  return carveBlock(allocator.slabInUse, size);
}

void* zmShareBlock(void* block, size_t size) {
  if (block == nullptr) return nullptr;
  if (isSlabBlock(block)) {
    BlockHeader& header = headerOf(block);
    ZM_ASSERT(header.owners > 0, "only a block that still has an owner takes another");
    ++header.owners;
    return block;
  }
  void* copy = zmSlabMalloc(size);
  if (copy != nullptr) memcpy(copy, block, size);
  return copy;
}

void* zmOwnBlock(void* block) {
  if (block == nullptr || !isSlabBlock(block)) return block;
  BlockHeader& header = headerOf(block);
  ZM_ASSERT(header.owners > 0, "only an owner makes a block its own");
  if (header.owners < 2) return block;
  void* copy = zmSlabMalloc(header.size);
  if (copy == nullptr) return nullptr;
  memcpy(copy, block, header.size);
  --header.owners;
  return copy;
}

bool zmIsSharedBlock(const void* block) {
  return block != nullptr && isSlabBlock(block) && headerOf(block).owners > 1;
}
