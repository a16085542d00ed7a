// engine/render.cpp -- the clump render pipeline and the clump pick.
#include "engine/render.h"

#include <algorithm>
#include <cstring>

#include "engine/camera.h"
#include "engine/clip.h"
#include "engine/clump.h"
#include "engine/depthsort.h"
#include "engine/drawingstate.h"
#include "engine/error.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/pick.h"
#include "engine/polydraw.h"
#include "engine/polygon.h"
#include "engine/renderstate.h"
#include "engine/scene.h"
#include "engine/userdraw.h"
#include "engine/vertexxform.h"

namespace {

// ---- screen bounds

struct Range {
  float low, high;
};

// Smallest and largest of coefficients . p + constant over the box.
Range rangeOverBox(const float (&coefficients)[3], float constant, const RwVector& minimum, const RwVector& maximum) {
  const float lows[3] = {minimum.x, minimum.y, minimum.z};
  const float highs[3] = {maximum.x, maximum.y, maximum.z};
  Range range = {constant, constant};
  for (int i = 0; i < 3; ++i) {
    const float a = coefficients[i] * lows[i], b = coefficients[i] * highs[i];
    range.low += std::min(a, b);
    range.high += std::max(a, b);
  }
  return range;
}

// Camera-frame coordinate `column` of the work matrix over the box,
// optionally subtracted from coordinate `from` (or from 1 when from < 0).
Range coordinateRange(const RwMatrix& work, int column, int from, bool fromOne, const RwVector& minimum,
                      const RwVector& maximum) {
  float coefficients[3];
  float constant;
  if (from < 0) {
    for (int i = 0; i < 3; ++i) coefficients[i] = work.m[i][column];
    constant = work.m[3][column];
    if (fromOne) {
      for (float& c : coefficients) c = -c;
      constant = 1.0f - constant;
    }
  } else {
    for (int i = 0; i < 3; ++i) coefficients[i] = work.m[i][from] - work.m[i][column];
    constant = work.m[3][from] - work.m[3][column];
  }
  return rangeOverBox(coefficients, constant, minimum, maximum);
}

/*
 * The box against the view volume, depth first. The first wholly-outside
 * test that holds is the answer; otherwise the bits of the crossed planes.
 */
uintptr_t classifyBox(const RwMatrix& work, const RwCamera& camera, const RwVector& minimum,
                      const RwVector& maximum, Range* depth) {
  const bool parallel = camera.projection == rwParallel;
  *depth = coordinateRange(work, 2, -1, false, minimum, maximum);
  uintptr_t code = 0;
  if (depth->high < camera.nearClipping) return 4096;
  if (depth->low < camera.nearClipping) code |= rwOutNear;
  if (depth->low > camera.farClipping) return 8192;
  if (depth->high > camera.farClipping) code |= rwOutFar;
  struct Test {
    int column, from;
    bool fromOne;
    uintptr_t whollyOutside, crossed;
  };
  const Test tests[] = {
      {0, -1, false, 256, rwOutXLow},
      {1, -1, false, 1024, rwOutYLow},
      {0, parallel ? -1 : 2, parallel, 512, rwOutXHigh},
      {1, parallel ? -1 : 2, parallel, 2048, rwOutYHigh},
  };
  for (const Test& test : tests) {
    Range range = coordinateRange(work, test.column, test.from, test.fromOne, minimum, maximum);
    if (range.high < 0.0f) return test.whollyOutside;
    if (range.low < 0.0f) code |= test.crossed;
  }
  return code;
}

RwVertex* corners(RwClump* clump) { return clump->vertexArray->vertices; }

// Whole pixels of the projected corners (outcode 0).
RwRect projectedCornerRect(RwClump* clump, const RwMatrix& work, const RwCamera& camera) {
  RwVertex* corner = corners(clump);
  RwTransformVertices(corner, rwReservedVertices, &work, &camera, rwTransformAndProject);
  int32_t minX = corner[0].screenX, maxX = minX, minY = corner[0].screenY, maxY = minY;
  for (int i = 1; i < rwReservedVertices; ++i) {
    minX = std::min(minX, corner[i].screenX);
    maxX = std::max(maxX, corner[i].screenX);
    minY = std::min(minY, corner[i].screenY);
    maxY = std::max(maxY, corner[i].screenY);
  }
  const int32_t x = minX >> 16, y = minY >> 16;
  return {x, y, (maxX >> 16) - x, (maxY >> 16) - y};
}

// The faces of the corner box by slot (bit 0 x, bit 1 y, bit 2 z), each
// walked around its edge.
constexpr int boxFaces[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}};

int collectExtremes(RwPolygon* polygon) {
  RwDrawingState::RenderModule& rendering = rwDrawingState().rendering;
  rendering.extremes.reached = true;
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) {
    const RwVertex& v = *polygon->vertices[i];
    float x, y;
    std::memcpy(&x, &v.screenX, sizeof x);
    std::memcpy(&y, &v.screenY, sizeof y);
    if (rendering.extremes.perspective) {
      x /= v.cameraDepth;
      y /= v.cameraDepth;
    }
    rendering.extremes.minX = std::min(rendering.extremes.minX, x);
    rendering.extremes.maxX = std::max(rendering.extremes.maxX, x);
    rendering.extremes.minY = std::min(rendering.extremes.minY, y);
    rendering.extremes.maxY = std::max(rendering.extremes.maxY, y);
  }
  return 0;
}

/*
 * The rectangle of a box that crosses planes: its faces go through the clip
 * chain into the collector. The outcode becomes the planes the surviving
 * faces cross; when no face survives the box is wholly outside.
 */
uintptr_t clippedCornerRect(RwClump* clump, const RwMatrix& work, RwCamera& camera, uintptr_t outcode,
                            RwRect* rect) {
  RwDrawingState::RenderModule& rendering = rwDrawingState().rendering;
  RwVertex* corner = corners(clump);
  RwTransformVertices(corner, rwReservedVertices, &work, &camera, rwTransformOnly);
  rendering.extremes = {rwLargestFloat, -rwLargestFloat, rwLargestFloat, -rwLargestFloat,
              camera.projection == rwPerspective, false};
  RwCamera* previous = rwRenderState.currentCamera;
  rwRenderState.currentCamera = &camera;
  RwDrawEntry head = RwBuildClipChain(collectExtremes, outcode);
  uintptr_t codes = 0;
  for (const auto& face : boxFaces) {
    alignas(RwPolygon) unsigned char bytes[sizeof(RwPolygon) + 4 * sizeof(RwVertex*)] = {};
    auto* polygon = reinterpret_cast<RwPolygon*>(bytes);
    polygon->vertexCount = 4;
    for (int i = 0; i < 4; ++i) polygon->vertices[i] = &corner[face[i]];
    codes |= static_cast<uintptr_t>(head(polygon));
  }
  rwRenderState.currentCamera = previous;
  if (!rendering.extremes.reached) {
    const uintptr_t outside = codes & ~rwOutAllPlanes;
    return outside ? outside : rwWhollyOutside;
  }
  outcode = codes & rwOutAllPlanes;
  if (outcode & rwOutXLow) rendering.extremes.minX = 0.0f;
  if (outcode & rwOutXHigh) rendering.extremes.maxX = 1.0f;
  if (outcode & rwOutYLow) rendering.extremes.minY = 0.0f;
  if (outcode & rwOutYHigh) rendering.extremes.maxY = 1.0f;
  const int32_t x = RwRealToInt(rendering.extremes.minX * camera.viewportScale[0]) >> 16;
  const int32_t y = RwRealToInt(rendering.extremes.minY * camera.viewportScale[1]) >> 16;
  *rect = {x, y, (RwRealToInt(rendering.extremes.maxX * camera.viewportScale[0]) >> 16) - x,
           (RwRealToInt(rendering.extremes.maxY * camera.viewportScale[1]) >> 16) - y};
  return outcode;
}

// ---- alignment

RwVector matrixRow(const RwMatrix& m, int r) { return {m.m[r][0], m.m[r][1], m.m[r][2]}; }
void setMatrixRow(RwMatrix& m, int r, const RwVector& v) {
  m.m[r][0] = v.x;
  m.m[r][1] = v.y;
  m.m[r][2] = v.z;
}

// normalise(a x b), or the fallback when that has no length.
RwVector normalisedCross(const RwVector& a, const RwVector& b, const RwVector& fallback) {
  RwVector c;
  RwCrossProduct(&a, &b, &c);
  RwVector unit;
  return RwNormalizeVector(&unit, &c) > 0.0f ? unit : fallback;
}

// ---- drawing

bool uniformPair(const RwClump* clump) { return clump->drawChoice.uniform != 0; }

// The clump's rectangle in the z-buffer, widened like its damage so that
// the last column and row are cleared too.
void clearClumpDepth(const RwRect& rect) {
  if (!rwDeviceRecord.clearDepthRect) return;
  const RwRect widened = {rect.x, rect.y, rect.width + 1, rect.height + 1};
  rwDeviceRecord.clearDepthRect(&widened);
}

RwDrawEntry chooseEntry(RwClump* clump, const RwRect& rect) {
  const bool group = RwIsDepthGroup() != 0;
  const intptr_t mode = RwClumpHiddenSurfaceMode(clump);
  const bool zBuffered = group || mode == rwZBuffered;
  if (zBuffered && !group) clearClumpDepth(rect);
  if (uniformPair(clump)) return zBuffered ? clump->drawChoice.depthBuffered : clump->drawChoice.plain;
  return zBuffered ? RwDrawPolygonZ : RwDrawPolygonPlain;
}

bool cacheMatches(const RwClump* clump, const RwCamera* camera) {
  return clump->cachedCamera == camera && clump->cachedCameraStamp == camera->changeStamp &&
         clump->cachedZScale == rwRenderState.zScale && clump->cachedZOffset == rwRenderState.zOffset;
}

bool pointInRect(intptr_t x, intptr_t y, const RwRect& rect) {
  return x >= rect.x && x <= rect.x + rect.width && y >= rect.y && y <= rect.y + rect.height;
}

// The world point of a pick: where the pick ray meets the polygon's plane
// from its front, else the nearest vertex.
void hitPoint(RwClump* clump, const RwPolygon* polygon, intptr_t vertexIndex, RwCamera* camera, intptr_t x,
              intptr_t y, float* out) {
  RwVector origin, direction;
  RwVector point;
  bool onPlane = false;
  if (RwCameraPickRay(camera, x, y, &origin, &direction)) {
    const RwVector modelNormal = {polygon->normal[0] / 16384.0f, polygon->normal[1] / 16384.0f,
                                  polygon->normal[2] / 16384.0f};
    RwVector normal, centre = {RwFixedToReal(polygon->centre[0]), RwFixedToReal(polygon->centre[1]),
                               RwFixedToReal(polygon->centre[2])};
    RwTransformNormal(&normal, &modelNormal, &clump->worldMatrix);
    RwTransformPoint(&centre, &clump->worldMatrix);
    RwVector fromCentre;
    RwSubtractVector(&origin, &centre, &fromCentre);
    const float distance = RwDotProduct(&fromCentre, &normal);
    const float approach = RwDotProduct(&direction, &normal);
    if (approach < 0.0f && distance > 0.0f) {
      RwAddScaledVector(&origin, &direction, -distance / approach, &point);
      onPlane = true;
    }
  }
  if (!onPlane) {
    point = RwVertexAt(clump->vertexArray, vertexIndex)->model;
    RwTransformPoint(&point, &clump->worldMatrix);
  }
  out[0] = point.x;
  out[1] = point.y;
  out[2] = point.z;
}

// ---- the scene's slots

uintptr_t sceneScreenBounds(RwClump* clump, RwCamera* camera, RwRect* rect, float* depthRange) {
  RwMatrix work;
  const uintptr_t outcode = RwGetClumpScreenBounds(clump, &work, camera, rect, depthRange);
  if (clump->alignment != rwAlignNone) RwRestoreClumpMatrix(clump);
  return outcode;
}

constexpr RwSceneLinks clumpPipeline = {
    .clumpScreenBounds = sceneScreenBounds,
    .renderClump = RwRenderClump,
    .pickClump = RwPickClump,
};

}  // namespace

int RwOpenRenderPipeline() {
  rwSceneLinks.provide(clumpPipeline);
  return 1;
}

int RwCloseRenderPipeline() {
  rwSceneLinks.withdraw();
  return 1;
}

uintptr_t RwGetClumpScreenBounds(RwClump* clump, RwMatrix* work, RwCamera* camera, RwRect* rect,
                                 float* depthRange) {
  RwUpdateCameraView(camera);
  if (clump->alignment != rwAlignNone) {
    RwSaveClumpMatrix(clump);
    RwAlignClumpToCamera(clump, camera);
  }
  RwMultiplyMatrix(&clump->worldMatrix, &camera->viewMatrix, work);
  const RwVector minimum = RwVertexAt(clump->vertexArray, rwMinimumCorner)->model;
  const RwVector maximum = RwVertexAt(clump->vertexArray, rwMaximumCorner)->model;
  Range depth;
  uintptr_t outcode = classifyBox(*work, *camera, minimum, maximum, &depth);
  *rect = {0, 0, 0, 0};
  if (outcode < rwWhollyOutside) {
    if (outcode & rwOutNear) depth.low = camera->nearClipping;
    if (outcode & rwOutFar) depth.high = camera->farClipping;
    if (outcode == 0) {
      *rect = projectedCornerRect(clump, *work, *camera);
    } else {
      outcode = clippedCornerRect(clump, *work, *camera, outcode, rect);
      if (outcode >= rwWhollyOutside) *rect = {0, 0, 0, 0};
    }
  }
  if (depthRange) {
    depthRange[0] = depth.low;
    depthRange[1] = depth.high;
  }
  return outcode;
}

void RwPrepareClumpVertices(RwClump* clump, const RwMatrix* work, RwCamera* camera, uintptr_t outcode,
                            const float* depthRange) {
  // Fitting the mapping first lets the cache compare against the clump's
  // own mapping, so an unmoved clump is not transformed again each frame.
  if (!RwIsDepthGroup()) RwSetZProjection(depthRange);
  if (cacheMatches(clump, camera)) return;
  RwVertexArray* array = clump->vertexArray;
  RwTransformVertices(array->vertices + rwReservedVertices, array->count - rwReservedVertices, work, camera,
                      outcode ? rwTransformOnly : rwTransformAndProject);
  clump->cachedCamera = camera;
  clump->cachedCameraStamp = camera->changeStamp;
  clump->cachedZScale = rwRenderState.zScale;
  clump->cachedZOffset = rwRenderState.zOffset;
}

int RwRenderClump(RwClump* clump) {
  RwCamera* camera = rwRenderState.currentCamera;
  if (!clump || !camera) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  if (clump->state == rwClumpOff) return 0;
  RwMatrix work;
  RwRect rect;
  float depth[2];
  const uintptr_t outcode = RwGetClumpScreenBounds(clump, &work, camera, &rect, depth);
  const bool aligned = clump->alignment != rwAlignNone;
  clump->lastOutcode = outcode;
  if (outcode >= rwWhollyOutside || rect.width == 0 || rect.height == 0) {
    if (aligned) RwRestoreClumpMatrix(clump);
    return 0;
  }
  RwPrepareClumpVertices(clump, &work, camera, outcode, depth);
  RwDamageCameraRect(camera, rect.x, rect.y, rect.width + 1, rect.height + 1);
  if (clump->drawChoice.reevaluate) RwClassifyClumpMaterials(clump);
  RwLightClump(clump);
  if (rwDeviceRecord.clumpRenderHook) rwDeviceRecord.clumpRenderHook(clump);
  RwDrawEntry entry = chooseEntry(clump, rect);
  if (outcode) {
    RwSetClipFinalStage(entry);
    entry = RwBuildClipChain(RwClipDriverFor(camera), outcode);
  }
  RwDrawClumpPolygons(entry, clump, &rect);
  if (clump->userDraws) RwPlaceClumpUserDraws(clump, &rect, camera);
  if (aligned) RwRestoreClumpMatrix(clump);
  return 1;
}

void RwDrawClumpPolygons(RwDrawEntry entry, RwClump* clump, const RwRect* rect) {
  const intptr_t mode = RwIsDepthGroup() ? rwZBuffered : RwClumpHiddenSurfaceMode(clump);
  // A clump whose order is missing (failed, or not yet built for its
  // polygons) is drawn in draw-list order.
  if (mode == rwPlaneOrdered && RwPlaneOrderCoversClump(clump)) {
    if (!RwPlaneOrderIsOnePlainRun(clump)) clearClumpDepth(*rect);
    RwDrawPlaneOrder(entry, clump);
    return;
  }
  RwDrawPolygonList(entry, clump);
}

void RwSaveClumpMatrix(RwClump* clump) {
  RwDrawingState::RenderModule& rendering = rwDrawingState().rendering;
  std::memcpy(&rendering.savedMatrix, &clump->worldMatrix, sizeof rendering.savedMatrix);
}

void RwRestoreClumpMatrix(RwClump* clump) {
  RwDrawingState::RenderModule& rendering = rwDrawingState().rendering;
  std::memcpy(&clump->worldMatrix, &rendering.savedMatrix, sizeof rendering.savedMatrix);
}

RwClump* RwAlignClumpToCamera(RwClump* clump, const RwCamera* camera) {
  if (!clump || !camera) return failWith<RwClump>(rwErrInvalidArgument);
  const intptr_t alignment = clump->alignment;
  if (alignment < rwAlignNone || alignment > rwAlignXYZ) return failWith<RwClump>(rwErrHintValue);
  if (alignment == rwAlignNone) return clump;
  RwMatrix& world = clump->worldMatrix;
  const RwVector right = matrixRow(camera->matrix, 0);
  const RwVector up = matrixRow(camera->matrix, 1);
  RwVector z = matrixRow(camera->matrix, 2);
  RwScaleVector(&z, -1.0f, &z);
  const RwVector oldX = matrixRow(world, 0), oldY = matrixRow(world, 1);
  RwVector x, y;
  const float xLength = RwNormalizeVector(&x, &oldX);
  const float yLength = RwNormalizeVector(&y, &oldY);
  if (alignment == rwAlignZOrientX) {
    y = normalisedCross(z, x, up);
    x = normalisedCross(y, z, x);
  } else if (alignment == rwAlignZOrientY) {
    x = normalisedCross(y, z, right);
    y = normalisedCross(z, x, y);
  } else {
    x = right;
    y = up;
    RwScaleVector(&x, -1.0f, &x);
  }
  RwScaleVector(&x, xLength, &x);
  RwScaleVector(&y, yLength, &y);
  setMatrixRow(world, 0, x);
  setMatrixRow(world, 1, y);
  setMatrixRow(world, 2, z);
  world.identity = 0;
  world.changed = 1;
  return clump;
}

RwClump* RwSetClumpAxisAlignment(RwClump* clump, intptr_t alignment) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  clump->modellingMatrix.changed = 1;
  if (alignment < rwAlignNone || alignment > rwAlignXYZ) return failWith<RwClump>(rwErrHintValue);
  clump->alignment = alignment;
  return clump;
}

intptr_t RwGetClumpAxisAlignment(const RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return clump->alignment;
}

int RwBackFacing(const RwPolygon* polygon) {
  const RwVertex* p0 = polygon->vertices[0];
  const RwVertex* p1 = polygon->vertices[1];
  const RwVertex* p2 = polygon->vertices[2];
  const int32_t a0 = p1->screenY - p0->screenY, b0 = p1->depth - p0->depth;
  const int32_t a1 = p2->screenY - p1->screenY, b1 = p2->depth - p1->depth;
  if ((a1 ^ b0 ^ b1 ^ a0) < 0) return (a1 ^ b0) >= 0 ? 1 : 0;
  const double cross = static_cast<double>(a1) * b0 - static_cast<double>(b1) * a0;
  return cross >= 0.0 ? 1 : 0;
}

RwPickRecord* RwPickClump(RwClump* clump, intptr_t x, intptr_t y, RwCamera* camera, RwPickRecord* record) {
  if (!clump || !camera || !record) return failWith<RwPickRecord>(rwErrInvalidArgument);
  record->kind = 0;
  if (x < 0 || y < 0 || x >= camera->viewport[2] || y >= camera->viewport[3]) return record;
  if (clump->state == rwClumpOff) return record;
  RwCamera* previous = rwRenderState.currentCamera;
  rwRenderState.currentCamera = camera;
  RwMatrix work;
  RwRect rect;
  float depth[2];
  const uintptr_t outcode = RwGetClumpScreenBounds(clump, &work, camera, &rect, depth);
  clump->lastOutcode = outcode;
  if (outcode < rwWhollyOutside && rect.width && rect.height && pointInRect(x, y, rect)) {
    RwPrepareClumpVertices(clump, &work, camera, outcode, depth);
    RwPolygon* hit = RwPickClumpPolygons(outcode, clump, camera, static_cast<RwFixed>(x * 65536),
                                         static_cast<RwFixed>(y * 65536));
    if (hit) {
      record->kind = 1;
      record->clump = clump;
      record->polygon = hit;
      record->vertexIndex = RwGetNearestPolygonVertex(hit, x, y, &record->squaredDistance);
      hitPoint(clump, hit, record->vertexIndex, camera, x, y, record->point);
    }
  }
  if (clump->alignment != rwAlignNone) RwRestoreClumpMatrix(clump);
  rwRenderState.currentCamera = previous;
  return record;
}
