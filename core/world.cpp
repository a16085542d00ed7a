// core/world.cpp -- worlds, top objects, handlers; see world.h.
#include "core/world.h"

#include <cstring>
#include <initializer_list>

#include "core/bounds.h"
#include "core/camera.h"
#include "core/hash.h"
#include "core/hooks.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"

namespace {

// The program-wide state of this module.
struct WorldModule {
  ZmWorld* current = nullptr;  // the world on show
  // Functions run at the program's shut-down, the last registered first.
  ZmExitHandler exitHandlers[ZM_MAX_EXIT_HANDLERS];
  int16_t exitHandlerCount = 0;
};
WorldModule worlds;

}  // namespace

// The world's first destroy handler hands its URL table back to loading.
static void deleteUrlTable(ZmWorld* world) {
  coreLoading().deleteUrlHash(world);
  world->urlTable = nullptr;
}

// ---- Worlds ---------------------------------------------------------------

ZmWorld* zmNewWorld(const char* name) {
  ZmWorld* world = static_cast<ZmWorld*>(zmMalloc(sizeof(ZmWorld)));
  if (world == nullptr) {
    zmReportError("zmNewWorld() : can not allocate memory for ZmWorld.");
    return nullptr;
  }
  zmInitIdCounter();
  zmInitWorld(world, ZM_WORLD_ID_BUCKETS, name);
  return world;
}

void zmInitWorld(ZmWorld* world, uint32_t bucketCount, const char* name) {
  zmInitWorldDestroyHandlers(world);
  world->topObjects = nullptr;
  world->topObjectsTail = nullptr;
  world->soundObjects = {};
  world->timeOutQueue = nullptr;
  world->person = nullptr;
  world->rendering = nullptr;
  world->scriptContext = nullptr;
  world->title = nullptr;
  world->viewerSpeed = 0.1f;
  world->name = zmStrdup(name);
  if (world->name == nullptr) zmReportWarning("zmInitWorld: zmStrdup failed");
  for (ZmMFObj& list : world->eventObjects) list = {};
  world->urlTable = nullptr;
  coreLoading().newUrlHash(ZM_WORLD_URL_BUCKETS, &world->urlTable);
  zmAddWorldDestroyHandler(world, deleteUrlTable);
  world->navigation = nullptr;
  world->master = 0;
  world->topObjectCount = 0;
  world->objectCount = 0;
  memset(world->words, 0, sizeof world->words);
  world->server = nullptr;
  world->backgroundImage = nullptr;
  world->lodObjects = {};
  zmRTIdentity(&world->worldRT);
  world->retiredObjects = nullptr;
  world->slab = nullptr;
  world->idTable = nullptr;
  if (zmNewHash(bucketCount, &world->idTable, zmHashId) != 0) {
    zmReportWarning("zmInitWorld: zmNewHash failed\n");
  }
  world->backgroundColor[0] = world->backgroundColor[1] = world->backgroundColor[2] = 0.0f;
  world->cameraTable = nullptr;
  zmSetCameraTableToWorld(world);
  if (coreScript().scriptInit(world, 1) != 0) {
    zmReportWarning("zmInitWorld: zmScriptInit failed");
  }
  zmGFinitMFString(&world->strings);
  world->backgroundTextureType = 0;
}

// Deletes every top object with its subtree. 0, or -1 when one fails (the
// others are still deleted).
static int deleteObjectTree(ZmWorld* world) {
  int result = 0;
  while (world->topObjects != nullptr) {
    ZmTopObjList* node = world->topObjects;
    if (zmDeleteZmObj(node->object) != 0) {
      result = -1;
      // A refused deletion leaves the node in place; drop it so the walk ends.
      if (world->topObjects == node) zmRemoveTopObject(world, node->object);
    }
  }
  return result;
}

static void freeRetiredObjects(ZmWorld* world) {
  while (world->retiredObjects != nullptr) {
    ZmObj* next = world->retiredObjects->nextRetired;
    zmFree(world->retiredObjects);
    world->retiredObjects = next;
  }
}

static void freeObjArray(ZmMFObj* array) {
  zmFree(array->objs);
  *array = {};
}

int zmEmptyWorld(ZmWorld* world) {
  if (world == nullptr) return 0;
  // The objects go first, while the renderer, the URL table and the id
  // table they refer to still exist.
  if (deleteObjectTree(world) != 0) return -1;
  zmCallWorldDestroyHandlers(world);
  zmInitWorldDestroyHandlers(world);
  world->person = nullptr;
  for (char** text : {&world->title, &world->server, &world->name}) {
    zmFree(*text);
    *text = nullptr;
  }
  zmFree(world->navigation);
  world->navigation = nullptr;
  coreMedia().soundSetWorld(nullptr);
  freeObjArray(&world->soundObjects);
  for (ZmMFObj& list : world->eventObjects) freeObjArray(&list);
  if (world->backgroundImage != nullptr) coreLoading().releaseUrlHashEntry(world->backgroundImage);
  world->backgroundImage = nullptr;
  if (zmDeleteCameraTable(world) != 0) return -1;
  if (world->timeOutQueue != nullptr) coreScript().deleteAllTimeOutHandler(world->timeOutQueue);
  world->timeOutQueue = nullptr;
  zmDeleteHash(world->idTable);
  world->idTable = nullptr;
  if (zmReleaseWorldRenderer(world) != 0) return -1;
  if (world->scriptContext != nullptr) {
    int result = coreScript().scriptExit(world, 1);
    world->scriptContext = nullptr;
    if (result != 0) return result;
  }
  world->topObjectCount = 0;
  world->objectCount = 0;
  memset(world->words, 0, sizeof world->words);
  zmGFclearMFString(&world->strings);
  freeObjArray(&world->lodObjects);
  freeRetiredObjects(world);
  zmDeleteSlab(world->slab);
  world->slab = nullptr;
  return 0;
}

int zmDeleteWorld(ZmWorld* world) {
  if (world == nullptr) return 0;
  if (zmEmptyWorld(world) != 0) {
    zmReportWarning("zmDeleteWorld : fail to delete contents.");
    return -1;
  }
  if (worlds.current == world) worlds.current = nullptr;
  zmFree(world);
  return 0;
}

int zmClearWorld(ZmWorld* world) {
  if (world == nullptr) return 0;
  if (zmEmptyWorld(world) != 0) {
    zmReportWarning("zmClearWorld : fail to delete contents.");
    return -1;
  }
  zmInitWorld(world, ZM_WORLD_ID_BUCKETS, "foo");
  return 0;
}

ZmSlab* zmGetWorldSlab(ZmWorld* world) {
  if (world->slab == nullptr) world->slab = zmNewSlab();
  return world->slab;
}

int zmReleaseWorldRenderer(ZmWorld* world) {
  int result = coreViewer().renderDestroyWorldInViewer(world);
  world->rendering = nullptr;
  return result;
}

// ---- Top objects ----------------------------------------------------------

int zmAddTopObject(ZmObj* object, const char* fileName) {
  ZmWorld* world = object->world;
  ZmTopObjList* node = static_cast<ZmTopObjList*>(zmSlabMalloc(sizeof(ZmTopObjList)));
  if (node == nullptr) {
    zmReportError("zmAddTopObject: can't allocate zmTopObjList");
    return -5;
  }
  if (fileName != nullptr && (node->fileName = zmStrdup(fileName)) == nullptr) {
    zmFree(node);
    zmReportError("zmAddTopObject: can't allocate file name");
    return -5;
  }
  node->object = object;
  node->previous = world->topObjectsTail;
  if (world->topObjects == nullptr) {
    world->topObjects = node;
  } else {
    world->topObjectsTail->next = node;
  }
  world->topObjectsTail = node;
  object->parent = nullptr;
  object->topNode = node;
  ++world->topObjectCount;
  return 0;
}

ZmObj* zmGetNextTopObject(ZmTopObjList** cursor) {
  if (*cursor == nullptr) return nullptr;
  ZmObj* object = (*cursor)->object;
  *cursor = (*cursor)->next;
  return object;
}

void zmSetCurrentWorld(ZmWorld* world) { worlds.current = world; }
ZmWorld* zmGetCurrentWorld() { return worlds.current; }

void zmSetWorldBoundingCube(ZmWorld* world) {
  bool started = false;
  ZmVec3& low = world->boundingBox[0];
  ZmVec3& high = world->boundingBox[1];
  for (ZmTopObjList* node = world->topObjects; node != nullptr; node = node->next) {
    if (node->object == world->person) continue;
    // Brought up to date whatever the object's kind: a Group or an inline
    // world has had no box asked for while it was built.
    const ZmBoundingCube* cube = zmGetBoundingCube(node->object);
    if (cube == nullptr) continue;
    if (!started) {
      low = cube->p_local_min;
      high = cube->p_local_max;
      started = true;
      continue;
    }
    if (cube->p_local_min.x < low.x) low.x = cube->p_local_min.x;
    if (cube->p_local_min.y < low.y) low.y = cube->p_local_min.y;
    if (cube->p_local_min.z < low.z) low.z = cube->p_local_min.z;
    if (cube->p_local_max.x > high.x) high.x = cube->p_local_max.x;
    if (cube->p_local_max.y > high.y) high.y = cube->p_local_max.y;
    if (cube->p_local_max.z > high.z) high.z = cube->p_local_max.z;
  }
}

// ---- Handlers -------------------------------------------------------------

void zmInitExitHandlers() { worlds.exitHandlerCount = 0; }

int zmAddExitHandler(ZmExitHandler handler) {
  if (worlds.exitHandlerCount >= ZM_MAX_EXIT_HANDLERS) return -1;
  worlds.exitHandlers[worlds.exitHandlerCount++] = handler;
  return 0;
}

void zmCallExitHandlers() {
  for (int i = worlds.exitHandlerCount - 1; i >= 0; --i) worlds.exitHandlers[i]();
}

void zmInitWorldDestroyHandlers(ZmWorld* world) {
  for (ZmWorldDestroyHandler& handler : world->destroyHandlers) handler = nullptr;
  world->destroyHandlerCount = 0;
}

int zmAddWorldDestroyHandler(ZmWorld* world, ZmWorldDestroyHandler handler) {
  if (world->destroyHandlerCount >= ZM_WORLD_MAX_DESTROY_HANDLERS) return -1;
  world->destroyHandlers[world->destroyHandlerCount++] = handler;
  return 0;
}

void zmCallWorldDestroyHandlers(ZmWorld* world) {
  for (int i = world->destroyHandlerCount - 1; i >= 0; --i) world->destroyHandlers[i](world);
}
