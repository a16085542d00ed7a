// core/objvalue.h -- named values that any scene object may carry.
//
// Owns: the `ZmObjValue` node of an object's named-value list (extension
// type 7) and its storage: making a value's storage, finding, freeing and
// copying nodes and lists, and the variables' text interface that scripts
// use (create, read, change, delete, each value going in and out as text).
// It does not own the object's extension slot (core/object.h).
//
// A variable is known by name and type together. A deleted variable leaves
// a free node (name null, type -1) that a later creation may reuse.
// Every text result is one static buffer of ZM_OBJ_VALUE_TEXT characters
// that the next call overwrites. Misses (unknown variable, read-only,
// duplicate, a string too long) are warnings: scripts expect an ordinary
// failure, never the fatal box.
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

struct ZmObj;

// Room of a value's text: a string value has at most 255 characters.
enum { ZM_OBJ_VALUE_TEXT = 256 };

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

// ---- Variables of an object (the text interface) ---------------------------

// Creates a variable from text. The static buffer with the stored value,
// or null (a duplicate, a text that does not convert, no memory).
char* zmNewValue(ZmObj* object, int32_t type, const char* name, const char* text, int32_t writable);
// The static buffer with the value, or null; an object without variables
// warns "can't find variable[%s].", an absent one is a silent null.
char* zmGetObjValue(ZmObj* object, int32_t type, const char* name);
// Changes a writable variable (a null text empties a string). The static
// buffer with the new value, or null with the old value kept.
char* zmSetObjValue(ZmObj* object, int32_t type, const char* name, const char* text);
// Makes the variable's node free. 0, or -1 when there is no such variable.
int zmDeleteObjValue(ZmObj* object, int32_t type, const char* name);
// Frees the whole list and removes the object's extension 7. 0, or -1 when
// the object has none.
int zmDeleteObjValues(ZmObj* object);

// ---- Lists ----------------------------------------------------------------

// A node with a copy of the name and no value: a free node of the list when
// there is one (its old value freed), else a new node not yet linked. Null
// for a null name or when memory runs out.
ZmObjValue* zmNewObjValueNode(ZmObjValue* list, int32_t type, const char* name, int32_t writable);
ZmObjValue* zmFindObjValueNode(ZmObjValue* list, const char* name, int32_t type);
// 0 and the stored value's pointer, or -1 when not found.
int zmGetObjValuePtr(ZmObjValue* list, const char* name, int32_t type, void** value);
// Replaces the variable's storage (the old one freed); -1 with a warning
// when it is not found or read-only (the new storage is then the caller's).
int _zmSetObjValue(ZmObjValue* list, const char* name, int32_t type, void* storage);
// New storage of the type converted from text: integers read as decimal
// (0 when no digits), floats with "%f", strings of at most 255 characters.
// Null for a longer string (with a warning) or another type.
void* _zmObjValueStr2Ptr(int32_t type, const char* text);
// Formats the value ("%ld", "%d", "%f", "%s") into a buffer of
// ZM_OBJ_VALUE_TEXT characters; a null value gives the empty text.
void zmObjValueToStr(int32_t type, const void* value, char* buffer);

#endif
