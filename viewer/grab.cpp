// viewer/grab.cpp -- object grab and virtual trackball; see grab.h.
#include "viewer/grab.h"

#include <cmath>

#include "core/bounds.h"
#include "core/camera.h"
#include "core/object.h"
#include "core/report.h"
#include "core/shapequery.h"
#include "core/transform.h"
#include "core/vecmath.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/matrix.h"
#include "platform/winuser.h"
#include "viewer/hooks.h"
#include "viewer/sceneobjects.h"
#include "viewer/usercontrol.h"

namespace {

enum GrabMode : int32_t { kNoGrab = 0, kMoveGrab = 1, kRotateGrab = 2 };

constexpr int kTopAncestorMode = 1;
constexpr float kGrabTrackballFactor = 1.5f;
constexpr SHORT kKeyDownBit = 0x80;

RwVector toRw(const ZmVec3& v) { return {v.x, v.y, v.z}; }
RwVector minus(const RwVector& a, const RwVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

bool inSubtree(const ZmObj* object, const ZmObj* root) {
  for (; object != nullptr; object = object->parent)
    if (object == root) return true;
  return false;
}

ZmObj* topAncestor(ZmObj* object) {
  while (object->parent != nullptr) object = object->parent;
  return object;
}

// The object still usable for a grab step: held and in the world on show.
ZmObj* liveInCurrentWorld(ZmObj* object) {
  return object != nullptr && object->world == zmGetCurrentWorld() ? object : nullptr;
}

RwVector worldPosition(ZmObj* object) { return toRw(zmGetWRT(object)->t); }

// The plane through `planePoint` that faces the camera, hit by the ray of
// pixel (x, y). 0, or -1 (point untouched).
int projectOntoFacingPlane(RwCamera* camera, int x, int y, const RwVector& planePoint, RwVector* point) {
  RwVector normal;
  if (RwGetCameraLookAt(camera, &normal) == nullptr) return -1;
  RwScaleVector(&normal, -1.0f, &normal);
  ZmPickRay ray;
  float t = 0;
  if (zmGrabPickRay(camera, x, y, &ray) != 0) return -1;
  if (zmIntersectRayPlane(&ray, &normal, &planePoint, &t) != 0) return -1;
  RwScaleVector(&ray.direction, t, point);
  RwAddVector(&ray.origin, point, point);
  return 0;
}

void press(HWND view, int x, int y, bool rotate) {
  GrabRecord& grab = userControl().grab;
  grab.mode = kNoGrab;
  ZmWorld* world = zmGetCurrentWorld();
  RwCamera* camera = world ? zmRwGetActiveCamera(world) : nullptr;
  if (camera == nullptr) return;
  ZmPickInfo picked = {};
  if (zmPickupZmShape(world, x, y, &picked) != 0) return;
  if (picked.clump == nullptr || picked.object == nullptr || !zmIsGrabbable(picked.object)) return;
  RwVector grabPoint;
  if (zmGrabProjectPoint(picked.clump, camera, x, y, &grabPoint) != 0) return;
  grab.object = picked.object;
  grab.offset = minus(worldPosition(picked.object), grabPoint);
  grab.mode = rotate ? kRotateGrab : kMoveGrab;
  grab.undoMatrix = *zmGetWRT(picked.object);
  grab.undoObject = picked.object;
  SetCapture(view);
  grab.lastX = x;
  grab.lastY = y;
}

// Keeps the grab point under the cursor in its plane facing the camera.
void dragMove(ZmObj* object, int x, int y) {
  GrabRecord& grab = userControl().grab;
  RwCamera* camera = zmRwGetActiveCamera(object->world);
  if (camera == nullptr) return;
  const RwVector grabPoint = minus(worldPosition(object), grab.offset);
  RwVector target;
  if (projectOntoFacingPlane(camera, x, y, grabPoint, &target) != 0) return;
  const RwVector shift = minus(target, grabPoint);
  const ZmVec3 step = {shift.x, shift.y, shift.z};
  zmObjectTrans(object, &step, ZM_COORD_WORLD, 1);
  viewerMultiUser().qxUpdateObj(object);
}

void drag(int x, int y) {
  GrabRecord& grab = userControl().grab;
  if (ZmObj* object = liveInCurrentWorld(grab.object)) {
    if (grab.mode == kMoveGrab) {
      dragMove(object, x, y);
    } else {
      zmApplyVirtualTrackball(kTopAncestorMode, kGrabTrackballFactor, object, grab.lastX, grab.lastY, x, y);
    }
  }
  grab.lastX = x;
  grab.lastY = y;
}

void release() {
  GrabRecord& grab = userControl().grab;
  grab.mode = kNoGrab;
  ReleaseCapture();
}

// What the trackball reads of the active camera object.
struct CameraView {
  const ZmRT* frame;  // camera to world
  ZmVec3 eye;
  int x, y, width, height;  // viewport
  float windowWidth, windowHeight;
};

int readCameraView(ZmObj* camera, CameraView* view) {
  view->frame = zmGetWRT(camera);
  if (int result = zmGetCameraPosition(camera, &view->eye)) return result;
  if (int result = zmGetCameraViewport(camera, &view->x, &view->y, &view->width, &view->height)) return result;
  return zmGetCameraViewWindow(camera, &view->windowWidth, &view->windowHeight);
}

// The world point that view pixel (x, y) shows half a unit in front of the
// camera.
ZmVec3 pixelInWorld(const CameraView& view, int x, int y) {
  const float w = view.windowWidth, v = view.windowHeight;
  const ZmVec3 inCamera = {w / static_cast<float>(view.width) * static_cast<float>(x - view.x) - w / 2,
                           -(v / static_cast<float>(view.height) * static_cast<float>(y - view.y)) + v / 2,
                           -0.5f};
  ZmVec3 inWorld;
  zmRTTransformPoint(view.frame, &inCamera, &inWorld);
  return inWorld;
}

// The turn about `centre` (own frame): shift to the centre, turn, shift back.
ZmRT turnAbout(const ZmVec3& centre, const float rotation[9]) {
  ZmRT turn, shiftBack;
  zmRTIdentity(&turn);
  turn.t = {-centre.x, -centre.y, -centre.z};
  ZmRT rotate;
  zmRTIdentity(&rotate);
  for (int i = 0; i < 9; ++i) rotate.m[i] = rotation[i];
  zmRTIdentity(&shiftBack);
  shiftBack.t = centre;
  zmRTPreMult(&rotate, &turn);
  zmRTPreMult(&shiftBack, &turn);
  return turn;
}

}  // namespace

void zmGrabMouseEvent(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  GrabRecord& grab = userControl().grab;
  const int x = static_cast<SHORT>(LOWORD(lParam));
  const int y = static_cast<SHORT>(HIWORD(lParam));
  switch (message) {
    case WM_LBUTTONDOWN:
      if (GetKeyState(VK_MENU) & kKeyDownBit) press(view, x, y, (wParam & MK_SHIFT) != 0);
      break;
    case WM_MOUSEMOVE:
      if (grab.mode != kNoGrab) drag(x, y);
      break;
    case WM_LBUTTONUP:
      if (grab.mode != kNoGrab) release();
      break;
    default:
      break;
  }
}

int zmUndoGrab() {
  GrabRecord& grab = userControl().grab;
  ZmObj* object = liveInCurrentWorld(grab.undoObject);
  if (object == nullptr) {
    grab.undoObject = nullptr;  // its world was left: the record goes with it
    return -1;
  }
  zmObjectRotateTrans(object, &grab.undoMatrix, ZM_COORD_WORLD, 0);
  return 0;
}

int zmApplyVirtualTrackball(int mode, float factor, ZmObj* object, int x0, int y0, int x1, int y1) {
  if (mode != 0 && mode != kTopAncestorMode) {
    zmReportError("zmApplyVirtualTrackball: unknown mode");
    return -1;
  }
  if (object == nullptr) return -1;
  ZmObj* target = mode == kTopAncestorMode ? topAncestor(object) : object;
  ZmObj* camera = zmGetActiveCamera(target->world);
  if (camera == nullptr) return -1;
  CameraView view;
  if (int result = readCameraView(camera, &view)) return result;

  const ZmVec3 through[2] = {pixelInWorld(view, x0, y0), pixelInWorld(view, x1, y1)};
  ZmVec3 hit[2];
  for (int i = 0; i < 2; ++i)
    if (!zmIntersectLineAndBoundingSphere(&view.eye, &through[i], nullptr, target, factor, &hit[i])) return 0;

  ZmRT toOwn;
  zmRTInvert(zmGetWRT(target), &toOwn);
  ZmVec3 centre;
  float radius;
  if (!zmGetBoundingSphere(target, &centre, &radius)) return 0;
  ZmVec3 direction[2];
  for (int i = 0; i < 2; ++i) {
    zmRTTransformPointSelf(&toOwn, &hit[i]);
    zmVec3Sub(&hit[i], &centre, &direction[i]);
    zmVec3NormalizeSelf(&direction[i]);
  }
  ZmVec3 axis;
  zmVec3Cross(&direction[0], &direction[1], &axis);
  const double sine = zmVec3Length(&axis);
  if (sine == 0) return 0;  // one direction, or opposite ones: no turn is defined
  // atan2 holds the angle over the whole half turn; an arcsine folds angles
  // past a quarter turn back onto smaller ones.
  const double angle = std::atan2(sine, zmVec3Dot(&direction[0], &direction[1]));
  zmVec3NormalizeSelf(&axis);
  float rotation[9];
  zmMat3FromAxisAngle(&axis, angle, rotation);
  const ZmRT turn = turnAbout(centre, rotation);
  zmObjectRotateTrans(target, &turn, ZM_COORD_OWN, 1);
  viewerMultiUser().qxUpdateObj(target);
  return 0;
}

int zmGrabPickRay(RwCamera* camera, int x, int y, ZmPickRay* ray) {
  intptr_t left, top, width, height;
  float windowWidth, windowHeight;
  if (RwGetCameraViewport(camera, &left, &top, &width, &height) == nullptr) return -1;
  if (RwGetCameraViewwindow(camera, &windowWidth, &windowHeight) == nullptr) return -1;
  if (width <= 0 || height <= 0) return -1;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  ray->origin = {0, 0, 0};
  ray->direction = {static_cast<float>(x) * windowWidth / w - windowWidth / 2.0f,
                    (h - 1 - static_cast<float>(y)) * windowHeight / h - windowHeight / 2.0f, 0.5f};
  RwMatrix* frame = RwPushScratchMatrix();
  if (frame == nullptr) return -1;
  // The engine's x axis runs against the camera's: mirror it first.
  const bool ok = RwGetCameraMatrix(camera, frame) != nullptr &&
                  RwScaleMatrix(frame, -1.0f, 1.0f, 1.0f, RwPreConcat) != nullptr;
  if (ok) {
    RwTransformVector(&ray->direction, frame);
    RwTransformPoint(&ray->origin, frame);
  }
  RwPopScratchMatrix();
  return ok ? 0 : -1;
}

int zmGrabProjectPoint(RwClump* clump, RwCamera* camera, int x, int y, RwVector* point) {
  RwVector origin;
  if (RwGetClumpOrigin(clump, &origin) == nullptr) return -1;
  return projectOntoFacingPlane(camera, x, y, origin, point);
}

int zmIntersectRayPlane(const ZmPickRay* ray, const RwVector* normal, const RwVector* planePoint, float* t) {
  const float facing = RwDotProduct(&ray->direction, normal);
  if (facing == 0) return -1;
  *t = (RwDotProduct(normal, planePoint) - RwDotProduct(&ray->origin, normal)) / facing;
  return 0;
}

void zmGrabForgetSubtree(ZmObj* object) {
  GrabRecord& grab = userControl().grab;
  if (object == nullptr) return;
  if (inSubtree(grab.object, object)) grab.object = nullptr;
  if (inSubtree(grab.undoObject, object)) grab.undoObject = nullptr;
}
