// engine/clip.cpp -- the clip chain: stages, drivers and their scratch.
#include "engine/clip.h"

#include <bit>
#include <cstring>

#include "engine/camera.h"
#include "engine/drawingstate.h"
#include "engine/fixed.h"
#include "engine/material.h"
#include "engine/pool.h"
#include "engine/renderstate.h"
#include "engine/vertexxform.h"

namespace {

// The clip chain and what its final stages report to
// (engine/drawingstate.h). Defined here, where the stages are run for every
// polygon, so that the stage table below can point into it.
RwDrawingState drawing;

float cameraX(const RwVertex& v) { return std::bit_cast<float>(v.screenX); }
float cameraY(const RwVertex& v) { return std::bit_cast<float>(v.screenY); }
float cameraZ(const RwVertex& v) { return v.cameraDepth; }

const RwCamera& clipCamera() { return *rwRenderState.currentCamera; }

// One plane of a stage: its signed distance (negative outside), its
// outcode bit and mark, and how a vertex made on it is completed.
enum class Axis { x, y, z };
struct Plane {
  Axis axis;
  uintptr_t bit;
  uint8_t mark;
  float (*distance)(const RwVertex& v);
  float (*exactValue)(const RwVertex& made);  // the coordinate on the plane
};

float zero(const RwVertex&) { return 0.0f; }
float one(const RwVertex&) { return 1.0f; }
float ownDepth(const RwVertex& made) { return made.cameraDepth; }
float nearValue(const RwVertex&) { return clipCamera().nearClipping; }
float farValue(const RwVertex&) { return clipCamera().farClipping; }

const Plane xLow = {Axis::x, rwOutXLow, rwMarkXLow, [](const RwVertex& v) { return cameraX(v); }, zero};
const Plane xHighParallel = {Axis::x, rwOutXHigh, rwMarkXHigh, [](const RwVertex& v) { return 1.0f - cameraX(v); },
                             one};
const Plane xHighPerspective = {Axis::x, rwOutXHigh, rwMarkXHigh,
                                [](const RwVertex& v) { return cameraZ(v) - cameraX(v); }, ownDepth};
const Plane yLow = {Axis::y, rwOutYLow, rwMarkYLow, [](const RwVertex& v) { return cameraY(v); }, zero};
const Plane yHighParallel = {Axis::y, rwOutYHigh, rwMarkYHigh, [](const RwVertex& v) { return 1.0f - cameraY(v); },
                             one};
const Plane yHighPerspective = {Axis::y, rwOutYHigh, rwMarkYHigh,
                                [](const RwVertex& v) { return cameraZ(v) - cameraY(v); }, ownDepth};
const Plane nearPlane = {Axis::z, rwOutNear, rwMarkNear,
                         [](const RwVertex& v) { return cameraZ(v) - clipCamera().nearClipping; }, nearValue};
const Plane farPlane = {Axis::z, rwOutFar, rwMarkFar,
                        [](const RwVertex& v) { return clipCamera().farClipping - cameraZ(v); }, farValue};

void setCameraFrame(RwVertex& v, float x, float y, float z) {
  v.screenX = std::bit_cast<int32_t>(x);
  v.screenY = std::bit_cast<int32_t>(y);
  v.depth = std::bit_cast<int32_t>(z);
  v.cameraDepth = z;
}

// 16.16 interpolation of a fixed-point value with t already in 16.16.
RwFixed lerpFixed(RwFixed inside, RwFixed outside, RwFixed t) { return inside + RwFixMul(t, outside - inside); }

/*
 * The vertex where the edge from the inside vertex to the outside one meets
 * the plane. Interpolating always from the inside end makes an edge shared
 * by two polygons give the same vertex whichever way each walks it.
 */
void placeOnPlane(RwVertex& made, const RwVertex& inside, const RwVertex& outside, const Plane& plane,
                  bool textured) {
  const float dInside = plane.distance(inside);
  const float t = dInside / (dInside - plane.distance(outside));
  const float x = cameraX(inside) + t * (cameraX(outside) - cameraX(inside));
  const float y = cameraY(inside) + t * (cameraY(outside) - cameraY(inside));
  const float z = cameraZ(inside) + t * (cameraZ(outside) - cameraZ(inside));
  setCameraFrame(made, x, y, z);
  const float exact = plane.exactValue(made);
  switch (plane.axis) {
    case Axis::x: made.screenX = std::bit_cast<int32_t>(exact); break;
    case Axis::y: made.screenY = std::bit_cast<int32_t>(exact); break;
    case Axis::z: setCameraFrame(made, x, y, exact); break;
  }
  const RwFixed fixedT = RwRealToInt(t * 65536.0f);
  for (int c = 0; c < 3; ++c) made.intensity[c] = lerpFixed(inside.intensity[c], outside.intensity[c], fixedT);
  // Untextured routines never read u and v; zero keeps recorded output stable.
  made.u = textured ? lerpFixed(inside.u, outside.u, fixedT) : 0;
  made.v = textured ? lerpFixed(inside.v, outside.v, fixedT) : 0;
  made.flags = static_cast<uint8_t>(outside.flags | plane.mark);
}

// A stage over one plane (high null) or both planes of an axis.
struct Stage {
  const Plane* low;
  const Plane* high;
  RwDrawEntry* next;
};

// Which plane of the stage the vertex is outside of, or null.
const Plane* outsidePlane(const Stage& stage, const RwVertex& v) {
  if (stage.low && stage.low->distance(v) < 0.0f) return stage.low;
  if (stage.high && stage.high->distance(v) < 0.0f) return stage.high;
  return nullptr;
}

RwVertex* makeOnPlane(RwClipScratch& out, const RwVertex& a, const RwVertex& b, const Plane& plane, bool aInside,
                      bool textured) {
  RwVertex* made = out.makeVertex();
  if (made) placeOnPlane(*made, aInside ? a : b, aInside ? b : a, plane, textured);
  return made;
}

int runStage(const Stage& stage, RwPolygon* polygon) {
  const uint32_t n = polygon->vertexCount;
  uintptr_t all = rwOutAllPlanes, any = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const Plane* plane = outsidePlane(stage, *polygon->vertices[i]);
    const uintptr_t code = plane ? plane->bit : 0;
    all &= code;
    any |= code;
  }
  const int own = static_cast<int>((all << rwWhollyOutsideShift) | any);
  if (all) return own;
  RwClipScratch out(polygon);
  if (!out.ok()) return own | rwClipDropped;
  if (any == 0) {
    for (uint32_t i = 0; i < n; ++i) {
      RwVertex* copy = out.makeVertex();
      *copy = *polygon->vertices[i];
      out.emit(copy);
    }
  } else {
    const bool textured = polygon->material && polygon->material->texture;
    const RwVertex* previous = polygon->vertices[n - 1];
    const Plane* previousOut = outsidePlane(stage, *previous);
    for (uint32_t i = 0; i < n; ++i) {
      RwVertex* current = polygon->vertices[i];
      const Plane* currentOut = outsidePlane(stage, *current);
      if (!(previousOut && previousOut == currentOut)) {
        if (previousOut) out.emit(makeOnPlane(out, *current, *previous, *previousOut, true, textured));
        if (currentOut) {
          out.emit(makeOnPlane(out, *previous, *current, *currentOut, true, textured));
        } else {
          out.emit(current);
        }
      }
      previous = current;
      previousOut = currentOut;
    }
  }
  return own | (*stage.next)(out.polygon());
}

// ---- drivers

int32_t projectAxis(float value, float depth, float scale, bool perspective) {
  return RwRealToInt(perspective ? scale * value / depth : scale * value);
}

void projectVertex(RwVertex& v, const RwCamera& camera, bool perspective) {
  const float x = cameraX(v), y = cameraY(v), z = cameraZ(v);
  const uint8_t flags = v.flags;
  if ((flags & 12) == rwMarkXLow) {
    v.screenX = 0;
  } else if ((flags & 12) == rwMarkXHigh) {
    v.screenX = RwRealToInt(camera.viewportScale[0]);
  } else {
    v.screenX = projectAxis(x, z, camera.viewportScale[0], perspective);
  }
  if ((flags & 60) == rwMarkYLow) {
    v.screenY = 0;
  } else if ((flags & 60) == rwMarkYHigh) {
    v.screenY = RwRealToInt(camera.viewportScale[1]);
  } else {
    v.screenY = projectAxis(y, z, camera.viewportScale[1], perspective);
  }
  if ((flags & 252) == rwMarkNear) {
    v.depth = rwNearScreenDepth;
  } else if ((flags & 252) == rwMarkFar) {
    v.depth = rwFarScreenDepth;
  } else if (perspective) {
    v.depth = RwRealToInt(rwRenderState.zScale / z + rwRenderState.zOffset);
  } else {
    v.depth = RwRealToInt(rwRenderState.zScale * z + rwRenderState.zOffset);
  }
}

int drive(RwPolygon* polygon, bool perspective) {
  RwClipScratch out(polygon);
  if (!out.ok()) return rwClipDropped;
  const RwCamera& camera = clipCamera();
  const RwVertex* kept = nullptr;
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) {
    RwVertex* local = out.makeVertex();
    *local = *polygon->vertices[i];
    projectVertex(*local, camera, perspective);
    if (kept && kept->screenX == local->screenX && kept->screenY == local->screenY) continue;
    out.emit(local);
    kept = local;
  }
  RwPolygon* projected = out.polygon();
  if (projected->vertexCount < 3 || RwTriOrientation(projected) == 0) return rwClipDropped;
  drawing.clip.finalEntry(projected);
  return 0;
}

constexpr Stage xLowStage = {&xLow, nullptr, &drawing.clip.nextX};
constexpr Stage xHighParallelStage = {nullptr, &xHighParallel, &drawing.clip.nextX};
constexpr Stage xHighPerspectiveStage = {nullptr, &xHighPerspective, &drawing.clip.nextX};
constexpr Stage xBothParallelStage = {&xLow, &xHighParallel, &drawing.clip.nextX};
constexpr Stage xBothPerspectiveStage = {&xLow, &xHighPerspective, &drawing.clip.nextX};
constexpr Stage yLowStage = {&yLow, nullptr, &drawing.clip.nextY};
constexpr Stage yHighParallelStage = {nullptr, &yHighParallel, &drawing.clip.nextY};
constexpr Stage yHighPerspectiveStage = {nullptr, &yHighPerspective, &drawing.clip.nextY};
constexpr Stage yBothParallelStage = {&yLow, &yHighParallel, &drawing.clip.nextY};
constexpr Stage yBothPerspectiveStage = {&yLow, &yHighPerspective, &drawing.clip.nextY};
constexpr Stage nearStage = {&nearPlane, nullptr, &drawing.clip.nextZ};
constexpr Stage farStage = {nullptr, &farPlane, &drawing.clip.nextZ};
constexpr Stage nearFarStage = {&nearPlane, &farPlane, &drawing.clip.nextZ};

// Stage choice per axis: index = the axis's two outcode bits (1 low, 2
// high, 3 both); [projection is parallel][bits].
constexpr RwDrawEntry xStages[2][4] = {{nullptr, RwClipXLow, RwClipXHighPerspective, RwClipXBothPerspective},
                                       {nullptr, RwClipXLow, RwClipXHighParallel, RwClipXBothParallel}};
constexpr RwDrawEntry yStages[2][4] = {{nullptr, RwClipYLow, RwClipYHighPerspective, RwClipYBothPerspective},
                                       {nullptr, RwClipYLow, RwClipYHighParallel, RwClipYBothParallel}};
constexpr RwDrawEntry zStages[4] = {nullptr, RwClipNear, RwClipFar, RwClipNearFar};

}  // namespace

void RwSetClipFinalStage(RwDrawEntry entry) { drawing.clip.finalEntry = entry; }
RwDrawEntry RwGetClipFinalStage() { return drawing.clip.finalEntry; }
void RwSetClipNextX(RwDrawEntry entry) { drawing.clip.nextX = entry; }
RwDrawEntry RwGetClipNextX() { return drawing.clip.nextX; }
void RwSetClipNextY(RwDrawEntry entry) { drawing.clip.nextY = entry; }
RwDrawEntry RwGetClipNextY() { return drawing.clip.nextY; }
void RwSetClipNextZ(RwDrawEntry entry) { drawing.clip.nextZ = entry; }
RwDrawEntry RwGetClipNextZ() { return drawing.clip.nextZ; }

RwDrawEntry RwBuildClipChain(RwDrawEntry driver, uintptr_t outcode) {
  RwDrawingState::ClipChain& chain = drawing.clip;
  const RwCamera* camera = rwRenderState.currentCamera;
  const int parallel = camera && camera->projection == rwParallel ? 1 : 0;
  RwDrawEntry head = driver;
  if (RwDrawEntry x = xStages[parallel][outcode & 3]) {
    chain.nextX = head;
    head = x;
  }
  if (RwDrawEntry y = yStages[parallel][(outcode >> 2) & 3]) {
    chain.nextY = head;
    head = y;
  }
  if (RwDrawEntry z = zStages[(outcode >> 4) & 3]) {
    chain.nextZ = head;
    head = z;
  }
  return head;
}

RwDrawEntry RwClipDriverFor(const RwCamera* camera) {
  return camera && camera->projection == rwParallel ? RwClipDriverParallel : RwClipDriverPerspective;
}

int RwClipXLow(RwPolygon* polygon) { return runStage(xLowStage, polygon); }
int RwClipXHighParallel(RwPolygon* polygon) { return runStage(xHighParallelStage, polygon); }
int RwClipXHighPerspective(RwPolygon* polygon) { return runStage(xHighPerspectiveStage, polygon); }
int RwClipXBothParallel(RwPolygon* polygon) { return runStage(xBothParallelStage, polygon); }
int RwClipXBothPerspective(RwPolygon* polygon) { return runStage(xBothPerspectiveStage, polygon); }
int RwClipYLow(RwPolygon* polygon) { return runStage(yLowStage, polygon); }
int RwClipYHighParallel(RwPolygon* polygon) { return runStage(yHighParallelStage, polygon); }
int RwClipYHighPerspective(RwPolygon* polygon) { return runStage(yHighPerspectiveStage, polygon); }
int RwClipYBothParallel(RwPolygon* polygon) { return runStage(yBothParallelStage, polygon); }
int RwClipYBothPerspective(RwPolygon* polygon) { return runStage(yBothPerspectiveStage, polygon); }
int RwClipNear(RwPolygon* polygon) { return runStage(nearStage, polygon); }
int RwClipFar(RwPolygon* polygon) { return runStage(farStage, polygon); }
int RwClipNearFar(RwPolygon* polygon) { return runStage(nearFarStage, polygon); }

int RwClipDriverParallel(RwPolygon* polygon) { return drive(polygon, false); }
int RwClipDriverPerspective(RwPolygon* polygon) { return drive(polygon, true); }

// ---- scratch

RwClipScratch::RwClipScratch(const RwPolygon* incoming) : room_(2 * incoming->vertexCount) {
  unsigned char* polygonStorage = polygonBytes_;
  vertices_ = inlineVertices_;
  if (room_ > inlineRoom) {
    const size_t polygonSize = sizeof(RwPolygon) + room_ * sizeof(RwVertex*);
    const size_t vertexOffset = (polygonSize + alignof(RwVertex) - 1) / alignof(RwVertex) * alignof(RwVertex);
    heap_ = RwEngineAlloc(vertexOffset + room_ * sizeof(RwVertex));
    if (!heap_) return;
    polygonStorage = static_cast<unsigned char*>(heap_);
    vertices_ = reinterpret_cast<RwVertex*>(polygonStorage + vertexOffset);
  }
  polygon_ = reinterpret_cast<RwPolygon*>(polygonStorage);
  std::memcpy(polygon_, incoming, sizeof(RwPolygon));
  polygon_->nextCut = nullptr;
  polygon_->data = 0;
  polygon_->tag = 0;
  polygon_->vertexCount = 0;
}

RwClipScratch::~RwClipScratch() { RwEngineFree(heap_); }

RwVertex* RwClipScratch::makeVertex() {
  if (made_ == room_) return nullptr;
  RwVertex* vertex = &vertices_[made_++];
  *vertex = {};
  return vertex;
}

void RwClipScratch::emit(RwVertex* vertex) {
  if (vertex && polygon_->vertexCount < room_) polygon_->vertices[polygon_->vertexCount++] = vertex;
}

RwDrawingState& rwDrawingState() { return drawing; }
