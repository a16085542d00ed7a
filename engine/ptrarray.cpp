// engine/ptrarray.cpp -- growable arrays of pointers.
#include "engine/ptrarray.h"

#include "engine/error.h"
#include "engine/pool.h"

namespace {

constexpr uintptr_t smallestCapacity = 8;

size_t blockBytes(uintptr_t capacity) { return sizeof(RwPtrArray) + (capacity + 1) * sizeof(void*); }

// Index of the first entry equal to `entry`, or count when there is none.
uintptr_t find(RwPtrArray* array, void* entry) {
  void** entries = RwPtrArrayEntries(array);
  uintptr_t index = 0;
  while (index < array->count && entries[index] != entry) ++index;
  return index;
}

}  // namespace

RwPtrArray* RwCreatePtrArray(intptr_t capacity) {
  uintptr_t room = capacity < 9 ? smallestCapacity : static_cast<uintptr_t>(capacity);
  auto* array = static_cast<RwPtrArray*>(RwEngineAlloc(blockBytes(room)));
  if (!array) {
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  array->count = 0;
  array->capacity = room;
  return array;
}

void RwDestroyPtrArray(RwPtrArray* array) { RwEngineFree(array); }

RwPtrArray* RwAppendPtrArray(RwPtrArray* array, void* entry) {
  if (!array) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  if (array->count == array->capacity) {
    uintptr_t grown = array->capacity + (array->capacity + 1) / 4;
    auto* moved = static_cast<RwPtrArray*>(RwEngineRealloc(array, blockBytes(grown)));
    if (!moved) {
      RwSetError(rwErrOutOfMemory);
      return nullptr;
    }
    array = moved;
    array->capacity = grown;
  }
  RwPtrArrayEntries(array)[array->count++] = entry;
  return array;
}

void RwRemoveFromPtrArray(RwPtrArray* array, void* entry) {
  if (!array) return;
  uintptr_t index = find(array, entry);
  if (index == array->count) return;
  void** entries = RwPtrArrayEntries(array);
  entries[index] = entries[--array->count];
}

void RwRemoveFromPtrArrayOrdered(RwPtrArray* array, void* entry) {
  if (!array) return;
  uintptr_t index = find(array, entry);
  if (index == array->count) return;
  void** entries = RwPtrArrayEntries(array);
  for (--array->count; index < array->count; ++index) entries[index] = entries[index + 1];
}
