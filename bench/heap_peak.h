// bench/heap_peak.h -- the largest number of heap bytes in use during a
// measured stretch of a benchmark.
//
// Owns the program's malloc family: each call goes to the C library's own
// allocator and adds or removes the block's usable size from a running
// total. Regions the program maps itself (the allocator's large slab
// chunks) count from mmap to munmap, whole. Resident-set figures are useless for this, because the C library
// keeps freed blocks and the next run reuses them without touching new pages.
// Include it in exactly one file of a benchmark program.
#ifndef LUMENFOLD_BENCH_HEAP_PEAK_H
#define LUMENFOLD_BENCH_HEAP_PEAK_H

#include <dlfcn.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/types.h>

#include <cstddef>
#include <cstring>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace heap_peak {

inline size_t inUse = 0;
inline size_t peak = 0;

inline void added(void* block) {
  if (block == nullptr) return;
  inUse += malloc_usable_size(block);
  if (inUse > peak) peak = inUse;
}

inline void removed(void* block) {
  if (block != nullptr) inUse -= malloc_usable_size(block);
}

// Starts a stretch: the peak is what is in use now.
inline void reset() { peak = inUse; }

// Bytes in use at the highest point since reset(), above what was in use then.
inline size_t peakSince(size_t inUseAtReset) { return peak - inUseAtReset; }

}  // namespace heap_peak

extern "C" {

void* malloc(size_t size) {
  void* block = __libc_malloc(size);
  heap_peak::added(block);
  return block;
}

void* calloc(size_t count, size_t size) {
  void* block = __libc_calloc(count, size);
  heap_peak::added(block);
  return block;
}

void* realloc(void* block, size_t size) {
  const size_t before = block ? malloc_usable_size(block) : 0;
  void* moved = __libc_realloc(block, size);
  if (moved != nullptr || size == 0) {
    heap_peak::inUse -= before;
    heap_peak::added(moved);
  }
  return moved;
}

void* memalign(size_t alignment, size_t size) {
  void* block = __libc_memalign(alignment, size);
  heap_peak::added(block);
  return block;
}

void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

int posix_memalign(void** out, size_t alignment, size_t size) {
  void* block = memalign(alignment, size);
  if (block == nullptr) return 12;  // ENOMEM
  *out = block;
  return 0;
}

void free(void* block) {
  heap_peak::removed(block);
  __libc_free(block);
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset) {
  using Map = void* (*)(void*, size_t, int, int, int, off_t);
  static const auto next = reinterpret_cast<Map>(dlsym(RTLD_NEXT, "mmap"));
  void* region = next(address, length, protection, flags, fd, offset);
  if (region != MAP_FAILED) {
    heap_peak::inUse += length;
    if (heap_peak::inUse > heap_peak::peak) heap_peak::peak = heap_peak::inUse;
  }
  return region;
}

int munmap(void* address, size_t length) {
  using Unmap = int (*)(void*, size_t);
  static const auto next = reinterpret_cast<Unmap>(dlsym(RTLD_NEXT, "munmap"));
  const int result = next(address, length);
  if (result == 0) heap_peak::inUse -= length;
  return result;
}
}

#endif
