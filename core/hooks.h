// core/hooks.h -- the calls the scene core makes up into the layers above it.
//
// Owns: one service record per providing layer (shell, viewer, scripting,
// media, loading; core/service.h) and the messages' record the start-up
// fills from its caller, each with its constant default record, which holds
// what the core gets while that layer is absent (the tools and unit tests
// run without some layers), and the service the core calls it through:
// coreViewer().renderSetMaterial(leaf). Each provider registers its filled
// record when the layer starts (startup/startup.h runs them in order); unit
// tests put records with recorders in for the length of a test
// (tests/hook_guard.h). It does not own the functions behind the records:
// they keep their names in the layers that define them; member `fooBar`
// stands for the provider's `zmFooBar`.
#ifndef LUMENFOLD_CORE_HOOKS_H
#define LUMENFOLD_CORE_HOOKS_H

#include <cstdint>

#include "core/event.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/service.h"

struct ZmUrlHash;       // the loading layer's URL-table entry; the core only keeps addresses
struct ZmUrlHashTable;  // the loading layer's URL table of a world
struct ZmWorld;
struct ZmTimeOutHandlerList;

// ---- Messages ---------------------------------------------------------------

// Filled by the start-up from its caller: the program's notify window, or a
// tool's printing.
struct ZmCoreMessages {
  // zmNotifyMessage -- shows the notify window titled "Messages" and appends
  // the text; 0, or -1 when the window does not exist. Default: the text is
  // dropped (-1).
  int (*notifyMessage)(const char* text);
};
inline constexpr ZmCoreMessages kCoreMessagesDefaults = {
    .notifyMessage = [](const char*) { return -1; },
};
inline constinit ZmService<ZmCoreMessages> coreMessages{"startup", "coreMessages", kCoreMessagesDefaults};

// ---- Shell ------------------------------------------------------------------

struct ZmCoreShell {
  // zmViewInputForgetObj -- the view's mouse input lets go of an object that
  // is being deleted (its own contents are still intact). Default: nothing
  // holds objects between mouse messages.
  void (*viewInputForgetObj)(ZmObj* object);

  // zmDeleteObjLabels -- destroys an object's labels. Default: there are none.
  void (*deleteObjLabels)(ZmObj* object);
};
inline constexpr ZmCoreShell kCoreShellDefaults = {
    .viewInputForgetObj = [](ZmObj*) {},
    .deleteObjLabels = [](ZmObj*) {},
};
inline constinit ZmService<ZmCoreShell> coreShell{"shell", "coreShell", kCoreShellDefaults};

// ---- Viewer -----------------------------------------------------------------

struct ZmCoreViewer {
  // zmDestroyObjInViewer -- removes the renderer part of an object's subtree;
  // 0 or -1 (the deletion then stops). Default: nothing to remove (0).
  int (*destroyObjInViewer)(ZmObj* object);

  // zmRenderDeleteBoundingBoxInViewer -- destroys the bounding-box clump of
  // extension 3 and removes the extension; 0 or -1. Default: 0 (the core frees
  // the extension node with the others).
  int (*renderDeleteBoundingBoxInViewer)(ZmObj* object);

  // zmRwAddObjToTransferedObjList -- queues a moved object for the renderer
  // (clearing its 0x40 mark); 0, -1 or -5. Default: 0.
  int (*rwAddObjToTransferedObjList)(ZmObj* object);

  // zmRwRemoveObjFromTransferedObjList -- takes a deleted object out of its
  // world's re-transform list; 0. Default: nothing is queued (0).
  int (*rwRemoveObjFromTransferedObjList)(ZmObj* object);

  // zmRenderDestroyWorldInViewer -- destroys a world's engine scene and
  // cameras; 0 or -1. Default: 0.
  int (*renderDestroyWorldInViewer)(ZmWorld* world);

  // zmRenderSetMaterial -- hands a shape leaf's material to its engine
  // structure; 0 or -1. Default: 0.
  int (*renderSetMaterial)(ZmLeaf* leaf);

  // zmInitTexture -- initialises the texture record of a new shape leaf,
  // after the core has set its defaults (no image, identity transform).
  // Default: the defaults stand.
  void (*initTexture)(ZmTexture* texture);

  // zmDeleteTexture -- releases a shape leaf's texture record. Default: the
  // record's UV array and its share of the image part are freed (nothing
  // else can be in them without the upper layers).
  void (*deleteTexture)(ZmTexture* texture);

  // Camera forwards of the world's active camera (active id 1: the
  // renderer's own default camera) and of a camera object, each named for
  // its zmRender... function. Each answers 0, or -1 with its own report.
  // Default: setting does nothing (0); a query answers -1 and leaves its
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
  // (-3: all children), 0 with its own warning. Default: the number held by
  // the object's Switch extension (0 when it has none).
  int32_t (*getSwitchObjNo)(ZmObj* object);

  // zmGetSwitchObjByNo -- child number n of a Switch or LOD object, null
  // with its own warning. Default: the child list is walked (null for a
  // negative n or one past the last child).
  ZmObj* (*getSwitchObjByNo)(ZmObj* object, int32_t n);
};
inline constexpr ZmCoreViewer kCoreViewerDefaults = {
    .destroyObjInViewer = [](ZmObj*) { return 0; },
    .renderDeleteBoundingBoxInViewer = [](ZmObj*) { return 0; },
    .rwAddObjToTransferedObjList = [](ZmObj*) { return 0; },
    .rwRemoveObjFromTransferedObjList = [](ZmObj*) { return 0; },
    .renderDestroyWorldInViewer = [](ZmWorld*) { return 0; },
    .renderSetMaterial = [](ZmLeaf*) { return 0; },
    .initTexture = [](ZmTexture*) {},
    .deleteTexture =
        [](ZmTexture* texture) {
          zmFree(texture->uv.values);
          zmFree(zmDropTextureImage(texture));
        },
    .renderSetCameraViewport = [](ZmWorld*, int, int, int, int) { return 0; },
    .renderGetActiveCameraViewport = [](ZmWorld*, int*, int*, int*, int*) { return -1; },
    .renderGetActiveCameraViewWindow = [](ZmWorld*, float*, float*) { return -1; },
    .renderGetActiveCameraNearClipping = [](ZmWorld*, float*) { return -1; },
    .renderGetActiveCameraFarClipping = [](ZmWorld*, float*) { return -1; },
    .renderGetCameraViewport = [](ZmObj*, int*, int*, int*, int*) { return -1; },
    .renderGetCameraViewWindow = [](ZmObj*, float*, float*) { return -1; },
    .renderGetCameraNearClipping = [](ZmObj*, float*) { return -1; },
    .renderGetCameraFarClipping = [](ZmObj*, float*) { return -1; },
    .getSwitchObjNo =
        [](ZmObj* object) {
          const auto* number = reinterpret_cast<const int32_t*>(zmGetObjExtension(object, zmSwitchWhichChild));
          return number ? *number : 0;
        },
    .getSwitchObjByNo = [](ZmObj* object, int32_t n) -> ZmObj* {
      if (n < 0) return nullptr;
      ZmChildList* node = object->child;
      for (int32_t i = 0; node != nullptr && i < n; ++i) node = node->next;
      return node ? node->object : nullptr;
    },
};
inline constinit ZmService<ZmCoreViewer> coreViewer{"viewer", "coreViewer", kCoreViewerDefaults};

// ---- Scripting --------------------------------------------------------------

struct ZmCoreScript {
  // zmDeleteAllEventHandler -- frees an object's handlers. Default: none can
  // exist (0); the core clears the list head and the mask either way.
  int (*deleteAllEventHandler)(ZmObj* object);

  // zmDeleteObjTimeOutHandler -- removes and frees the object's entries of
  // its world's time-out queue. Default: nothing is queued.
  void (*deleteObjTimeOutHandler)(ZmObj* object);

  // zmDeleteAllTimeOutHandler -- frees a world's whole queue. Default: nothing
  // is queued (0); the core clears the queue head either way.
  int (*deleteAllTimeOutHandler)(ZmTimeOutHandlerList* first);

  // zmScriptInit(world, 1) -- creates the world's script context; non-zero
  // on failure. Default: the world runs without one (0).
  int (*scriptInit)(ZmWorld* world, int kind);

  // ZmScriptExit(world, 1) -- deletes the world's script context; 0, or
  // non-zero which the emptying returns. Default: 0.
  int (*scriptExit)(ZmWorld* world, int kind);

  // zmCallEventHandler -- delivers an event to the object's matching
  // handlers, or up to its ancestors when it has none; writes the object
  // into the event first. 0 when handled or unhandled, -1 on failure.
  // Default: no handler can exist; the object is written into the event (0).
  int (*callEventHandler)(ZmObj* object, ZmEvent* event);
};
inline constexpr ZmCoreScript kCoreScriptDefaults = {
    .deleteAllEventHandler = [](ZmObj*) { return 0; },
    .deleteObjTimeOutHandler = [](ZmObj*) {},
    .deleteAllTimeOutHandler = [](ZmTimeOutHandlerList*) { return 0; },
    .scriptInit = [](ZmWorld*, int) { return 0; },
    .scriptExit = [](ZmWorld*, int) { return 0; },
    .callEventHandler =
        [](ZmObj* object, ZmEvent* event) {
          event->object = object;
          return 0;
        },
};
inline constinit ZmService<ZmCoreScript> coreScript{"script", "coreScript", kCoreScriptDefaults};

// ---- Media ------------------------------------------------------------------

struct ZmCoreMedia {
  // zmDeleteSoundLeaf -- stops a sound leaf's sound, takes its owner out of
  // the world's sound objects and releases its URL entry; 0 or -1. Default:
  // nothing plays (0); the core still frees the leaf.
  int (*deleteSoundLeaf)(ZmLeaf* leaf);

  // zmPause3DMovie -- pauses the owner's texture movie and removes its
  // time-out. Default: no movie runs.
  void (*pause3DMovie)(ZmObj* object);

  // zmKinDeleteBodyAndPos -- frees the articulated body and position of
  // extensions 0 and 2; 0 or -1. Default: there are none (0).
  int (*kinDeleteBodyAndPos)(ZmObj* object);

  // zmSoundSetWorld -- the world whose sounds are scheduled (null: none).
  // Default: nothing is scheduled.
  void (*soundSetWorld)(ZmWorld* world);
};
inline constexpr ZmCoreMedia kCoreMediaDefaults = {
    .deleteSoundLeaf = [](ZmLeaf*) { return 0; },
    .pause3DMovie = [](ZmObj*) {},
    .kinDeleteBodyAndPos = [](ZmObj*) { return 0; },
    .soundSetWorld = [](ZmWorld*) {},
};
inline constinit ZmService<ZmCoreMedia> coreMedia{"media", "coreMedia", kCoreMediaDefaults};

// ---- Loading ----------------------------------------------------------------

struct ZmCoreLoading {
  // zmNewUrlHash -- makes a world's URL table; 0 or non-zero. Default: the
  // world has no URL table (-1, *table untouched).
  int (*newUrlHash)(int32_t bucketCount, ZmUrlHashTable** table);

  // zmDeleteUrlHash -- deletes a world's URL table (run as the world's first
  // destroy handler). Default: there is no table to delete.
  void (*deleteUrlHash)(ZmWorld* world);

  // zmReleaseUrlHashEntry -- releases a URL entry handed out (a world's
  // background image, a texture's image). Default: nothing to release.
  void (*releaseUrlHashEntry)(ZmUrlHash* entry);
};
inline constexpr ZmCoreLoading kCoreLoadingDefaults = {
    .newUrlHash = [](int32_t, ZmUrlHashTable**) { return -1; },
    .deleteUrlHash = [](ZmWorld*) {},
    .releaseUrlHashEntry = [](ZmUrlHash*) {},
};
inline constinit ZmService<ZmCoreLoading> coreLoading{"loading", "coreLoading", kCoreLoadingDefaults};

#endif
