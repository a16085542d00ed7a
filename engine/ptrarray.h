// engine/ptrarray.h -- growable arrays of pointers.
//
// Owns: the layout and growth of `RwPtrArray`, one heap block holding a count,
// a capacity and the entries after them. Clumps keep their polygon lists in
// them and materials the polygons that use them.
// It does not own what the entries point to; whoever made an array frees it.
#ifndef LUMENFOLD_ENGINE_PTRARRAY_H
#define LUMENFOLD_ENGINE_PTRARRAY_H

#include <cstdint>

// The block has room for capacity + 1 entries, stored right after this header.
struct RwPtrArray {
  uintptr_t count;
  uintptr_t capacity;
};

inline void** RwPtrArrayEntries(RwPtrArray* array) { return reinterpret_cast<void**>(array + 1); }
inline void* RwPtrArrayEntry(RwPtrArray* array, uintptr_t index) { return RwPtrArrayEntries(array)[index]; }

// A capacity below 9 becomes 8. Null with error 3 when memory runs out.
RwPtrArray* RwCreatePtrArray(intptr_t capacity);
void RwDestroyPtrArray(RwPtrArray* array);  // null is ignored
/*
 * RwAppendPtrArray --
 *   Stores the entry at index count; a full array first grows to
 *   capacity + (capacity + 1) / 4.
 * Results:
 *   The array, which may have moved; null with error 3 when it could not
 *   grow, the old array then staying valid and unchanged.
 */
RwPtrArray* RwAppendPtrArray(RwPtrArray* array, void* entry);
// Remove the first equal entry (absent: nothing changes). The plain form
// moves the last entry into the gap; the ordered form shifts the rest down.
void RwRemoveFromPtrArray(RwPtrArray* array, void* entry);
void RwRemoveFromPtrArrayOrdered(RwPtrArray* array, void* entry);

#endif
