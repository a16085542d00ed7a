// engine/pick.h -- the pick stage: which polygon of a clump is under a pixel.
//
// Owns: the pick window (one pixel, both edges included, in 16.16 screen
// coordinates), the hit record (the polygon that reached the window and its
// depth), the window stages that clip a projected polygon to the pixel's
// row band and then its column band, and the walk of a clump's draw list
// that keeps the topmost (unsorted) or nearest (z-buffered) hit.
// It does not own the vertex transform and the clump's bounds (the render
// pipeline's, engine/render.h), the clip chain it ends (engine/clip.h), nor
// the best depth of a depth group (engine/renderstate.h).
#ifndef LUMENFOLD_ENGINE_PICK_H
#define LUMENFOLD_ENGINE_PICK_H

#include <cstdint>

#include "engine/fixed.h"

struct RwCamera;
struct RwClump;
struct RwPolygon;

/*
 * RwPickClumpPolygons --
 *   The caller has made the camera current, transformed the clump's
 *   vertices as for rendering and set the depth mapping. Unsorted clumps
 *   are searched from the last drawn polygon back; z-buffered ones (and
 *   plane-ordered ones, and every clump in a depth group) keep the nearest
 *   hit, the later one at equal depth. In a depth group the best depth
 *   carries over from clump to clump.
 * Results:
 *   The polygon the caller added (the parent of a hit cut triangle), or null.
 */
RwPolygon* RwPickClumpPolygons(uintptr_t outcode, RwClump* clump, RwCamera* camera, RwFixed xLow, RwFixed yLow);

// 1024 for a polygon facing away, else RwPickClipY's code.
int RwPickPolygonUnclipped(RwPolygon* polygon);
// Window stages: own code (all-outside bits shifted left 8, or-ed with the
// any-outside bits 4/8 for y, 1/2 for x) or-ed with the next step's.
int RwPickClipY(RwPolygon* polygon);
int RwPickClipX(RwPolygon* polygon);
// Stores the hit (the polygon's parent and its first vertex's depth); 0.
int RwPickRecordHit(RwPolygon* polygon);

#endif
