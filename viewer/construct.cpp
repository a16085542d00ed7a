// viewer/construct.cpp -- opening the engine, world records and the walk that
// builds or destroys a subtree's engine objects.
#include "viewer/construct.h"

#include "core/dirs.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/rasters.h"
#include "engine/scene.h"
#include "engine/texture.h"
#include "platform/windows.h"
#include "viewer/boundingbox.h"
#include "viewer/builders.h"
#include "viewer/frame.h"
#include "viewer/sceneobjects.h"
#include "viewer/rendering.h"
#include "viewer/renderstate.h"
#include "viewer/transfer.h"
#include "vrml/hooks.h"

namespace {

constexpr intptr_t kEngineOutOfMemory = 3;
constexpr intptr_t kCameraImageWidth = 1024;
constexpr intptr_t kCameraImageHeight = 768;
constexpr intptr_t kPumpIntervalMs = 500;

int fail(const char* operation, const char* text) {
  zmReportError("%s : %s", operation, text);
  return -1;
}

void scheduleNextPump() {
  IncrementalLoading& incremental = renderState().incremental;
  zmGetTimeStamp(&incremental.nextPump);
  incremental.nextPump.msec += kPumpIntervalMs;
  incremental.nextPump.sec += incremental.nextPump.msec / 1000;
  incremental.nextPump.msec %= 1000;
}

bool pumpIsDue() {
  IncrementalLoading& incremental = renderState().incremental;
  if (incremental.on != 1) return false;
  ZmTimeStamp now;
  zmGetTimeStamp(&now);
  if (now.sec != incremental.nextPump.sec) return now.sec > incremental.nextPump.sec;
  return now.msec > incremental.nextPump.msec;
}

// Repaints the view and serves every waiting message; -1 without a record.
int pumpMessages(ZmObj* object) {
  RenderingStruct* record = object->world ? object->world->rendering : nullptr;
  if (record == nullptr) return -1;
  InvalidateRect(record->viewWindow, nullptr, FALSE);
  UpdateWindow(record->viewWindow);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  scheduleNextPump();
  return 0;
}

// ---- The walk -------------------------------------------------------------------

using LeafBuilder = int (*)(ZmObj*);

// The builder for an object's leaves by the kind of its first leaf; the
// avatar's shapes get none. Null for a kind that builds nothing, and `known`
// false for a kind that is not a leaf kind at all.
LeafBuilder builderFor(uint32_t kind, bool person, bool* known) {
  *known = true;
  switch (kind) {
    case ZM_LEAF_POINT_LIGHT: return zmRwSetPointLight;
    case ZM_LEAF_SPOT_LIGHT: return zmRwSetSpotLight;
    case ZM_LEAF_DIRECTIONAL_LIGHT: return zmRwSetDirectionalLight;
    case ZM_LEAF_ORTHOGRAPHIC_CAMERA: return zmRwSetOrthographicCamera;
    case ZM_LEAF_PERSPECTIVE_CAMERA: return zmRwSetPerspectiveCamera;
    case ZM_LEAF_DISC: case ZM_LEAF_SOUND: return nullptr;
    default: break;
  }
  LeafBuilder shape = nullptr;
  switch (kind) {
    case ZM_LEAF_ASCII_TEXT: shape = zmRwSetAsciiText; break;
    case ZM_LEAF_CONE_SIDE: case ZM_LEAF_CONE_BOTTOM: shape = zmRwSetCone; break;
    case ZM_LEAF_CYLINDER_SIDE: case ZM_LEAF_CYLINDER_BOTTOM: case ZM_LEAF_CYLINDER_TOP:
      shape = zmRwSetCylinder;
      break;
    case ZM_LEAF_FACE: shape = zmRwSetFace; break;
    case ZM_LEAF_LINE: shape = zmRwSetLine; break;
    case ZM_LEAF_POINT_SET: shape = zmRwSetPointSet; break;
    case ZM_LEAF_SPHERE: shape = zmRwSetSphere; break;
    default: *known = false; return nullptr;
  }
  return person ? nullptr : shape;
}

struct Walk {
  const char* operation;  // "zmRenderConstructPartInViewer()" or the person's
  bool person;
};

int constructPart(ZmObj* object, const Walk& walk);

int constructChildren(ZmObj* object, const Walk& walk, int32_t* count) {
  *count = 0;
  for (ZmChildList* node = object->child; node; node = node->next, ++*count)
    if (constructPart(node->object, walk) != 0) return -1;
  return 0;
}

int constructSwitch(ZmObj* object, const Walk& walk) {
  const auto* chosen = reinterpret_cast<const int32_t*>(zmGetObjExtension(object, zmSwitchWhichChild));
  if (object->child == nullptr || chosen == nullptr) return 0;
  int32_t i = 0;
  for (ZmChildList* node = object->child; node; node = node->next, ++i) {
    if (constructPart(node->object, walk) != 0) return -1;
    zmRenderSetSubtreeState(node->object, (*chosen == -3 || *chosen == i) ? 1 : 0);
  }
  return 0;
}

int constructLOD(ZmObj* object, const Walk& walk) {
  int32_t children = 0;
  if (object->child == nullptr) return 0;
  if (constructChildren(object, walk, &children) != 0) return -1;
  const auto* lod = reinterpret_cast<const ZmLOD*>(zmGetObjExtension(object, zmLODNode));
  if (lod != nullptr && lod->rangeCount != children - 1)
    zmReportWarning("%s : %s", walk.operation, "number of LOD range or children is wrong");
  return 0;
}

int constructPart(ZmObj* object, const Walk& walk) {
  if (object == nullptr) return -1;
  if (pumpIsDue() && pumpMessages(object) != 0) return -1;
  if (zmGetObjExtension(object, zmRenderBoundingBox) != 0 &&
      (zmRenderDeleteBoundingBoxInViewer(object) != 0 || zmRenderSetBoundingBoxInViewer(object) != 0))
    return -1;
  if (object->vrmlType == ZM_VRML_SWITCH) return constructSwitch(object, walk);
  if (object->vrmlType == ZM_VRML_LOD) return constructLOD(object, walk);
  if (object->child != nullptr) {
    int32_t count = 0;
    return constructChildren(object, walk, &count);
  }
  if (object->leaf == nullptr) return 0;
  bool known = false;
  const LeafBuilder build = builderFor(object->leaf->kind, walk.person, &known);
  if (!known) return fail(walk.operation, "invalid leaf type");
  return build ? build(object) : 0;
}

// ---- Destruction ------------------------------------------------------------------

// The shapes of an object's chain. The faces of a set share one clump, which
// goes once; every face's handle is cleared.
int destroyShapes(ZmObj* object) {
  const char* operation = "zmRenderDestroyPartInViewer()";
  RwClump* destroyed = nullptr;
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    RwClump* clump = zmRwGetLeafClump(leaf);
    if (clump == nullptr) continue;
    if (clump != destroyed) {
      if (!RwDestroyClump(clump)) return fail(operation, "cannot destroy shape");
      destroyed = clump;
    }
    leaf->rendering = nullptr;
    zmRenderDestroyLeafTexture(leaf);
  }
  return 0;
}

int destroyFirstLeaf(ZmObj* object) {
  const char* operation = "zmRenderDestroyPartInViewer()";
  ZmLeaf* leaf = object->leaf;
  if (leaf == nullptr) return 0;
  if (zmIsCameraLeaf(leaf)) {
    if (leaf->rendering && !RwDestroyCamera(static_cast<RwCamera*>(leaf->rendering)))
      return fail(operation, "cannot destroy camera");
    leaf->rendering = nullptr;
    return 0;
  }
  if (zmIsLightLeaf(leaf)) {
    if (leaf->rendering && !RwDestroyLight(static_cast<RwLight*>(leaf->rendering)))
      return fail(operation, "cannot destroy light");
    leaf->rendering = nullptr;
    return 0;
  }
  return zmIsShapeLeaf(leaf) ? destroyShapes(object) : 0;
}

// The engine texture made from an image entry, without fetching or reading
// anything: only a texture already in the engine's dictionary is found.
RwTexture* knownTexture(ZmUrlHash* entry) {
  if (entry == nullptr) return nullptr;
  const char* file = vrmlLoading().getLocalFile(entry);
  return file ? RwFindNamedTexture(file) : nullptr;
}

// A texture shared by name goes with its last user: its one reference is
// then its own (materials that use it hold one each).
int destroyUnusedTexture(ZmUrlHash* entry, const char* text) {
  RwTexture* texture = knownTexture(entry);
  if (texture == nullptr || texture->references > 1) return 0;
  if (!RwDestroyTexture(texture)) return fail("zmRenderDestroyLeafTexture()", text);
  return 0;
}

}  // namespace

// ---- Engine ----------------------------------------------------------------------------

int zmRenderInitViewer() {
  if (RwOpenDefault("MSWindows", 0)) return 0;
  if (RwGetAndClearError() == kEngineOutOfMemory) {
    zmReportError("zmRenderInitViewer() : Insufficient memory to open the 3-D engine");
    return -5;
  }
  zmReportError("zmRenderInitViewer() : Error opening the 3-D engine");
  return -1;
}

int zmRenderExitViewer() {
  RwClose();
  return 0;
}

// ---- World records ------------------------------------------------------------------------

int zmRwInitRWStruct(ZmWorld* world) {
  auto* record = static_cast<RenderingStruct*>(zmMalloc(sizeof(RenderingStruct)));
  if (record == nullptr) {
    zmReportError("%s : %s", "zmRwInitRWStruct()", "cannot allocate memory");
    return -5;
  }
  world->rendering = record;
  return 0;
}

int zmRwSetDefaultCamera(ZmWorld* world) {
  const char* operation = "zmRwSetDefaultCamera()";
  RenderingStruct* record = world ? world->rendering : nullptr;
  if (record == nullptr) return -1;
  RwCamera* camera = RwCreateCamera(kCameraImageWidth, kCameraImageHeight, nullptr);
  if (camera == nullptr) return fail(operation, "cannot create camera");
  record->defaultCamera = camera;
  if (RwSetCameraBackColor(camera, world->backgroundColor[0], world->backgroundColor[1],
                           world->backgroundColor[2]) == nullptr)
    return fail(operation, "cannot set background color");
  if (world->backgroundImage != nullptr && record->backdrop != nullptr) RwSetCameraBackdrop(camera, record->backdrop);
  if (RwSetCameraViewwindow(camera, 1.0f, 0.75f) == nullptr) return fail(operation, "cannot set view window");
  int width = 0, height = 0;
  zmGetViewWindowSize(&width, &height);
  if (RwSetCameraViewport(camera, 0, 0, width, height) == nullptr) return fail(operation, "cannot set viewport");
  if (RwVCMoveCamera(camera, 0.0f, 0.0f, -10.0f) == nullptr) return fail(operation, "cannot move camera");
  return 0;
}

int zmRwSetScene(ZmWorld* world) {
  RwScene* scene = world && world->rendering ? RwCreateScene() : nullptr;
  if (scene == nullptr) return fail("zmRwSetScene()", "cannot create scene");
  world->rendering->scene = scene;
  for (ZmTopObjList* node = world->topObjects; node; node = node->next)
    if (zmRenderConstructPartInViewer(node->object) != 0) return -1;
  return 0;
}

int zmRenderConstructWorldInViewer(ZmWorld* world) {
  if (zmRenderDestroyWorldInViewer(world) != 0) return -1;
  if (zmRwInitRWStruct(world) != 0) return -1;
  if (zmRwSetDefaultCamera(world) != 0) return -1;
  return zmRwSetScene(world);
}

int zmRenderDestroyWorldInViewer(ZmWorld* world) {
  const char* operation = "zmRenderDestroyWorldInViewer()";
  RenderingStruct* record = world ? world->rendering : nullptr;
  if (record == nullptr) return 0;
  // Objects still in the world give up their engine part first, so that the
  // scene's destruction frees nothing a leaf still points to, and cameras,
  // which belong to no scene, are not left behind.
  for (ZmTopObjList* node = world->topObjects; node; node = node->next)
    if (zmRenderDestroyPartInViewer(node->object) != 0) return -1;
  if (record->scene != nullptr && !RwDestroyScene(record->scene))
    return fail(operation, "cannot destroy rendering structure");
  record->scene = nullptr;
  if (record->defaultCamera != nullptr) {
    if (!RwDestroyCamera(record->defaultCamera)) return fail(operation, "cannot destroy camera");
    record->defaultCamera = nullptr;
  }
  // The raster goes after every camera that may show it as its backdrop.
  if (record->backdrop != nullptr) RwDestroyRaster(record->backdrop);
  zmFree(record->backdropFile);
  zmRwClearTransferedObjList(world);
  zmFree(record);
  world->rendering = nullptr;
  return 0;
}

int zmRenderBeforeIncrementalLoading(ZmWorld* world) {
  if (zmRenderDestroyWorldInViewer(world) != 0) return -1;
  if (zmRwInitRWStruct(world) != 0 || zmRwSetDefaultCamera(world) != 0) return -1;
  world->rendering->scene = RwCreateScene();
  if (world->rendering->scene == nullptr) return fail("zmRenderBeforeIncrementalLoading()", "cannot create scene");
  return 0;
}

// ---- Subtrees -------------------------------------------------------------------------------

int zmRenderConstructPartInViewer(ZmObj* object) {
  return constructPart(object, {"zmRenderConstructPartInViewer()", false});
}

int zmRenderConstructPersonInViewer(ZmObj* object) {
  return constructPart(object, {"zmRenderConstructPersonInViewer()", true});
}

int zmRenderDestroyPartInViewer(ZmObj* object) {
  if (object == nullptr) return 0;
  if (destroyFirstLeaf(object) != 0) return -1;
  if (zmRenderDeleteBoundingBoxInViewer(object) != 0) return -1;
  for (ZmChildList* node = object->child; node; node = node->next)
    if (zmRenderDestroyPartInViewer(node->object) != 0) return -1;
  object->rendering = nullptr;
  return 0;
}

int zmRenderDestroyLeafTexture(ZmLeaf* leaf) {
  if (leaf == nullptr || !zmIsShapeLeaf(leaf)) return 0;
  const ZmTextureImage& image = *static_cast<ZmShape*>(leaf)->texture.image;
  if (destroyUnusedTexture(image.file, "cannot destroy texture") != 0) return -1;
  return destroyUnusedTexture(image.mask, "cannot destroy mask texture");
}

// ---- Rendering switch -----------------------------------------------------------------------

int zmRenderPause(ZmWorld* world) {
  if (world && world->rendering) world->rendering->renderingEnabled = 0;
  return 0;
}

int zmRenderResume(ZmWorld* world) {
  if (world == nullptr || world->rendering == nullptr) return 0;
  zmRenderLoadBackground(world);
  world->rendering->renderingEnabled = 1;
  return 0;
}

int zmRenderIsEnabled(ZmWorld* world) {
  return world && world->rendering ? static_cast<int>(world->rendering->renderingEnabled) : 0;
}

void zmRenderBeginIncrementalLoading() {
  IncrementalLoading& incremental = renderState().incremental;
  incremental.on = 1;
  scheduleNextPump();
}

void zmRenderEndIncrementalLoading() { renderState().incremental.on = 0; }
