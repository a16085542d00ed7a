// core/memory.cpp -- the program's allocator over the C heap.
#include "core/memory.h"

#include <cstdlib>

#include "core/report.h"

void* zmMalloc(size_t size) {
  if (size == 0) {
    zmReportWarning("zmMalloc: arguemnt size is 0 value.");
    return nullptr;
  }
  return calloc(1, size);
}

void* zmRealloc(void* block, size_t size) {
  if (size == 0) {
    zmReportWarning("zmRealloc: argument size is 0 value.");
    return nullptr;
  }
  if (block == nullptr) return zmMalloc(size);
  return realloc(block, size);
}

void zmFree(void* block) { free(block); }
