// engine/triangulate.h -- cutting polygons into triangles.
//
// Owns: the decision whether a polygon can be drawn whole (planar, convex
// and no larger than the device draws), and the ear cutting of the others
// into a chain of triangles, with the working ring kept between calls.
// It does not own the polygon records nor where the triangles are listed
// (engine/polygon.h, engine/clump.h).
#ifndef LUMENFOLD_ENGINE_TRIANGULATE_H
#define LUMENFOLD_ENGINE_TRIANGULATE_H

#include <cstdint>

struct RwPolygon;

// Tolerances of the cut decision.
constexpr float rwPlanarTolerance = 0.001f;  // distance of a vertex from the plane
constexpr float rwConvexTolerance = 0.01f;   // sine of a corner's turn
constexpr float rwReflexTolerance = 0.001f;  // corners at most this are tested as blockers

/*
 * RwCutPolygon --
 *   Cuts a polygon of 4 or more vertices into triangles when it is
 *   non-planar, non-convex or larger than the device's largest polygon:
 *   repeatedly the best ear (greatest smallest angle, no reflex vertex
 *   inside) is cut off as a triangle linked at the head of the polygon's
 *   chain, its parent the polygon. Cutting stops when fewer than three
 *   corners remain or no ear qualifies (the rest stays uncovered).
 * Results:
 *   The number of triangles made: 0 when the polygon stays whole (or nothing
 *   could be cut), -1 with error 3 when memory ran out (the polygon is left
 *   uncut, its chain empty).
 */
intptr_t RwCutPolygon(RwPolygon* polygon);

// Frees the working ring (the clump module's close).
void RwFreeCuttingRing();

#endif
