// core/hooks.h -- the calls the scene core makes up into the layers above it.
//
// Owns: one table of function pointers per providing layer (shell, viewer,
// scripting, multi-user, media, loading), all null at start, and the one
// inline wrapper per slot through which the core calls it. Each provider's
// install function fills its slots when the layer starts (startup/startup.h
// runs them in order); unit tests fill slots with recorders for the length of
// a test (tests/hook_guard.h). It does not own the functions behind the
// slots: they keep their names in the layers that define them.
//
// Naming: the slot `fooBar` stands for the provider's `zmFooBar` (the slot
// comment names it), and its wrapper is `hookFooBar`. A wrapper calls the
// slot when it is set, and otherwise does what the slot's comment says; no
// caller reads a slot itself, so each default is written once, here.
#ifndef LUMENFOLD_CORE_HOOKS_H
#define LUMENFOLD_CORE_HOOKS_H

#include <cstdint>
#include <span>

#include "core/event.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"

struct ZmUrlHash;       // the loading layer's URL-table entry; the core only keeps addresses
struct ZmUrlHashTable;  // the loading layer's URL table of a world
struct ZmWorld;
struct ZmTimeOutHandlerList;

// ---- Shell ------------------------------------------------------------------

struct ZmCoreShellHooks {
  // zmNotifyMessage -- shows the notify window titled "Messages" and appends
  // the text; 0, or -1 when the window does not exist. Unset: the text is
  // dropped (-1).
  int (*notifyMessage)(const char* text);

  // zmViewInputForgetObj -- the view's mouse input lets go of an object that
  // is being deleted (its own contents are still intact). Unset: nothing
  // holds objects between mouse messages.
  void (*viewInputForgetObj)(ZmObj* object);
};
extern ZmCoreShellHooks zmCoreShellHooks;

inline int hookNotifyMessage(const char* text) {
  return zmCoreShellHooks.notifyMessage ? zmCoreShellHooks.notifyMessage(text) : -1;
}

inline void hookViewInputForgetObj(ZmObj* object) {
  if (zmCoreShellHooks.viewInputForgetObj) zmCoreShellHooks.viewInputForgetObj(object);
}

// ---- Viewer -----------------------------------------------------------------

struct ZmCoreViewerHooks {
  // zmDestroyObjInViewer -- removes the renderer part of an object's subtree;
  // 0 or -1 (the deletion then stops). Unset: nothing to remove (0).
  int (*destroyObjInViewer)(ZmObj* object);

  // zmRenderDeleteBoundingBoxInViewer -- destroys the bounding-box clump of
  // extension 3 and removes the extension; 0 or -1. Unset: 0 (the core frees
  // the extension node with the others).
  int (*renderDeleteBoundingBoxInViewer)(ZmObj* object);

  // zmRwAddObjToTransferedObjList -- queues a moved object for the renderer
  // (clearing its 0x40 mark); 0, -1 or -5. Unset: 0.
  int (*rwAddObjToTransferedObjList)(ZmObj* object);

  // zmRwRemoveObjFromTransferedObjList -- takes a deleted object out of its
  // world's re-transform list; 0. Unset: nothing is queued (0).
  int (*rwRemoveObjFromTransferedObjList)(ZmObj* object);

  // zmRenderDestroyWorldInViewer -- destroys a world's engine scene and
  // cameras; 0 or -1. Unset: 0.
  int (*renderDestroyWorldInViewer)(ZmWorld* world);

  // zmRenderSetMaterial -- hands a shape leaf's material to its engine
  // structure; 0 or -1. Unset: 0.
  int (*renderSetMaterial)(ZmLeaf* leaf);

  // zmInitTexture -- initialises the texture record of a new shape leaf,
  // after the core has set its defaults (no image, identity transform).
  // Unset: the defaults stand.
  void (*initTexture)(ZmTexture* texture);

  // zmDeleteTexture -- releases a shape leaf's texture record. Unset: the
  // record's UV array and its share of the image part are freed (nothing
  // else can be in them without the upper layers).
  void (*deleteTexture)(ZmTexture* texture);

  // Camera forwards of the world's active camera (active id 1: the
  // renderer's own default camera) and of a camera object, each named for
  // its zmRender... function. Each answers 0, or -1 with its own report.
  // Unset: setting does nothing (0); a query answers -1 and leaves its
  // outputs untouched.
  int (*renderSetCameraViewport)(ZmWorld* world, int x, int y, int width, int height);
  int (*renderGetActiveCameraViewport)(ZmWorld* world, int* x, int* y, int* width, int* height);
  int (*renderGetActiveCameraViewWindow)(ZmWorld* world, float* width, float* height);
  int (*renderGetActiveCameraNearClipping)(ZmWorld* world, float* distance);
  int (*renderGetActiveCameraFarClipping)(ZmWorld* world, float* distance);
  int (*renderGetCameraViewport)(ZmObj* camera, int* x, int* y, int* width, int* height);
  int (*renderGetCameraViewWindow)(ZmObj* camera, float* width, float* height);
  int (*renderGetCameraNearClipping)(ZmObj* camera, float* distance);
  int (*renderGetCameraFarClipping)(ZmObj* camera, float* distance);

  // zmGetSwitchObjNo -- the active child number of a Switch or LOD object
  // (-3: all children), 0 with its own warning. Unset: the number held by
  // the object's Switch extension (0 when it has none).
  int32_t (*getSwitchObjNo)(ZmObj* object);

  // zmGetSwitchObjByNo -- child number n of a Switch or LOD object, null
  // with its own warning. Unset: the child list is walked (null for a
  // negative n or one past the last child).
  ZmObj* (*getSwitchObjByNo)(ZmObj* object, int32_t n);
};
extern ZmCoreViewerHooks zmCoreViewerHooks;

inline int hookDestroyObjInViewer(ZmObj* object) {
  return zmCoreViewerHooks.destroyObjInViewer ? zmCoreViewerHooks.destroyObjInViewer(object) : 0;
}

inline int hookRenderDeleteBoundingBoxInViewer(ZmObj* object) {
  auto slot = zmCoreViewerHooks.renderDeleteBoundingBoxInViewer;
  return slot ? slot(object) : 0;
}

inline int hookRwAddObjToTransferedObjList(ZmObj* object) {
  auto slot = zmCoreViewerHooks.rwAddObjToTransferedObjList;
  return slot ? slot(object) : 0;
}

inline int hookRwRemoveObjFromTransferedObjList(ZmObj* object) {
  auto slot = zmCoreViewerHooks.rwRemoveObjFromTransferedObjList;
  return slot ? slot(object) : 0;
}

inline int hookRenderDestroyWorldInViewer(ZmWorld* world) {
  auto slot = zmCoreViewerHooks.renderDestroyWorldInViewer;
  return slot ? slot(world) : 0;
}

inline int hookRenderSetMaterial(ZmLeaf* leaf) {
  return zmCoreViewerHooks.renderSetMaterial ? zmCoreViewerHooks.renderSetMaterial(leaf) : 0;
}

inline void hookInitTexture(ZmTexture* texture) {
  if (zmCoreViewerHooks.initTexture) zmCoreViewerHooks.initTexture(texture);
}

inline void hookDeleteTexture(ZmTexture* texture) {
  if (zmCoreViewerHooks.deleteTexture) {
    zmCoreViewerHooks.deleteTexture(texture);
  } else {
    zmFree(texture->uv.values);
    zmFree(zmDropTextureImage(texture));
  }
}

inline int hookRenderSetCameraViewport(ZmWorld* world, int x, int y, int width, int height) {
  auto slot = zmCoreViewerHooks.renderSetCameraViewport;
  return slot ? slot(world, x, y, width, height) : 0;
}

inline int hookRenderGetActiveCameraViewport(ZmWorld* world, int* x, int* y, int* width, int* height) {
  auto slot = zmCoreViewerHooks.renderGetActiveCameraViewport;
  return slot ? slot(world, x, y, width, height) : -1;
}

inline int hookRenderGetActiveCameraViewWindow(ZmWorld* world, float* width, float* height) {
  auto slot = zmCoreViewerHooks.renderGetActiveCameraViewWindow;
  return slot ? slot(world, width, height) : -1;
}

inline int hookRenderGetActiveCameraNearClipping(ZmWorld* world, float* distance) {
  auto slot = zmCoreViewerHooks.renderGetActiveCameraNearClipping;
  return slot ? slot(world, distance) : -1;
}

inline int hookRenderGetActiveCameraFarClipping(ZmWorld* world, float* distance) {
  auto slot = zmCoreViewerHooks.renderGetActiveCameraFarClipping;
  return slot ? slot(world, distance) : -1;
}

inline int hookRenderGetCameraViewport(ZmObj* camera, int* x, int* y, int* width, int* height) {
  auto slot = zmCoreViewerHooks.renderGetCameraViewport;
  return slot ? slot(camera, x, y, width, height) : -1;
}

inline int hookRenderGetCameraViewWindow(ZmObj* camera, float* width, float* height) {
  auto slot = zmCoreViewerHooks.renderGetCameraViewWindow;
  return slot ? slot(camera, width, height) : -1;
}

inline int hookRenderGetCameraNearClipping(ZmObj* camera, float* distance) {
  auto slot = zmCoreViewerHooks.renderGetCameraNearClipping;
  return slot ? slot(camera, distance) : -1;
}

inline int hookRenderGetCameraFarClipping(ZmObj* camera, float* distance) {
  auto slot = zmCoreViewerHooks.renderGetCameraFarClipping;
  return slot ? slot(camera, distance) : -1;
}

inline int32_t hookGetSwitchObjNo(ZmObj* object) {
  if (zmCoreViewerHooks.getSwitchObjNo) return zmCoreViewerHooks.getSwitchObjNo(object);
  const auto* number = reinterpret_cast<const int32_t*>(zmGetObjExtension(object, zmSwitchWhichChild));
  return number ? *number : 0;
}

inline ZmObj* hookGetSwitchObjByNo(ZmObj* object, int32_t n) {
  if (zmCoreViewerHooks.getSwitchObjByNo) return zmCoreViewerHooks.getSwitchObjByNo(object, n);
  if (n < 0) return nullptr;
  ZmChildList* node = object->child;
  for (int32_t i = 0; node != nullptr && i < n; ++i) node = node->next;
  return node ? node->object : nullptr;
}

// ---- Scripting --------------------------------------------------------------

struct ZmCoreScriptHooks {
  // zmDeleteAllEventHandler -- frees an object's handlers. Unset: none can
  // exist (0); the core clears the list head and the mask either way.
  int (*deleteAllEventHandler)(ZmObj* object);

  // zmDeleteObjTimeOutHandler -- removes and frees the object's entries of
  // its world's time-out queue. Unset: nothing is queued.
  void (*deleteObjTimeOutHandler)(ZmObj* object);

  // zmDeleteAllTimeOutHandler -- frees a world's whole queue. Unset: nothing
  // is queued (0); the core clears the queue head either way.
  int (*deleteAllTimeOutHandler)(ZmTimeOutHandlerList* first);

  // zmScriptInit(world, 1) -- creates the world's script context; non-zero
  // on failure. Unset: the world runs without one (0).
  int (*scriptInit)(ZmWorld* world, int kind);

  // ZmScriptExit(world, 1) -- deletes the world's script context; 0, or
  // non-zero which the emptying returns. Unset: 0.
  int (*scriptExit)(ZmWorld* world, int kind);

  // zmCallEventHandler -- delivers an event to the object's matching
  // handlers, or up to its ancestors when it has none; writes the object
  // into the event first. 0 when handled or unhandled, -1 on failure.
  // Unset: no handler can exist; the object is written into the event (0).
  int (*callEventHandler)(ZmObj* object, ZmEvent* event);
};
extern ZmCoreScriptHooks zmCoreScriptHooks;

inline int hookDeleteAllEventHandler(ZmObj* object) {
  return zmCoreScriptHooks.deleteAllEventHandler ? zmCoreScriptHooks.deleteAllEventHandler(object) : 0;
}

inline void hookDeleteObjTimeOutHandler(ZmObj* object) {
  if (zmCoreScriptHooks.deleteObjTimeOutHandler) zmCoreScriptHooks.deleteObjTimeOutHandler(object);
}

inline int hookDeleteAllTimeOutHandler(ZmTimeOutHandlerList* first) {
  return zmCoreScriptHooks.deleteAllTimeOutHandler ? zmCoreScriptHooks.deleteAllTimeOutHandler(first) : 0;
}

inline int hookScriptInit(ZmWorld* world, int kind) {
  return zmCoreScriptHooks.scriptInit ? zmCoreScriptHooks.scriptInit(world, kind) : 0;
}

inline int hookScriptExit(ZmWorld* world, int kind) {
  return zmCoreScriptHooks.scriptExit ? zmCoreScriptHooks.scriptExit(world, kind) : 0;
}

inline int hookCallEventHandler(ZmObj* object, ZmEvent* event) {
  if (zmCoreScriptHooks.callEventHandler) return zmCoreScriptHooks.callEventHandler(object, event);
  event->object = object;
  return 0;
}

// ---- Multi-user -------------------------------------------------------------

struct ZmCoreMultiUserHooks {
  // zmDeleteObjLabels -- destroys an object's labels. Unset: there are none.
  void (*deleteObjLabels)(ZmObj* object);
};
extern ZmCoreMultiUserHooks zmCoreMultiUserHooks;

inline void hookDeleteObjLabels(ZmObj* object) {
  if (zmCoreMultiUserHooks.deleteObjLabels) zmCoreMultiUserHooks.deleteObjLabels(object);
}

// ---- Media ------------------------------------------------------------------

struct ZmCoreMediaHooks {
  // zmDeleteSoundLeaf -- stops a sound leaf's sound, takes its owner out of
  // the world's sound objects and releases its URL entry; 0 or -1. Unset:
  // nothing plays (0); the core still frees the leaf.
  int (*deleteSoundLeaf)(ZmLeaf* leaf);

  // zmPause3DMovie -- pauses the owner's texture movie and removes its
  // time-out. Unset: no movie runs.
  void (*pause3DMovie)(ZmObj* object);

  // zmKinDeleteBodyAndPos -- frees the articulated body and position of
  // extensions 0 and 2; 0 or -1. Unset: there are none (0).
  int (*kinDeleteBodyAndPos)(ZmObj* object);

  // zmSoundSetWorld -- the world whose sounds are scheduled (null: none).
  // Unset: nothing is scheduled.
  void (*soundSetWorld)(ZmWorld* world);
};
extern ZmCoreMediaHooks zmCoreMediaHooks;

inline int hookDeleteSoundLeaf(ZmLeaf* leaf) {
  return zmCoreMediaHooks.deleteSoundLeaf ? zmCoreMediaHooks.deleteSoundLeaf(leaf) : 0;
}

inline void hookPause3DMovie(ZmObj* object) {
  if (zmCoreMediaHooks.pause3DMovie) zmCoreMediaHooks.pause3DMovie(object);
}

inline int hookKinDeleteBodyAndPos(ZmObj* object) {
  return zmCoreMediaHooks.kinDeleteBodyAndPos ? zmCoreMediaHooks.kinDeleteBodyAndPos(object) : 0;
}

inline void hookSoundSetWorld(ZmWorld* world) {
  if (zmCoreMediaHooks.soundSetWorld) zmCoreMediaHooks.soundSetWorld(world);
}

// ---- Loading ----------------------------------------------------------------

struct ZmCoreLoadingHooks {
  // zmNewUrlHash -- makes a world's URL table; 0 or non-zero. Unset: the
  // world has no URL table (-1, *table untouched).
  int (*newUrlHash)(int32_t bucketCount, ZmUrlHashTable** table);

  // zmDeleteUrlHash -- deletes a world's URL table (run as the world's first
  // destroy handler). Unset: there is no table to delete.
  void (*deleteUrlHash)(ZmWorld* world);

  // zmReleaseUrlHashEntry -- releases a URL entry handed out (a world's
  // background image, a texture's image). Unset: nothing to release.
  void (*releaseUrlHashEntry)(ZmUrlHash* entry);
};
extern ZmCoreLoadingHooks zmCoreLoadingHooks;

inline int hookNewUrlHash(int32_t bucketCount, ZmUrlHashTable** table) {
  return zmCoreLoadingHooks.newUrlHash ? zmCoreLoadingHooks.newUrlHash(bucketCount, table) : -1;
}

inline void hookDeleteUrlHash(ZmWorld* world) {
  if (zmCoreLoadingHooks.deleteUrlHash) zmCoreLoadingHooks.deleteUrlHash(world);
}

inline void hookReleaseUrlHashEntry(ZmUrlHash* entry) {
  if (zmCoreLoadingHooks.releaseUrlHashEntry) zmCoreLoadingHooks.releaseUrlHashEntry(entry);
}

// ---- The slots, for the start-up's check ------------------------------------

// One slot of an upward hook table: the layer that fills it ("shell",
// "viewer", "script", "multiuser", "media", "loading"), the table and the
// slot by name, and whether it is set now.
struct ZmHookSlot {
  const char* provider;
  const char* table;
  const char* slot;
  bool (*isSet)();
};

// Every slot of the core's tables.
std::span<const ZmHookSlot> zmCoreHookSlots();

#endif
