// script/events.cpp -- handler lists, world caches and delivery; see events.h.
#include "script/events.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/event.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "loading/urltable.h"
#include "script/host.h"

namespace {

constexpr uint32_t kWorldWideBits[3] = {ZM_EVENT_WORLD_IN, ZM_EVENT_WORLD_OUT, ZM_EVENT_FRAME};

bool namesProcedure(int scriptType) { return scriptType >= ZM_SCRIPT_PYTHON && scriptType <= ZM_SCRIPT_JAVA; }

bool sameText(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return std::strcmp(a, b) == 0;
}

// The action object name a handler keeps: a copy when given and non-empty.
bool presentName(const char* name) { return name != nullptr && name[0] != '\0'; }

bool zmEventHandlerEq(const ZmEventHandler* handler, int scriptType, uint32_t mask, const void* function,
                      const char* userData, const ZmUrlHash* scriptHandle, const char* actionObject) {
  bool related = (handler->eventMask & mask) != 0 || handler->scriptType == scriptType ||
                 handler->scriptHandle == scriptHandle || sameText(handler->userData, userData);
  if (!related) return false;
  bool bothAbsent = !presentName(handler->actionObject) && !presentName(actionObject);
  bool bothEqual = presentName(handler->actionObject) && presentName(actionObject) &&
                   std::strcmp(handler->actionObject, actionObject) == 0;
  if (!bothAbsent && !bothEqual) return false;
  if (namesProcedure(handler->scriptType))
    return sameText(static_cast<const char*>(handler->function), static_cast<const char*>(function));
  if (handler->scriptType == ZM_SCRIPT_C) return handler->function == function;
  if (handler->scriptType == ZM_SCRIPT_INLINE) {
    zmReportWarning("zmEventHandlerEq: inline script type is not supported");
  } else {
    zmReportMessage("zmEventHandlerEq: no such a script type %d", handler->scriptType);
  }
  return false;
}

void zmDeleteEventHandler(ZmEventHandler* handler) {
  zmFree(handler->userData);
  if (namesProcedure(handler->scriptType)) {
    zmFree(handler->function);
  } else if (handler->scriptType == ZM_SCRIPT_INLINE) {
    zmReportWarning("zmDeleteEventHandler: inline script type is not supported");
  } else if (handler->scriptType != ZM_SCRIPT_C) {
    zmReportWarning("zmDeleteEventHandlerItself: unknown script type");
  }
  zmFree(handler->actionObject);
  zmFree(handler);
}

// Appends one entry; the object may stand in the cache more than once.
int appendToCache(ZmMFObj* cache, ZmObj* object) {
  auto* grown = static_cast<ZmObj**>(zmRealloc(cache->objs, (cache->count + 1) * sizeof(ZmObj*)));
  if (grown == nullptr) return -5;
  grown[cache->count++] = object;
  cache->objs = grown;
  return 0;
}

// Takes out one entry of the object (all of them with `every`).
void removeFromCache(ZmMFObj* cache, ZmObj* object, bool every) {
  int32_t kept = 0;
  bool removed = false;
  for (int32_t i = 0; i < cache->count; ++i) {
    if (cache->objs[i] == object && (every || !removed)) {
      removed = true;
      continue;
    }
    cache->objs[kept++] = cache->objs[i];
  }
  cache->count = kept;
  if (kept == 0) {
    zmFree(cache->objs);
    cache->objs = nullptr;
  }
}

bool inCache(const ZmMFObj& cache, const ZmObj* object) {
  return std::find(cache.objs, cache.objs + cache.count, object) != cache.objs + cache.count;
}

// Enters the object in the caches of the mask's world-wide bits.
int zmCacheZmObjHasEventHandlerToWorld(ZmObj* object, uint32_t mask) {
  if ((mask & (ZM_EVENT_WORLD_IN | ZM_EVENT_WORLD_OUT | ZM_EVENT_FRAME)) == 0) return 0;
  if (object->world == nullptr) {
    zmReportWarning("zmCacheZmObjHasEventHandlerToWorld: NULL world");
    return -1;
  }
  for (int i = 0; i < 3; ++i) {
    if ((mask & kWorldWideBits[i]) && appendToCache(&object->world->eventObjects[i], object) != 0) return -5;
  }
  return 0;
}

// A private copy of one handler, so that procedures may change the lists.
struct HandlerCopy {
  int scriptType;
  std::string function;
  const void* callback;
  std::string userData;
};

int runCopy(const HandlerCopy& copy, ZmObj* original, ZmObj* holder, ZmEvent* event) {
  if (namesProcedure(copy.scriptType)) {
    int result = 0;
    return zmScriptEvalHandler(original->world, copy.scriptType, copy.function.c_str(), holder, event,
                               copy.userData.c_str(), &result);
  }
  if (copy.scriptType == ZM_SCRIPT_C) {
    reinterpret_cast<ZmEventCallback>(const_cast<void*>(copy.callback))(holder, event, copy.userData.c_str());
  } else if (copy.scriptType == ZM_SCRIPT_INLINE) {
    zmReportWarning("zmCallEventHandler: inline script type is not supported");
  } else {
    zmReportWarning("zmCallEventHandler: unknown script type");
  }
  return 0;
}

}  // namespace

ZmUrlHash* zmRegisterAndEvalScriptFile(ZmWorld* world, const char* url, int scriptType) {
  if (world == nullptr || world->urlTable == nullptr) return nullptr;
  const char* key = url ? url : "";
  if (ZmUrlHash* entry = zmFindUrlHashEntry(world->urlTable, key)) return entry;
  if (key[0] == '\0') return zmNewUrlHashEntry(world->urlTable, "", "", 11);
  ZmUrlHash* entry = zmNewUrlHashEntry(world->urlTable, key, nullptr, 11);
  if (entry == nullptr) return nullptr;
  const char* local = zmGetLocalFile(entry);
  if (local == nullptr) {
    zmReportWarning("Can not read script file. Maybe network is slow %s", zmGetUrl(entry));
    return entry;
  }
  int result = 0;
  if (zmScriptEvalFile(world, scriptType, local, &result) != 0) {
    zmReportWarning("Script file has error: %s", key);
    zmDeleteUrlHashEntry(world->urlTable, key);
    return nullptr;
  }
  return entry;
}

int zmAddEventHandler(ZmObj* object, const char* url, uint32_t eventMask, int scriptType, const void* function,
                      const char* userData, const char* actionObject) {
  if (userData == nullptr) {
    zmReportWarning("zmAddEventHandler: user_data = NULL");
    return -1;
  }
  ZmUrlHash* scriptHandle = zmRegisterAndEvalScriptFile(object->world, url, scriptType);
  if (scriptHandle == nullptr) {
    zmReportWarning("zmAddEventHandler: zmRegisterAndEvalScriptFile error");
    return -1;
  }
  for (ZmEventHandler* h = object->eventHandlers; h != nullptr; h = h->next) {
    if (zmEventHandlerEq(h, scriptType, eventMask, function, userData, scriptHandle, actionObject)) return -1;
  }
  if (!namesProcedure(scriptType) && scriptType != ZM_SCRIPT_C && scriptType != ZM_SCRIPT_INLINE) {
    zmReportWarning("zmSetEventHandler: unknown script type");
    return -1;
  }
  auto* handler = static_cast<ZmEventHandler*>(zmMalloc(sizeof(ZmEventHandler)));
  if (handler == nullptr) {
    zmReportWarning("zmSetEventHandler: can't allocate memory");
    return -5;
  }
  std::memset(handler, 0, sizeof *handler);
  handler->scriptType = scriptType;
  handler->eventMask = eventMask;
  handler->scriptHandle = scriptHandle;
  handler->userData = zmStrdup(userData);
  bool copied = handler->userData != nullptr;
  if (namesProcedure(scriptType)) {
    handler->function = zmStrdup(static_cast<const char*>(function ? function : ""));
    copied = copied && handler->function != nullptr;
  } else if (scriptType == ZM_SCRIPT_C) {
    handler->function = const_cast<void*>(function);
  } else {
    zmReportWarning("zmSetEventHandler: inline script type is not supported");
  }
  if (presentName(actionObject)) {
    handler->actionObject = zmStrdup(actionObject);
    copied = copied && handler->actionObject != nullptr;
  }
  if (!copied) {
    zmDeleteEventHandler(handler);
    zmReportWarning("zmSetEventHandler: can't allocate memory");
    return -5;
  }
  if (int cached = zmCacheZmObjHasEventHandlerToWorld(object, eventMask); cached != 0) {
    zmDeleteEventHandler(handler);
    return cached;
  }
  handler->next = object->eventHandlers;
  object->eventHandlers = handler;
  object->eventMask |= eventMask;
  return 0;
}

int zmRemoveEventHandler(ZmObj* object, const char* url, uint32_t eventMask, int scriptType, const void* function,
                         const char* userData, const char* actionObject) {
  if (userData == nullptr) {
    zmReportWarning("zmRemoveEventHandler: user_data = NULL");
    return -1;
  }
  ZmWorld* world = object->world;
  if (world == nullptr) {
    zmReportWarning("zmRemoveEventHandler: world is NULL");
    return -1;
  }
  ZmUrlHash* scriptHandle = world->urlTable ? zmFindUrlHashEntry(world->urlTable, url ? url : "") : nullptr;
  ZmEventHandler** link = &object->eventHandlers;
  while (*link != nullptr &&
         !zmEventHandlerEq(*link, scriptType, eventMask, function, userData, scriptHandle, actionObject))
    link = &(*link)->next;
  ZmEventHandler* handler = *link;
  if (handler == nullptr) return -1;
  // One cache entry stands for each world-wide bit the handler holds, so
  // exactly the entries of the bits it gives up go.
  for (int i = 0; i < 3; ++i) {
    if (eventMask & handler->eventMask & kWorldWideBits[i]) removeFromCache(&world->eventObjects[i], object, false);
  }
  handler->eventMask &= ~eventMask;
  if (handler->eventMask == 0) {
    *link = handler->next;
    zmDeleteEventHandler(handler);
  }
  // The object's mask follows its handlers, so that a bit given up no
  // longer stops the event from passing to the ancestors.
  object->eventMask = 0;
  for (ZmEventHandler* h = object->eventHandlers; h != nullptr; h = h->next) object->eventMask |= h->eventMask;
  return 0;
}

int zmCallEventHandler(ZmObj* object, ZmEvent* event) {
  event->object = object;
  for (ZmObj* holder = object; holder != nullptr; holder = holder->parent) {
    std::vector<HandlerCopy> copies;
    if (holder->eventMask & event->type) {
      for (ZmEventHandler* h = holder->eventHandlers; h != nullptr; h = h->next) {
        if (!(h->eventMask & event->type)) continue;
        bool named = namesProcedure(h->scriptType) && h->function != nullptr;
        copies.push_back({h->scriptType, named ? static_cast<const char*>(h->function) : "", h->function,
                          h->userData ? h->userData : ""});
      }
      std::reverse(copies.begin(), copies.end());  // the oldest handler first
    }
    if (!copies.empty()) {
      for (const HandlerCopy& copy : copies) {
        if (runCopy(copy, object, holder, event) != 0) return -1;
      }
      return 0;
    }
    if (event->type == ZM_EVENT_CREATE_NOTIFY || event->type == ZM_EVENT_DELETE_NOTIFY) return 0;
  }
  return 0;
}

int zmCallWorldEventHandlers(ZmWorld* world, ZmEvent* event) {
  for (ZmMFObj& cache : world->eventObjects) {
    std::vector<ZmObj*> snapshot(cache.objs, cache.objs + cache.count);
    for (ZmObj* object : snapshot) {
      if (!inCache(cache, object)) continue;  // deleted, or its handler removed, by an earlier procedure
      if (int result = zmCallEventHandler(object, event); result != 0) return result;
    }
  }
  return 0;
}

int zmDeleteAllEventHandler(ZmObj* object) {
  while (ZmEventHandler* handler = object->eventHandlers) {
    object->eventHandlers = handler->next;
    zmDeleteEventHandler(handler);
  }
  object->eventMask = 0;
  if (ZmWorld* world = object->world) {
    for (ZmMFObj& cache : world->eventObjects) removeFromCache(&cache, object, true);
  }
  return 0;
}
