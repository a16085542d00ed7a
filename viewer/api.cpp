// viewer/api.cpp -- the viewer's programming interface; see api.h.
#include "viewer/api.h"

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "viewer/boundingbox.h"
#include "viewer/cameraquery.h"
#include "viewer/construct.h"
#include "viewer/frame.h"
#include "viewer/grab.h"
#include "viewer/hooks.h"
#include "viewer/sceneobjects.h"
#include "viewer/texture.h"
#include "viewer/transfer.h"
#include "vrml/parse.h"

namespace {

constexpr ZmId kWorldFirstId = -10000;
constexpr ZmId kWorldLastId = -1;
constexpr int32_t kAllChildren = -3;

constexpr const char* kCredits =
    "Lumenfold shows VRML 1.0 worlds with a 3-D engine, a scene core, a VRML reader "
    "and a platform layer of its own; its text uses the DejaVu fonts, its scripts run "
    "in Tcl/Tk, its JPEG images are read with libjpeg and its LHA archives with liblhasa. "
    "Thanks to everyone who wrote and keeps those.";

void saveBookmarksAtExit() { viewerShell().saveBookmark(); }

ZmWorld* worldOf(ZmObj* object) { return object ? object->world : nullptr; }

// Pauses the object's world, runs the step, and resumes only when the step
// succeeded: a failed build leaves the world paused.
int whilePaused(ZmObj* object, int (*step)(ZmObj*)) {
  if (object == nullptr) return -1;
  zmRenderPause(worldOf(object));
  if (step(object) != 0) return -1;
  zmRenderResume(worldOf(object));
  return 0;
}

bool isSwitchOrLOD(const ZmObj* object) {
  return object != nullptr && (object->vrmlType == ZM_VRML_SWITCH || object->vrmlType == ZM_VRML_LOD);
}

// The checks every Switch query starts with; false after its warning.
bool isSwitchWithChildren(ZmObj* object, const char* operation) {
  if (!isSwitchOrLOD(object)) {
    zmReportWarning("%s : not a switch object", operation);
    return false;
  }
  if (object->child == nullptr) {
    zmReportWarning("%s : no child object", operation);
    return false;
  }
  return true;
}

const int32_t* storedChoice(ZmObj* object) {
  return reinterpret_cast<const int32_t*>(zmGetObjExtension(object, zmSwitchWhichChild));
}

// Records n as the Switch's choice in an owned block; 0 or -1.
int storeChoice(ZmObj* object, int32_t n) {
  auto* block = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  if (block == nullptr) return -1;
  *block = n;
  if (zmRegisterObjExtension(object, zmSwitchWhichChild, reinterpret_cast<intptr_t>(block)) != 0) {
    zmFree(block);
    return -1;
  }
  return 0;
}

void dropChoice(ZmObj* object) {
  auto* block = reinterpret_cast<int32_t*>(zmGetObjExtension(object, zmSwitchWhichChild));
  zmDeleteObjExtension(object, zmSwitchWhichChild);
  zmFree(block);
}

// The walk shared by zmIsVisible and zmIsSolid for objects that are no
// Switch: the object's own flag when its first leaf is a shape, else the
// first child's answer.
int shapeFlag(ZmObj* object, uint32_t flag, const char* operation) {
  for (;;) {
    if (object->leaf != nullptr) {
      if (zmIsShapeLeaf(object->leaf) <= 0) {
        zmReportWarning("%s: not a shape object", operation);
        return 0;
      }
      return (object->obj_flags & flag) != 0 ? 1 : 0;
    }
    if (object->child == nullptr) {
      zmReportWarning("%s: not a leaf object", operation);
      return 0;
    }
    object = object->child->object;
  }
}

}  // namespace

// ---- Start and end ------------------------------------------------------------

int zmInitViewer() { return zmRenderInitViewer(); }

int zmInit() {
  zmInitExitHandlers();
  if (zmInitViewer() != 0) {
    zmReportError("zmInit() : fails to initialize viewer.");
    return -1;
  }
  viewerShell().readBookmark();
  zmAddExitHandler(saveBookmarksAtExit);
  return 0;
}

int zmExit() {
  zmCallExitHandlers();
  return 0;
}

void zmExitViewer() { zmRenderExitViewer(); }

int zmShowCredits() { return zmReportMessage("%s", kCredits); }

// ---- Worlds and subtrees --------------------------------------------------------

int zmReadWorld(const char* file, ZmWorld* world) { return zmConstructWorld(file, world); }

int zmConstructWorld(const char* file, ZmWorld* world) {
  ZmId first = kWorldFirstId, last = kWorldLastId;
  if (zmSetIdCounter(&first, &last, 0) != 0) {
    zmReportMessage("zmConstructWorld: fails to initialize ZmId.");
    return -1;
  }
  if (parseVRMLIntoWorld(file, world) != 0) return -1;
  return zmConstructWorldInViewer(world);
}

int zmConstructWorldInViewer(ZmWorld* world) {
  if (zmRenderConstructWorldInViewer(world) != 0) return -1;
  zmRenderResume(world);
  return 0;
}

int zmConstructObjInViewer(ZmObj* object) { return whilePaused(object, zmRenderConstructPartInViewer); }
int zmDestroyObjInViewer(ZmObj* object) {
  zmGrabForgetSubtree(object);
  return whilePaused(object, zmRenderDestroyPartInViewer);
}
int zmConstructPersonInViewer(ZmObj* person) { return whilePaused(person, zmRenderConstructPersonInViewer); }

int zmReadObj(const char* file, ZmObj* object) {
  if (zmDestroyObjInViewer(object) != 0) return -1;
  if (zmParseVRMLInZmObj(file, object) != 0) return -1;
  return zmConstructObjInViewer(object);
}

int zmShowWorld(ZmWorld* world) { return zmRenderShowWorld(world); }

// ---- Object state -------------------------------------------------------------------

int zmShowObj(ZmObj* object) {
  zmRenderSetSubtreeState(object, 1);
  return 0;
}

int zmHideObj(ZmObj* object) {
  zmRenderSetSubtreeState(object, 0);
  return 0;
}

void zmSetObjSolid(ZmObj* object, int mode) { zmRenderSetSubtreeMode(object, mode); }
void zmSetLeafSolid(ZmLeaf* leaf, int mode) { zmRenderSetLeafMode(leaf, mode); }
int zmSetBoundingBox(ZmObj* object) { return zmRenderSetBoundingBoxInViewer(object); }
int zmDeleteBoundingBox(ZmObj* object) { return zmRenderDeleteBoundingBoxInViewer(object); }

int zmProjectObjPoint(ZmWorld* world, const float point[3], int* x, int* y, int* onScreen) {
  return zmRenderProjectPointByActiveCamera(world, point, x, y, onScreen);
}

// ---- Textures and movies --------------------------------------------------------------

int zmSetObjTexture(ZmObj* object) { return zmRenderSetObjTexture(object); }
int zmSetLeafTexture(ZmLeaf* leaf) { return zmRenderSetLeafTexture(leaf); }

int zmSetTexture(ZmLeaf* leaf) {
  zmReportWarning("zmSetTexture : this function is obsolete. Use zmSetObjTexture.");
  return zmRenderSetObjTexture(leaf ? leaf->owner : nullptr);
}

int zmViewerVideoNextFrame(ZmObj* object) { return zmRenderVideoNextFrame(object); }
int zmViewerVideoSetFrame(ZmObj* object, intptr_t frame) { return zmRenderVideoSetFrame(object, frame); }

int zmViewerGetMovieFormat(ZmUrlHash* entry, int32_t* width, int32_t* height, int32_t* frames, float* rate,
                           ZmUrlHash** movie) {
  return zmViewerMovieFormat(entry, width, height, frames, rate, movie);
}

// ---- Queries --------------------------------------------------------------------------------

int zmIsVisible(ZmObj* object) {
  if (object == nullptr) {
    zmReportWarning("zmIsVisible: no object");
    return 0;
  }
  if (isSwitchOrLOD(object)) return (object->obj_flags & ZM_OBJ_VISIBLE) != 0 ? 1 : 0;
  return shapeFlag(object, ZM_OBJ_VISIBLE, "zmIsVisible");
}

int zmIsSolid(ZmObj* object) {
  if (object == nullptr) return 0;
  return shapeFlag(object, ZM_OBJ_SOLID, "zmIsSolid");
}

int32_t zmGetSwitchObjNum(ZmObj* object) {
  if (!isSwitchWithChildren(object, "zmGetSwitchObjNum")) return 0;
  int32_t count = 0;
  for (ZmChildList* node = object->child; node; node = node->next) ++count;
  return count;
}

int32_t zmGetSwitchObjNo(ZmObj* object) {
  if (!isSwitchWithChildren(object, "zmGetSwitchObjNo")) return 0;
  const int32_t* choice = storedChoice(object);
  if (choice == nullptr) {
    zmReportWarning("zmGetSwitchObjNo : no active object number");
    return 0;
  }
  return *choice;
}

ZmObj* zmGetSwitchObjByNo(ZmObj* object, int32_t n) {
  if (!isSwitchWithChildren(object, "zmGetSwitchObjByNo")) return nullptr;
  ZmChildList* node = n < 0 ? nullptr : object->child;
  for (int32_t i = 0; node != nullptr && i < n; ++i) node = node->next;
  if (node == nullptr) {
    zmReportWarning("zmGetSwitchObjByNo : not such a object");
    return nullptr;
  }
  return node->object;
}

int zmSetSwitchObjNo(ZmObj* object, int32_t n) {
  while (object != nullptr && object->child != nullptr && object->vrmlType != ZM_VRML_SWITCH)
    object = object->child->object;
  if (object == nullptr || object->child == nullptr) return -1;
  if ((object->obj_flags & ZM_OBJ_VISIBLE) == 0) return -1;
  if (const int32_t* choice = storedChoice(object)) {
    if (*choice == n) return 0;
    dropChoice(object);
  }
  int32_t i = 0;
  for (ZmChildList* node = object->child; node; node = node->next, ++i)
    zmRenderSetSubtreeState(node->object, (n == kAllChildren || n == i) ? 1 : 0);
  return storeChoice(object, n);
}
