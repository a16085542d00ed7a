// viewer/rendering.cpp -- the world's engine scene and object placement.
#include "viewer/rendering.h"

#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/light.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "viewer/renderstate.h"
#include "viewer/sceneobjects.h"

namespace {

RenderState renderRecord = {};  // see viewer/renderstate.h

}  // namespace

RenderState& renderState() { return renderRecord; }

RwScene* zmRwGetScene(ZmWorld* world) {
  if (world == nullptr || world->rendering == nullptr) return nullptr;
  return world->rendering->scene;
}

int zmRwGetObjectWRT(ZmObj* object, RwMatrix* matrix) {
  if (object == nullptr || matrix == nullptr) {
    zmReportError("%s : %s", "zmRwGetObjectWRT()", "invalid argument");
    return 0;
  }
  const ZmRT* rt = zmGetWRT(object);
  RwIdentityMatrix(matrix);
  for (int row = 0; row < 3; row++)
    for (int column = 0; column < 3; column++) RwSetMatrixElement(matrix, row, column, rt->m[row * 3 + column]);
  RwSetMatrixElement(matrix, 3, 0, rt->t.x);
  RwSetMatrixElement(matrix, 3, 1, rt->t.y);
  RwSetMatrixElement(matrix, 3, 2, rt->t.z);
  return 1;
}

int zmRwGetShapeWRT(ZmObj* object, RwMatrix* matrix) {
  if (!zmRwGetObjectWRT(object, matrix)) return 0;
  const float* s = object->scale;
  if ((s[0] != 1.0f || s[1] != 1.0f || s[2] != 1.0f) && RwScaleMatrix(matrix, s[0], s[1], s[2], RwPreConcat) == nullptr)
    return 0;
  return 1;
}

int zmRenderTransformZmShape(ZmLeaf* leaf) {
  if (leaf == nullptr || leaf->rendering == nullptr) return -1;
  RwMatrix matrix;
  if (!zmRwGetShapeWRT(leaf->owner, &matrix)) return -1;
  if (RwTransformClump(zmRwGetLeafClump(leaf), &matrix, RwReplace) == nullptr) {
    zmReportError("%s : %s", "zmRenderTransformZmShape()", "cannot transform clump");
    return -1;
  }
  return 0;
}

int zmRenderTransformZmLight(ZmLeaf* leaf) {
  if (leaf == nullptr || leaf->rendering == nullptr) return -1;
  auto* light = static_cast<RwLight*>(leaf->rendering);
  const ZmRT* rt = zmGetWRT(leaf->owner);
  if (leaf->kind != ZM_LEAF_DIRECTIONAL_LIGHT &&
      RwSetLightPosition(light, rt->t.x, rt->t.y, rt->t.z) == nullptr) {
    zmReportError("%s : %s", "zmRenderTransformZmLight()", "cannot set light position");
    return -1;
  }
  // The owner's -z axis in world space is the negated third rotation row.
  if (leaf->kind != ZM_LEAF_POINT_LIGHT &&
      RwSetLightVector(light, -rt->m[6], -rt->m[7], -rt->m[8]) == nullptr) {
    zmReportError("%s : %s", "zmRenderTransformZmLight()", "cannot set light vector");
    return -1;
  }
  return 0;
}

int zmRenderTransformCameraLeaf(ZmLeaf* leaf) {
  if (leaf == nullptr || leaf->rendering == nullptr) return -1;
  return zmRenderTransformZmCamera(leaf, static_cast<RwCamera*>(leaf->rendering));
}

void zmGetViewWindowSize(int* width, int* height) {
  ViewWindowSize& viewWindow = renderRecord.viewWindow;
  *width = viewWindow.width;
  *height = viewWindow.height;
}

void zmSetViewWindowSize(int width, int height) { renderRecord.viewWindow = {width, height}; }
