// viewer/boundingbox.cpp -- the bounding-box clump of an object.
#include "viewer/boundingbox.h"

#include <cstdint>

#include "core/bounds.h"
#include "core/object.h"
#include "core/report.h"
#include "engine/clump.h"
#include "engine/material.h"
#include "engine/matrix.h"
#include "engine/modelling.h"
#include "engine/polygon.h"
#include "engine/scene.h"
#include "viewer/rendering.h"

namespace {

constexpr const char* kSetOperation = "zmRenderSetBoundingBoxInViewer()";
constexpr float kFlatSize = 0.01f;    // a flat side still gets some depth
constexpr float kInnerInset = 0.04f;  // the inner box lies 0.02 inside every face
constexpr intptr_t kWireframe = 2;
constexpr uintptr_t kHiddenSurfaceHint = 2;

// The six faces, each twice with opposite windings so they show from both
// sides, as vertex numbers of the outer box (the inner box adds 8).
constexpr int32_t kFaces[12][4] = {{1, 2, 4, 3}, {3, 4, 2, 1}, {3, 4, 8, 7}, {7, 8, 4, 3},
                                   {7, 8, 6, 5}, {5, 6, 8, 7}, {5, 6, 2, 1}, {1, 2, 6, 5},
                                   {3, 7, 5, 1}, {1, 5, 7, 3}, {8, 4, 2, 6}, {6, 2, 4, 8}};

int fail(const char* text) {
  zmReportError("%s : %s", kSetOperation, text);
  return -1;
}

bool addCorners(RwClump* clump, float hx, float hy, float hz) {
  for (int i = 0; i < 8; ++i) {
    const float x = (i & 4) ? hx : -hx, y = (i & 2) ? hy : -hy, z = (i & 1) ? hz : -hz;
    if (RwAddVertexToClump(clump, x, y, z) == 0) return false;
  }
  return true;
}

bool addFaces(RwClump* clump, int32_t offset) {
  for (const auto& face : kFaces) {
    const int32_t corners[4] = {face[0] + offset, face[1] + offset, face[2] + offset, face[3] + offset};
    if (RwAddPolygonToClump(clump, 4, corners) == nullptr) return false;
  }
  return true;
}

// The two boxes in the modelling material's wireframe yellow and blue. The
// material is pushed and popped around them so that shapes built later keep
// their own.
int addBoxes(RwClump* clump) {
  if (RwPushCurrentMaterial() == nullptr) return fail("cannot set surface");
  int result = 0;
  if (!RwSetSurface(0.75f, 0.0f, 0.0f)) result = fail("cannot set surface");
  else if (!RwSetGeometrySampling(kWireframe)) result = fail("cannot set surface geometry sampling");
  else if (!RwSetColor(1.0f, 1.0f, 0.0f)) result = fail("cannot set surface color");
  else if (!addFaces(clump, 0)) result = fail("cannot add polygon to clump");
  else if (!RwSetColor(0.0f, 0.0f, 1.0f)) result = fail("cannot set surface color");
  else if (!addFaces(clump, 8)) result = fail("cannot add polygon to clump");
  RwPopCurrentMaterial();
  return result;
}

// Gives the box the object's world matrix moved to the cube's centre.
int placeBox(RwClump* clump, ZmObj* object, const float centre[3]) {
  RwMatrix* matrix = RwPushScratchMatrix();
  if (matrix == nullptr) return fail("cannot push scratch matrix");
  int result = 0;
  if (!zmRwGetObjectWRT(object, matrix)) result = -1;
  else if (RwTranslateMatrix(matrix, centre[0], centre[1], centre[2], RwPreConcat) == nullptr)
    result = fail("cannot translate matrix");
  else if (RwTransformClump(clump, matrix, RwReplace) == nullptr) result = fail("cannot transform clump");
  if (RwPopScratchMatrix() == nullptr) result = fail("cannot pop scratch matrix");
  return result;
}

int buildBox(RwClump* clump, ZmObj* object, const ZmBoundingCube& cube) {
  const float low[3] = {cube.local_min.x, cube.local_min.y, cube.local_min.z};
  const float high[3] = {cube.local_max.x, cube.local_max.y, cube.local_max.z};
  float half[3], inner[3], centre[3];
  for (int i = 0; i < 3; ++i) {
    float size = high[i] - low[i];
    if (size == 0.0f) size = kFlatSize;
    centre[i] = low[i] + size / 2;
    half[i] = size / 2;
    inner[i] = (size - kInnerInset) / 2;
  }
  if (!addCorners(clump, half[0], half[1], half[2]) || !addCorners(clump, inner[0], inner[1], inner[2]))
    return fail("cannot create vertex");
  if (addBoxes(clump) != 0) return -1;
  if (placeBox(clump, object, centre) != 0) return -1;
  if (RwClearClumpFlags(clump, kHiddenSurfaceHint) == nullptr) return fail("cannot remove hint from clump");
  RwScene* scene = zmRwGetScene(object->world);
  if (scene == nullptr) return -1;
  if (RwAddClumpToScene(scene, clump) == nullptr) return fail("cannot add clump to scene");
  return 0;
}

}  // namespace

int zmRenderSetBoundingBoxInViewer(ZmObj* object) {
  if (zmGetObjExtension(object, zmRenderBoundingBox) != 0) return 0;
  const ZmBoundingCube* cube = zmGetObjBoundingCube(object);
  if (cube == nullptr) return -1;
  RwClump* clump = RwCreateClump(16, 24);
  if (clump == nullptr) return fail("cannot create clump");
  // A box that failed half way is destroyed, so that nothing unowned is left.
  if (buildBox(clump, object, *cube) != 0 ||
      zmRegisterObjExtension(object, zmRenderBoundingBox, reinterpret_cast<intptr_t>(clump)) != 0) {
    RwDestroyClump(clump);
    return -1;
  }
  if (RwSetClumpData(clump, reinterpret_cast<uintptr_t>(object)) == nullptr) return fail("cannot set data to clump");
  return 0;
}

int zmRenderDeleteBoundingBoxInViewer(ZmObj* object) {
  auto* clump = reinterpret_cast<RwClump*>(zmGetObjExtension(object, zmRenderBoundingBox));
  if (clump == nullptr) return 0;
  if (!RwDestroyClump(clump)) {
    zmReportError("%s : %s", "zmRenderDeleteBoundingBoxInViewer()", "cannot destroy clump");
    return -1;
  }
  return zmDeleteObjExtension(object, zmRenderBoundingBox) == 0 ? 0 : -1;
}
