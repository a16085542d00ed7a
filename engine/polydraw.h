// engine/polydraw.h -- the polygon drawers.
//
// Owns: a clump's hidden-surface mode, the draw entries that reach a
// polygon's routine through its material (plain or z-buffered), and the walk
// of a clump's draw list with its back-face cull. The render pipeline
// (engine/render.h) and the plane order (engine/depthsort.h) both draw
// through these.
// It does not own the draw routines (the device's), the clip chain
// (engine/clip.h) nor the choice between the draw list and the plane order
// (engine/render.h).
#ifndef LUMENFOLD_ENGINE_POLYDRAW_H
#define LUMENFOLD_ENGINE_POLYDRAW_H

#include <cstdint>

#include "engine/device.h"

struct RwClump;
struct RwPolygon;

// Hidden-surface modes.
constexpr intptr_t rwUnsorted = 0;
constexpr intptr_t rwPlaneOrdered = 1;
constexpr intptr_t rwZBuffered = 2;

// The clump's mode from its flags (0 without `hs`, 2 with `hs` and
// `editable`, else 1); inside a depth group every clump draws as mode 2.
intptr_t RwClumpHiddenSurfaceMode(const RwClump* clump);

// The draw list in order: every polygon when the clump is clipped (the
// driver culls), else only those facing the camera.
void RwDrawPolygonList(RwDrawEntry entry, RwClump* clump);
// Through the polygon's material: its plain or its z-buffered routine.
int RwDrawPolygonPlain(RwPolygon* polygon);
int RwDrawPolygonZ(RwPolygon* polygon);

#endif
