// core/objvalue.cpp -- named-value nodes and their storage; see objvalue.h.
#include "core/objvalue.h"

#include <cstring>

#include "core/memory.h"
#include "core/strings.h"

void* zmAllocObjValue(int32_t type, const void* source) {
  switch (type) {
    case ZM_VALUE_STRING:
      return zmStrdup(source ? static_cast<const char*>(source) : "");
    case ZM_VALUE_LONG:
    case ZM_VALUE_INT:
    case ZM_VALUE_FLOAT: {
      void* block = zmMalloc(4);
      if (block != nullptr) memcpy(block, source, 4);
      return block;
    }
    default:
      return nullptr;
  }
}

ZmObjValue* zmAppendObjValueNode(ZmObjValue* list, ZmObjValue* node) {
  if (list == nullptr) return node;
  ZmObjValue* last = list;
  for (;;) {
    if (last == node) return list;
    if (last->next == nullptr) break;
    last = last->next;
  }
  last->next = node;
  return list;
}

void zmFreeObjValueNode(ZmObjValue* node) {
  if (node == nullptr) return;
  zmFree(node->value);
  zmFree(node->name);
  zmFree(node);
}

void zmFreeObjValueList(ZmObjValue* list) {
  while (list != nullptr) {
    ZmObjValue* next = list->next;
    zmFreeObjValueNode(list);
    list = next;
  }
}

static ZmObjValue* copyNode(const ZmObjValue* source) {
  ZmObjValue* node = static_cast<ZmObjValue*>(zmMalloc(sizeof(ZmObjValue)));
  if (node == nullptr) return nullptr;
  node->type = source->type;
  node->writable = source->writable;
  bool ok = true;
  if (source->name != nullptr) ok = (node->name = zmStrdup(source->name)) != nullptr;
  if (ok && source->value != nullptr) {
    ok = (node->value = zmAllocObjValue(source->type, source->value)) != nullptr;
  }
  if (!ok) {
    zmFreeObjValueNode(node);
    return nullptr;
  }
  return node;
}

ZmObjValue* zmCopyObjValueList(const ZmObjValue* list, bool* failed) {
  ZmObjValue* first = nullptr;
  ZmObjValue* last = nullptr;
  *failed = false;
  for (; list != nullptr; list = list->next) {
    ZmObjValue* node = copyNode(list);
    if (node == nullptr) {
      zmFreeObjValueList(first);
      *failed = true;
      return nullptr;
    }
    if (last == nullptr) first = node; else last->next = node;
    last = node;
  }
  return first;
}
