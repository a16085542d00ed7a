// engine/pick.cpp -- the pick window, its stages and the clump's hit search.
#include "engine/pick.h"

#include "engine/clip.h"
#include "engine/clump.h"
#include "engine/drawingstate.h"
#include "engine/polydraw.h"
#include "engine/polygon.h"
#include "engine/ptrarray.h"
#include "engine/renderstate.h"
#include "engine/vertexxform.h"

namespace {

using PickWindow = RwDrawingState::PickQuery::Window;

// One axis of the window: which screen word, its bounds and codes.
struct WindowAxis {
  int32_t RwVertex::*coordinate;
  int32_t RwVertex::*other;
  RwFixed PickWindow::*low;
  RwFixed PickWindow::*high;
  uintptr_t lowCode, highCode;
  int (*next)(RwPolygon*);
};

uintptr_t windowCode(const WindowAxis& axis, const RwVertex& v) {
  RwDrawingState::PickQuery& pick = rwDrawingState().pick;
  if (v.*axis.coordinate < pick.window.*axis.low) return axis.lowCode;
  if (v.*axis.coordinate > pick.window.*axis.high) return axis.highCode;
  return 0;
}

// Signed distance inside the bound the code names (16.16).
RwFixed insideDistance(const WindowAxis& axis, const RwVertex& v, uintptr_t code) {
  const PickWindow& window = rwDrawingState().pick.window;
  return code == axis.lowCode ? v.*axis.coordinate - window.*axis.low : window.*axis.high - v.*axis.coordinate;
}

RwVertex* makeOnBound(RwClipScratch& out, const WindowAxis& axis, const RwVertex& inside, const RwVertex& outside,
                      uintptr_t code) {
  RwDrawingState::PickQuery& pick = rwDrawingState().pick;
  RwVertex* made = out.makeVertex();
  if (!made) return nullptr;
  const RwFixed dInside = insideDistance(axis, inside, code);
  const RwFixed t = RwFixDiv(dInside, dInside - insideDistance(axis, outside, code));
  made->*axis.coordinate = code == axis.lowCode ? pick.window.*axis.low : pick.window.*axis.high;
  made->*axis.other = inside.*axis.other + RwFixMul(t, outside.*axis.other - inside.*axis.other);
  made->depth = inside.depth + RwFixMul(t, outside.depth - inside.depth);
  made->flags = outside.flags;
  return made;
}

int clipToWindow(const WindowAxis& axis, RwPolygon* polygon) {
  const uint32_t n = polygon->vertexCount;
  uintptr_t all = axis.lowCode | axis.highCode, any = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const uintptr_t code = windowCode(axis, *polygon->vertices[i]);
    all &= code;
    any |= code;
  }
  const int own = static_cast<int>((all << rwWhollyOutsideShift) | any);
  if (all) return own;
  if (any == 0 && axis.next == RwPickRecordHit) return own | RwPickRecordHit(polygon);
  RwClipScratch out(polygon);
  if (!out.ok()) return own;
  if (any == 0) {
    for (uint32_t i = 0; i < n; ++i) {
      RwVertex* copy = out.makeVertex();
      copy->screenX = polygon->vertices[i]->screenX;
      copy->screenY = polygon->vertices[i]->screenY;
      copy->depth = polygon->vertices[i]->depth;
      out.emit(copy);
    }
  } else {
    const RwVertex* previous = polygon->vertices[n - 1];
    uintptr_t previousCode = windowCode(axis, *previous);
    for (uint32_t i = 0; i < n; ++i) {
      RwVertex* current = polygon->vertices[i];
      const uintptr_t currentCode = windowCode(axis, *current);
      if (!(previousCode && previousCode == currentCode)) {
        if (previousCode) out.emit(makeOnBound(out, axis, *current, *previous, previousCode));
        if (currentCode) {
          out.emit(makeOnBound(out, axis, *previous, *current, currentCode));
        } else {
          out.emit(current);
        }
      }
      previous = current;
      previousCode = currentCode;
    }
  }
  return own | axis.next(out.polygon());
}

const WindowAxis yAxis = {&RwVertex::screenY, &RwVertex::screenX, &PickWindow::yLow, &PickWindow::yHigh,
                          rwOutYLow, rwOutYHigh, RwPickClipX};
const WindowAxis xAxis = {&RwVertex::screenX, &RwVertex::screenY, &PickWindow::xLow, &PickWindow::xHigh,
                          rwOutXLow, rwOutXHigh, RwPickRecordHit};

RwPolygon* polygonAt(RwClump* clump, uintptr_t index) {
  return static_cast<RwPolygon*>(RwPtrArrayEntry(clump->drawablePolygons, index));
}

// Unsorted: the last drawn is on top.
RwPolygon* topmostHit(RwDrawEntry entry, RwClump* clump) {
  RwDrawingState::PickQuery& pick = rwDrawingState().pick;
  for (uintptr_t i = clump->drawablePolygons->count; i-- > 0;) {
    entry(polygonAt(clump, i));
    if (pick.hit.polygon) return pick.hit.polygon;
  }
  return nullptr;
}

// Z-buffered: the nearest (largest depth) wins, the later one at equal depth.
RwPolygon* nearestHit(RwDrawEntry entry, RwClump* clump) {
  RwDrawingState::PickQuery& pick = rwDrawingState().pick;
  if (!RwIsDepthGroup()) rwRenderState.bestPickDepth = 0;
  RwPolygon* answer = nullptr;
  for (uintptr_t i = 0; i < clump->drawablePolygons->count; ++i) {
    entry(polygonAt(clump, i));
    if (pick.hit.polygon && rwRenderState.bestPickDepth <= pick.hit.depth) {
      answer = pick.hit.polygon;
      rwRenderState.bestPickDepth = pick.hit.depth;
    }
    pick.hit.polygon = nullptr;
  }
  return answer;
}

}  // namespace

RwPolygon* RwPickClumpPolygons(uintptr_t outcode, RwClump* clump, RwCamera* camera, RwFixed xLow, RwFixed yLow) {
  RwDrawingState::PickQuery& pick = rwDrawingState().pick;
  pick.hit = {};
  pick.window = {xLow, xLow + rwFixedOne, yLow, yLow + rwFixedOne};
  intptr_t mode = RwIsDepthGroup() ? rwZBuffered : RwClumpHiddenSurfaceMode(clump);
  if (mode == rwPlaneOrdered) mode = rwZBuffered;
  RwDrawEntry entry = RwPickPolygonUnclipped;
  if (outcode) {
    RwSetClipFinalStage(RwPickClipY);
    entry = RwBuildClipChain(RwClipDriverFor(camera), outcode);
  }
  return mode == rwUnsorted ? topmostHit(entry, clump) : nearestHit(entry, clump);
}

int RwPickPolygonUnclipped(RwPolygon* polygon) {
  if (RwTriOrientation(polygon) == 0) return rwClipDropped;
  return RwPickClipY(polygon);
}

int RwPickClipY(RwPolygon* polygon) { return clipToWindow(yAxis, polygon); }
int RwPickClipX(RwPolygon* polygon) { return clipToWindow(xAxis, polygon); }

int RwPickRecordHit(RwPolygon* polygon) {
  rwDrawingState().pick.hit = {polygon->parent, polygon->vertices[0]->depth};
  return 0;
}
