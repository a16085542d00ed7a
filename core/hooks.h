// core/hooks.h -- the calls the scene core makes up into the layers above
// it: one service record per provider (core/service.h), for the start-up's
// messages, the shell, the viewer, scripting, media and loading.
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

// Filled by the start-up from its caller (a tool prints).
struct ZmCoreMessages {
  // zmNotifyMessage -- appends the text to the shown "Messages" window; 0, or
  // -1 when the window does not exist (the default: the text is dropped).
  int (*notifyMessage)(const char* text);
};
inline constexpr ZmCoreMessages kCoreMessagesDefaults = {.notifyMessage = zmReturns<-1>};
inline constinit ZmService<ZmCoreMessages> coreMessages{"startup", "coreMessages", kCoreMessagesDefaults};

struct ZmCoreShell {
  // zmViewInputForgetObj -- the mouse input lets go of an object being deleted.
  void (*viewInputForgetObj)(ZmObj* object);
  // zmDeleteObjLabels -- destroys an object's labels.
  void (*deleteObjLabels)(ZmObj* object);
};
inline constexpr ZmCoreShell kCoreShellDefaults = {.viewInputForgetObj = zmNothing, .deleteObjLabels = zmNothing};
inline constinit ZmService<ZmCoreShell> coreShell{"shell", "coreShell", kCoreShellDefaults};

struct ZmCoreViewer {
  // zmDestroyObjInViewer -- removes a subtree's renderer part; -1 stops the deletion.
  int (*destroyObjInViewer)(ZmObj* object);
  // zmRenderDeleteBoundingBoxInViewer -- destroys the bounding-box clump of
  // extension 3 and removes the extension; 0 or -1. Unset, the core frees
  // the extension with the others.
  int (*renderDeleteBoundingBoxInViewer)(ZmObj* object);
  // zmRwAddObjToTransferedObjList -- queues a moved object for the renderer
  // (clearing its 0x40 mark); 0, -1 or -5.
  int (*rwAddObjToTransferedObjList)(ZmObj* object);
  // zmRwRemoveObjFromTransferedObjList -- unqueues a deleted object; 0.
  int (*rwRemoveObjFromTransferedObjList)(ZmObj* object);
  // zmRenderDestroyWorldInViewer -- destroys a world's scene and cameras; 0 or -1.
  int (*renderDestroyWorldInViewer)(ZmWorld* world);
  // zmRenderSetMaterial -- hands a shape leaf's material to the engine; 0 or -1.
  int (*renderSetMaterial)(ZmLeaf* leaf);
  // zmInitTexture -- completes a new shape leaf's texture record once the core
  // has set its defaults (no image, identity transform).
  void (*initTexture)(ZmTexture* texture);
  // zmDeleteTexture -- releases a leaf's texture record. Default: frees the UV
  // array and the share of the image part, all it can hold without the viewer.
  void (*deleteTexture)(ZmTexture* texture);
  // The zmRender... camera functions, of the world's active camera (id 1: the
  // renderer's own) or a camera object; 0, or -1 with their own report.
  // Default: a query fails (-1), leaving its outputs untouched.
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
  // (-3: all children), 0 with its own warning. Default: the number in the
  // object's Switch extension (0 without one).
  int32_t (*getSwitchObjNo)(ZmObj* object);
  // zmGetSwitchObjByNo -- child number n of a Switch or LOD object, null with
  // its own warning. Default: walks the child list (null for a negative n or
  // one past the last child).
  ZmObj* (*getSwitchObjByNo)(ZmObj* object, int32_t n);
};
inline constexpr ZmCoreViewer kCoreViewerDefaults = {
    .destroyObjInViewer = zmReturns<0>,
    .renderDeleteBoundingBoxInViewer = zmReturns<0>,
    .rwAddObjToTransferedObjList = zmReturns<0>,
    .rwRemoveObjFromTransferedObjList = zmReturns<0>,
    .renderDestroyWorldInViewer = zmReturns<0>,
    .renderSetMaterial = zmReturns<0>,
    .initTexture = zmNothing,
    .deleteTexture =
        [](ZmTexture* texture) {
          zmFree(texture->uv.values);
          zmFree(zmDropTextureImage(texture));
        },
    .renderSetCameraViewport = zmReturns<0>,
    .renderGetActiveCameraViewport = zmReturns<-1>, .renderGetActiveCameraViewWindow = zmReturns<-1>,
    .renderGetActiveCameraNearClipping = zmReturns<-1>, .renderGetActiveCameraFarClipping = zmReturns<-1>,
    .renderGetCameraViewport = zmReturns<-1>, .renderGetCameraViewWindow = zmReturns<-1>,
    .renderGetCameraNearClipping = zmReturns<-1>, .renderGetCameraFarClipping = zmReturns<-1>,
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

struct ZmCoreScript {
  // zmDeleteAllEventHandler, zmDeleteObjTimeOutHandler, zmDeleteAllTimeOutHandler
  // -- free an object's handlers, its entries of the world's time-out queue,
  // a world's whole queue. Either way the core clears the object's handler
  // list and mask, and the queue head.
  int (*deleteAllEventHandler)(ZmObj* object);
  void (*deleteObjTimeOutHandler)(ZmObj* object);
  int (*deleteAllTimeOutHandler)(ZmTimeOutHandlerList* first);
  // zmScriptInit(world, 1), ZmScriptExit(world, 1) -- create and delete the
  // world's script context; non-zero on failure (the world's emptying
  // returns the exit's).
  int (*scriptInit)(ZmWorld* world, int kind);
  int (*scriptExit)(ZmWorld* world, int kind);
  // zmCallEventHandler -- writes the object into the event and delivers it to
  // the object's matching handlers, or up to its ancestors when it has none;
  // 0 handled or not, -1 on failure. Default: only the writing (0).
  int (*callEventHandler)(ZmObj* object, ZmEvent* event);
};
inline constexpr ZmCoreScript kCoreScriptDefaults = {
    .deleteAllEventHandler = zmReturns<0>,
    .deleteObjTimeOutHandler = zmNothing,
    .deleteAllTimeOutHandler = zmReturns<0>,
    .scriptInit = zmReturns<0>, .scriptExit = zmReturns<0>,
    .callEventHandler =
        [](ZmObj* object, ZmEvent* event) {
          event->object = object;
          return 0;
        },
};
inline constinit ZmService<ZmCoreScript> coreScript{"script", "coreScript", kCoreScriptDefaults};

struct ZmCoreMedia {
  // zmDeleteSoundLeaf -- stops a sound leaf's sound, takes its owner out of
  // the world's sound objects and releases its URL entry; 0 or -1. The core
  // frees the leaf either way.
  int (*deleteSoundLeaf)(ZmLeaf* leaf);
  // zmPause3DMovie -- pauses the texture movie, removing its time-out.
  void (*pause3DMovie)(ZmObj* object);
  // zmKinDeleteBodyAndPos -- frees the articulated body and position of
  // extensions 0 and 2; 0 or -1.
  int (*kinDeleteBodyAndPos)(ZmObj* object);
  // zmSoundSetWorld -- the world whose sounds are scheduled (null: none).
  void (*soundSetWorld)(ZmWorld* world);
};
inline constexpr ZmCoreMedia kCoreMediaDefaults = {
    .deleteSoundLeaf = zmReturns<0>, .pause3DMovie = zmNothing,
    .kinDeleteBodyAndPos = zmReturns<0>, .soundSetWorld = zmNothing};
inline constinit ZmService<ZmCoreMedia> coreMedia{"media", "coreMedia", kCoreMediaDefaults};

struct ZmCoreLoading {
  // zmNewUrlHash -- makes a world's URL table; 0 or non-zero. Default: the
  // world has none (-1, *table untouched).
  int (*newUrlHash)(int32_t bucketCount, ZmUrlHashTable** table);
  // zmDeleteUrlHash -- deletes a world's URL table (its first destroy handler).
  void (*deleteUrlHash)(ZmWorld* world);
  // zmReleaseUrlHashEntry -- releases a URL entry handed out (a world's
  // background image, a texture's image).
  void (*releaseUrlHashEntry)(ZmUrlHash* entry);
};
inline constexpr ZmCoreLoading kCoreLoadingDefaults = {
    .newUrlHash = zmReturns<-1>, .deleteUrlHash = zmNothing, .releaseUrlHashEntry = zmNothing};
inline constinit ZmService<ZmCoreLoading> coreLoading{"loading", "coreLoading", kCoreLoadingDefaults};

#endif
