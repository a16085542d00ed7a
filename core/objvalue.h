// core/objvalue.h -- named values that any scene object may carry.
//
// Owns: the `ZmObjValue` node of an object's named-value list (extension
// type 7) and its storage: making a value's storage, freeing a node or a
// whole list, and copying a list for another object. It does not own the
// object's extension slot (core/object.h) nor the reading and writing of
// values as text, which scripts use.
#ifndef LUMENFOLD_CORE_OBJVALUE_H
#define LUMENFOLD_CORE_OBJVALUE_H

#include <cstdint>

// Value types of a named value.
enum {
  ZM_VALUE_FREE = -1,  // a deleted variable's node, kept for reuse
  ZM_VALUE_LONG = 0,
  ZM_VALUE_INT = 1,
  ZM_VALUE_FLOAT = 2,
  ZM_VALUE_STRING = 3,
};

struct ZmObjValue {
  void* value;       // owned storage: a 4-byte block, or a string
  char* name;        // owned; null in a free node
  int32_t type;      // ZM_VALUE_*
  int32_t writable;  // 0 makes the variable read-only
  ZmObjValue* next;
};

// New storage holding a copy of `source`: a string copy for type 3 (the
// empty text for null), a 4-byte block for the numeric types. Null for
// other types or when memory runs out.
void* zmAllocObjValue(int32_t type, const void* source);

// Links the node at the end of the list unless it is in it already; returns
// the list's first node.
ZmObjValue* zmAppendObjValueNode(ZmObjValue* list, ZmObjValue* node);

// Frees the value, the name and the node; null is ignored.
void zmFreeObjValueNode(ZmObjValue* node);
// Frees every node of the list.
void zmFreeObjValueList(ZmObjValue* list);

// A deep copy of a list (each value copied by its type, free nodes too), or
// null when the list is empty or memory runs out (nothing is then left).
ZmObjValue* zmCopyObjValueList(const ZmObjValue* list, bool* failed);

#endif
