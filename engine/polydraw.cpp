// engine/polydraw.cpp -- the polygon drawers.
#include "engine/polydraw.h"

#include "engine/clump.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/ptrarray.h"
#include "engine/vertexxform.h"

intptr_t RwClumpHiddenSurfaceMode(const RwClump* clump) {
  if (!(clump->flags & rwHiddenSurface)) return rwUnsorted;
  return clump->flags & rwEditable ? rwZBuffered : rwPlaneOrdered;
}

namespace {

// How far ahead of the polygon being drawn its successors are fetched: a
// large clump's polygons and corners are far beyond the caches, and the
// facing test alone would otherwise wait on memory for each of them.
constexpr uintptr_t kRecordsAhead = 16;
constexpr uintptr_t kCornersAhead = 8;

void fetchCorners(const RwPolygon* polygon) {
  const uint32_t corners = polygon->vertexCount < 3 ? polygon->vertexCount : 3;
  for (uint32_t corner = 0; corner < corners; ++corner) __builtin_prefetch(&polygon->vertices[corner]->screenX);
}

}  // namespace

void RwDrawPolygonList(RwDrawEntry entry, RwClump* clump) {
  RwPtrArray* list = clump->drawablePolygons;
  void** polygons = RwPtrArrayEntries(list);
  const uintptr_t count = list->count;
  const bool clipped = clump->lastOutcode != 0;
  for (uintptr_t i = 0; i < count; ++i) {
    if (i + kRecordsAhead < count) __builtin_prefetch(polygons[i + kRecordsAhead]);
    if (i + kCornersAhead < count) fetchCorners(static_cast<const RwPolygon*>(polygons[i + kCornersAhead]));
    auto* polygon = static_cast<RwPolygon*>(polygons[i]);
    if (clipped || RwTriOrientation(polygon)) entry(polygon);
  }
}

int RwDrawPolygonPlain(RwPolygon* polygon) {
  polygon->material->drawRoutine(polygon);
  return 0;
}

int RwDrawPolygonZ(RwPolygon* polygon) {
  polygon->material->zDrawRoutine(polygon);
  return 0;
}
