// core/memory.cpp -- the program's allocator over the C heap.
#include "core/memory.h"

#include <cstdlib>

#include "core/report.h"

namespace {

long allocationsLeft = -1;  // successful allocations still allowed; negative: no limit

// Counts one allocation; false when the injected fault refuses it.
bool allocationAllowed() {
  if (allocationsLeft < 0) return true;
  if (allocationsLeft == 0) return false;
  --allocationsLeft;
  return true;
}

}  // namespace

void zmFailAllocationsAfter(long count) { allocationsLeft = count; }

void* zmMalloc(size_t size) {
  if (size == 0) {
    zmReportWarning("zmMalloc: arguemnt size is 0 value.");
    return nullptr;
  }
  if (!allocationAllowed()) return nullptr;
  return calloc(1, size);
}

void* zmRealloc(void* block, size_t size) {
  if (size == 0) {
    zmReportWarning("zmRealloc: argument size is 0 value.");
    return nullptr;
  }
  if (block == nullptr) return zmMalloc(size);
  if (!allocationAllowed()) return nullptr;
  return realloc(block, size);
}

void zmFree(void* block) { free(block); }
