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

void RwDrawPolygonList(RwDrawEntry entry, RwClump* clump) {
  RwPtrArray* list = clump->drawablePolygons;
  void** polygons = RwPtrArrayEntries(list);
  const bool clipped = clump->lastOutcode != 0;
  for (uintptr_t i = 0; i < list->count; ++i) {
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
