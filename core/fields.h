// core/fields.h -- typed arrays that hold field values.
//
// Owns: the single-valued types ZmSF* (plain zero-filled arrays of n
// elements, no count kept) and the multi-valued records ZmMF* ({count,
// values}), with their operations, named zmGF + operation + type name
// (zmGFnewSFColor, zmGFcopyMFVec3f). All memory comes from zmMalloc and goes
// back through zmFree. A ZmMFString owns the strings its array points to.
// It does not own the parser's field classes or what a world does with its
// string list (core/world.h).
//
// Invariant kept by every operation: a record's values array holds at least
// count elements; it may hold more after a shorter value was copied in
// (records keep no capacity, and copies never shrink the array).
#ifndef LUMENFOLD_CORE_FIELDS_H
#define LUMENFOLD_CORE_FIELDS_H

#include <cstdint>

#include "core/vecmath.h"

// ---- Single-valued element types ------------------------------------------

typedef uint32_t ZmSFBitMask;
typedef int32_t ZmSFBool;
typedef float ZmSFFloat;
typedef int32_t ZmSFInt32;
typedef double ZmSFTime;  // seconds
typedef ZmVec2 ZmSFVec2f;
typedef ZmVec3 ZmSFVec3f;

struct ZmSFColor {
  float r, g, b;
};

// Four opaque words; the scene core gives them no meaning of its own.
struct ZmSFImage {
  uint32_t word[4];
};

struct ZmSFMatrix {
  float m[16];
};

// A turn of `angle` radians about the axis (x, y, z).
struct ZmSFRotation {
  float x, y, z, angle;
};

// ---- Multi-valued records ---------------------------------------------------
// values is null when there are none.

struct ZmMFColor {
  int32_t count;
  ZmSFColor* values;
};

struct ZmMFFloat {
  int32_t count;
  ZmSFFloat* values;
};

struct ZmMFInt32 {
  int32_t count;
  ZmSFInt32* values;
};

struct ZmMFString {
  int32_t count;
  char** values;  // owned strings; a slot may be null
};

struct ZmMFVec2f {
  int32_t count;
  ZmSFVec2f* values;
};

struct ZmMFVec3f {
  int32_t count;
  ZmSFVec3f* values;
};

// ---- Single-valued operations -----------------------------------------------

/*
 * zmGFnewSF<Type> --
 *   A new zero-filled array of n elements.
 * Results:
 *   The array (free it with the matching zmGFdeleteSF<Type>), or null: for
 *   n < 1 silently, when memory runs out with the message
 *   "zmGFnewSF<Type>: cannot allocate memory for ZmSF<Type>.".
 */
ZmSFBitMask* zmGFnewSFBitMask(int32_t n);
ZmSFBool* zmGFnewSFBool(int32_t n);
ZmSFColor* zmGFnewSFColor(int32_t n);
ZmSFFloat* zmGFnewSFFloat(int32_t n);
ZmSFImage* zmGFnewSFImage(int32_t n);
ZmSFInt32* zmGFnewSFInt32(int32_t n);
ZmSFMatrix* zmGFnewSFMatrix(int32_t n);
ZmSFRotation* zmGFnewSFRotation(int32_t n);
ZmSFTime* zmGFnewSFTime(int32_t n);
ZmSFVec2f* zmGFnewSFVec2f(int32_t n);
ZmSFVec3f* zmGFnewSFVec3f(int32_t n);

// Free the array; null is ignored.
void zmGFdeleteSFBitMask(ZmSFBitMask* array);
void zmGFdeleteSFBool(ZmSFBool* array);
void zmGFdeleteSFColor(ZmSFColor* array);
void zmGFdeleteSFFloat(ZmSFFloat* array);
void zmGFdeleteSFImage(ZmSFImage* array);
void zmGFdeleteSFInt32(ZmSFInt32* array);
void zmGFdeleteSFMatrix(ZmSFMatrix* array);
void zmGFdeleteSFRotation(ZmSFRotation* array);
void zmGFdeleteSFTime(ZmSFTime* array);
void zmGFdeleteSFVec2f(ZmSFVec2f* array);
void zmGFdeleteSFVec3f(ZmSFVec3f* array);

// Write the components, in order, into the one element pointed to (the
// caller picks the element; there is no index to check). Null is ignored.
void zmGFsetSFColor(ZmSFColor* element, float r, float g, float b);
void zmGFsetSFImage(ZmSFImage* element, uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);
void zmGFsetSFRotation(ZmSFRotation* element, float x, float y, float z, float angle);
void zmGFsetSFVec2f(ZmSFVec2f* element, float x, float y);
void zmGFsetSFVec3f(ZmSFVec3f* element, float x, float y, float z);

// ---- Multi-valued operations (Color, Float, Int32, Vec2f, Vec3f) ------------

/*
 * zmGFnewMF<Type> --
 *   A new record with count n and n zero values; count 0 and no array
 *   when n < 1.
 * Results:
 *   The record (free it with zmGFdeleteMF<Type>), or null when the record
 *   ("zmGFnewMF<Type>: cannot allocate memory for ZmMF<Type>.") or its
 *   values (the zmGFnewSF<Type> message) cannot be allocated; nothing is
 *   left allocated then.
 */
ZmMFColor* zmGFnewMFColor(int32_t n);
ZmMFFloat* zmGFnewMFFloat(int32_t n);
ZmMFInt32* zmGFnewMFInt32(int32_t n);
ZmMFVec2f* zmGFnewMFVec2f(int32_t n);
ZmMFVec3f* zmGFnewMFVec3f(int32_t n);

// Init: count 0 and no array, freeing nothing (for a record whose fields
// are garbage). Clear: frees the array, then count 0 and no array. Delete:
// clear, then free the record. Null is ignored by all three.
void zmGFinitMFColor(ZmMFColor* record);
void zmGFinitMFFloat(ZmMFFloat* record);
void zmGFinitMFInt32(ZmMFInt32* record);
void zmGFinitMFVec2f(ZmMFVec2f* record);
void zmGFinitMFVec3f(ZmMFVec3f* record);
void zmGFclearMFColor(ZmMFColor* record);
void zmGFclearMFFloat(ZmMFFloat* record);
void zmGFclearMFInt32(ZmMFInt32* record);
void zmGFclearMFVec2f(ZmMFVec2f* record);
void zmGFclearMFVec3f(ZmMFVec3f* record);
void zmGFdeleteMFColor(ZmMFColor* record);
void zmGFdeleteMFFloat(ZmMFFloat* record);
void zmGFdeleteMFInt32(ZmMFInt32* record);
void zmGFdeleteMFVec2f(ZmMFVec2f* record);
void zmGFdeleteMFVec3f(ZmMFVec3f* record);

/*
 * zmGFcopyMF<Type> --
 *   Copies the source's values to the start of the target's array and sets
 *   the target's count to the source's. The array grows (to exactly the
 *   source's count) only when the source has more values than the target.
 * Results:
 *   0, or -1 with the target unchanged: a null argument warns
 *   "zmGFcopyMF<Type>: Invalid argument.", an empty source (count < 1 or no
 *   array) warns "zmGFcopyMF<Type>: Invalid argument's pSrc.", and a failed
 *   resize gives -1 without a message.
 */
int zmGFcopyMFColor(ZmMFColor* target, const ZmMFColor* source);
int zmGFcopyMFFloat(ZmMFFloat* target, const ZmMFFloat* source);
int zmGFcopyMFInt32(ZmMFInt32* target, const ZmMFInt32* source);
int zmGFcopyMFVec2f(ZmMFVec2f* target, const ZmMFVec2f* source);
int zmGFcopyMFVec3f(ZmMFVec3f* target, const ZmMFVec3f* source);

/*
 * zmGFnewCopyMF<Type> --
 *   A new record holding a copy of the source's values.
 * Results:
 *   The record, or null: a null source warns
 *   "zmGFnewCopyMF<Type>: Invalid argument.", a failed allocation reports as
 *   zmGFnewMF<Type> does.
 */
ZmMFColor* zmGFnewCopyMFColor(const ZmMFColor* source);
ZmMFFloat* zmGFnewCopyMFFloat(const ZmMFFloat* source);
ZmMFInt32* zmGFnewCopyMFInt32(const ZmMFInt32* source);
ZmMFVec2f* zmGFnewCopyMFVec2f(const ZmMFVec2f* source);
ZmMFVec3f* zmGFnewCopyMFVec3f(const ZmMFVec3f* source);

// ---- ZmMFString ---------------------------------------------------------------

// A new empty record, or null with "zmGFnewMFString: cannot allocate memory
// for ZmMFString.".
ZmMFString* zmGFnewMFString();
void zmGFinitMFString(ZmMFString* record);  // count 0, no array, nothing freed
// Frees the strings (last slot first) and the array; count 0, no array.
void zmGFclearMFString(ZmMFString* record);
void zmGFdeleteMFString(ZmMFString* record);  // clear, then free the record

/*
 * zmGFaddMFString --
 *   Appends the string pointer itself; the record takes ownership and frees
 *   it with zmFree on clear, so it must come from zmMalloc (zmStrdup).
 * Results:
 *   0; -5 with the record unchanged and the message "zmGFaddMFString:
 *   cannot allocate memory for strings of ZmMFString." when the array cannot
 *   grow (the string then stays the caller's); -1 for a null record.
 */
int zmGFaddMFString(ZmMFString* record, char* string);

#endif
