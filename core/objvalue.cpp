// core/objvalue.cpp -- named-value nodes and their storage; see objvalue.h.
#include "core/objvalue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/clocale.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"

namespace {

constexpr size_t kMaxStringValue = ZM_OBJ_VALUE_TEXT - 1;

// Where results are kept between calls: the next call overwrites them. A
// float text that does not scan keeps the previous float.
struct ValueScratch {
  char text[ZM_OBJ_VALUE_TEXT];  // every text result
  int32_t integer;               // converted from text
  float real;                    // converted from text
};
ValueScratch scratch;

// A decimal integer as a 32-bit stored value: leading white space and a
// sign allowed, digits up to the first other character, 0 without digits;
// values beyond the 32-bit range stop at its ends.
int32_t readInteger(const char* text) {
  long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

ZmObjValue* valueList(ZmObj* object) {
  return reinterpret_cast<ZmObjValue*>(zmGetObjExtension(object, zmObjectValue));
}

char* formatted(const ZmObjValue* node) {
  zmObjValueToStr(node->type, node->value, scratch.text);
  return scratch.text;
}

// Takes back a node that zmNewValue made but could not fill: a reused node
// becomes free again, a new one is unlinked (and unregistered) and freed.
void discardNewNode(ZmObj* object, ZmObjValue* node, bool reused, bool registered) {
  if (reused) {
    zmFree(node->name);
    node->name = nullptr;
    node->type = ZM_VALUE_FREE;
    return;
  }
  if (registered) zmDeleteObjExtension(object, zmObjectValue);
  zmFreeObjValueNode(node);
}

}  // namespace

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

// ---- Lists ----------------------------------------------------------------

ZmObjValue* zmFindObjValueNode(ZmObjValue* list, const char* name, int32_t type) {
  for (; list != nullptr; list = list->next) {
    if (list->type == type && list->name != nullptr && zmStrcmp(list->name, name) == 0) return list;
  }
  return nullptr;
}

ZmObjValue* zmNewObjValueNode(ZmObjValue* list, int32_t type, const char* name, int32_t writable) {
  if (name == nullptr) return nullptr;
  char* copy = zmStrdup(name);
  if (copy == nullptr) return nullptr;
  ZmObjValue* node = list;
  while (node != nullptr && node->type != ZM_VALUE_FREE) node = node->next;
  if (node != nullptr) {
    zmFree(node->value);
    node->value = nullptr;
  } else if ((node = static_cast<ZmObjValue*>(zmMalloc(sizeof(ZmObjValue)))) == nullptr) {
    zmFree(copy);
    return nullptr;
  }
  node->name = copy;
  node->type = type;
  node->writable = writable;
  return node;
}

int zmGetObjValuePtr(ZmObjValue* list, const char* name, int32_t type, void** value) {
  ZmObjValue* node = zmFindObjValueNode(list, name, type);
  if (node == nullptr) return -1;
  *value = node->value;
  return 0;
}

int _zmSetObjValue(ZmObjValue* list, const char* name, int32_t type, void* storage) {
  ZmObjValue* node = zmFindObjValueNode(list, name, type);
  if (node == nullptr) {
    zmReportWarning("can't find variable[%s].", name);
    return -1;
  }
  if (node->writable == 0) {
    zmReportWarning("_zmSetObjValue:[%s] permision denied.", name);
    return -1;
  }
  zmFree(node->value);
  node->value = storage;
  return 0;
}

void* _zmObjValueStr2Ptr(int32_t type, const char* text) {
  const void* source = text;
  switch (type) {
    case ZM_VALUE_LONG:
    case ZM_VALUE_INT:
      scratch.integer = readInteger(text);
      source = &scratch.integer;
      break;
    case ZM_VALUE_FLOAT: {
      ZmCLocaleScope cLocale;
      std::sscanf(text, "%f", &scratch.real);
      source = &scratch.real;
      break;
    }
    default:
      if (zmStrlen(text) > kMaxStringValue) {
        zmReportWarning("_zmObjValueStr2Ptr: string variable length too long.");
        return nullptr;
      }
      break;
  }
  return zmAllocObjValue(type, source);
}

void zmObjValueToStr(int32_t type, const void* value, char* buffer) {
  buffer[0] = '\0';
  if (value == nullptr) return;
  ZmCLocaleScope cLocale;
  switch (type) {
    case ZM_VALUE_LONG:
      std::snprintf(buffer, ZM_OBJ_VALUE_TEXT, "%ld", static_cast<long>(*static_cast<const int32_t*>(value)));
      break;
    case ZM_VALUE_INT:
      std::snprintf(buffer, ZM_OBJ_VALUE_TEXT, "%d", *static_cast<const int32_t*>(value));
      break;
    case ZM_VALUE_FLOAT:
      std::snprintf(buffer, ZM_OBJ_VALUE_TEXT, "%f", static_cast<double>(*static_cast<const float*>(value)));
      break;
    case ZM_VALUE_STRING:
      std::snprintf(buffer, ZM_OBJ_VALUE_TEXT, "%s", static_cast<const char*>(value));
      break;
    default:
      break;
  }
}

// ---- Variables of an object -----------------------------------------------

char* zmNewValue(ZmObj* object, int32_t type, const char* name, const char* text, int32_t writable) {
  if (object == nullptr || name == nullptr || text == nullptr) return nullptr;
  ZmObjValue* list = valueList(object);
  if (zmFindObjValueNode(list, name, type) != nullptr) {
    zmReportWarning("zmNewObjValue:[%s] already exists.", name);
    return nullptr;
  }
  const bool hadFreeNode = [&] {
    for (ZmObjValue* node = list; node != nullptr; node = node->next) {
      if (node->type == ZM_VALUE_FREE) return true;
    }
    return false;
  }();
  ZmObjValue* node = zmNewObjValueNode(list, type, name, writable);
  if (node == nullptr) return nullptr;
  const bool registered = list == nullptr;
  if (registered && zmRegisterObjExtension(object, zmObjectValue, reinterpret_cast<intptr_t>(node)) != 0) {
    zmReportWarning("zmNewValue:[%s] fail.", "zmRegisterObjExtension");
    zmFreeObjValueNode(node);
    return nullptr;
  }
  void* storage = _zmObjValueStr2Ptr(type, text);
  if (storage == nullptr) {
    zmReportWarning("%s:[%s] can't alloc.", "zmNewValue", name);
    discardNewNode(object, node, hadFreeNode, registered);
    return nullptr;
  }
  node->value = storage;
  node->type = type;
  zmAppendObjValueNode(valueList(object), node);
  return formatted(node);
}

char* zmGetObjValue(ZmObj* object, int32_t type, const char* name) {
  if (object == nullptr || name == nullptr) return nullptr;
  ZmObjValue* list = valueList(object);
  if (list == nullptr) {
    zmReportWarning("can't find variable[%s].", name);
    return nullptr;
  }
  ZmObjValue* node = zmFindObjValueNode(list, name, type);
  return node ? formatted(node) : nullptr;
}

char* zmSetObjValue(ZmObj* object, int32_t type, const char* name, const char* text) {
  if (object == nullptr || name == nullptr) return nullptr;
  if (text == nullptr) {
    if (type != ZM_VALUE_STRING) return nullptr;
    text = "";
  }
  ZmObjValue* list = valueList(object);
  if (list != nullptr) {
    void* storage = _zmObjValueStr2Ptr(type, text);
    if (storage == nullptr) {
      zmReportWarning("%s:[%s] can't alloc.", "zmSetObjValue", name);
      return nullptr;
    }
    if (_zmSetObjValue(list, name, type, storage) != 0) {
      zmFree(storage);
      return nullptr;
    }
  }
  ZmObjValue* node = zmFindObjValueNode(list, name, type);
  if (node == nullptr) {
    zmReportWarning("can't find variable[%s].", name);
    return nullptr;
  }
  return formatted(node);
}

int zmDeleteObjValue(ZmObj* object, int32_t type, const char* name) {
  if (object == nullptr || name == nullptr) return -1;
  ZmObjValue* node = zmFindObjValueNode(valueList(object), name, type);
  if (node == nullptr) {
    zmReportWarning("can't find variable[%s].", name);
    return -1;
  }
  node->type = ZM_VALUE_FREE;
  zmFree(node->value);
  node->value = nullptr;
  zmFree(node->name);
  node->name = nullptr;
  return 0;
}

int zmDeleteObjValues(ZmObj* object) {
  ZmObjValue* list = valueList(object);
  if (list == nullptr) return -1;
  zmFreeObjValueList(list);
  return zmDeleteObjExtension(object, zmObjectValue);
}
