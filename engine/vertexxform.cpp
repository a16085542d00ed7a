// engine/vertexxform.cpp -- the vertex transform and the orientation test.
#include "engine/vertexxform.h"

#include <bit>
#include <cmath>

#include "engine/camera.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/renderstate.h"

namespace {

constexpr int32_t unrepresentable = INT32_MIN;  // what the hardware conversion gives

// Nearest integer, ties to even (the default rounding mode).
int32_t roundToInt32(float value) {
  float rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0f && rounded < 2147483648.0f)) return unrepresentable;
  return static_cast<int32_t>(rounded);
}

struct CameraPoint {
  float x, y, z;
};

CameraPoint transform(const RwVector& p, const float (&m)[4][4]) {
  return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
          p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
          p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
}

void storeCameraFrame(RwVertex& vertex, const CameraPoint& c) {
  vertex.screenX = std::bit_cast<int32_t>(c.x);
  vertex.screenY = std::bit_cast<int32_t>(c.y);
  vertex.depth = std::bit_cast<int32_t>(c.z);
  vertex.cameraDepth = c.z;
}

}  // namespace

void RwTransformVertices(RwVertex* vertices, intptr_t count, const RwMatrix* matrix, const RwCamera* camera,
                         int mode) {
  const float (&m)[4][4] = matrix->m;
  if (mode == rwTransformOnly) {
    for (intptr_t i = 0; i < count; ++i) storeCameraFrame(vertices[i], transform(vertices[i].model, m));
    return;
  }
  // Viewport scale: 16.16 pixels per unit of the normalised screen.
  const float scaleX = camera->viewportScale[0];
  const float scaleY = camera->viewportScale[1];
  const float zScale = rwRenderState.zScale;
  const float zOffset = rwRenderState.zOffset;
  if (camera->projection == 1) {
    for (intptr_t i = 0; i < count; ++i) {
      RwVertex& vertex = vertices[i];
      CameraPoint c = transform(vertex.model, m);
      float reciprocal = 1.0f / c.z;  // one divide per vertex
      vertex.screenX = roundToInt32(c.x * reciprocal * scaleX);
      vertex.screenY = roundToInt32(c.y * reciprocal * scaleY);
      vertex.depth = roundToInt32(reciprocal * zScale + zOffset);
      vertex.cameraDepth = c.z;
    }
  } else {
    for (intptr_t i = 0; i < count; ++i) {
      RwVertex& vertex = vertices[i];
      CameraPoint c = transform(vertex.model, m);
      vertex.screenX = roundToInt32(c.x * scaleX);
      vertex.screenY = roundToInt32(c.y * scaleY);
      vertex.depth = roundToInt32(c.z * zScale + zOffset);
      vertex.cameraDepth = c.z;
    }
  }
}

int RwTriOrientation(const RwPolygon* polygon) {
  const RwVertex* v0 = polygon->vertices[0];
  const RwVertex* v1 = polygon->vertices[1];
  const RwVertex* v2 = polygon->vertices[2];
  // a = v1 - v0, c = v1 - v2 (16.16, wrapping as the registers did);
  // the sign of c.x a.y - a.x c.y decides.
  const auto ax = static_cast<int32_t>(static_cast<uint32_t>(v1->screenX) - static_cast<uint32_t>(v0->screenX));
  const auto ay = static_cast<int32_t>(static_cast<uint32_t>(v1->screenY) - static_cast<uint32_t>(v0->screenY));
  const auto cx = static_cast<int32_t>(static_cast<uint32_t>(v1->screenX) - static_cast<uint32_t>(v2->screenX));
  const auto cy = static_cast<int32_t>(static_cast<uint32_t>(v1->screenY) - static_cast<uint32_t>(v2->screenY));
  const bool firstNegative = (cx ^ ay) < 0;
  const bool secondNegative = (ax ^ cy) < 0;
  if (firstNegative != secondNegative) return firstNegative ? 1 : 0;  // signs alone decide
  int64_t difference = int64_t{cx} * ay - int64_t{ax} * cy;
  return difference < 0 ? 1 : 0;
}
