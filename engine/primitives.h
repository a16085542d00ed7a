// engine/primitives.h -- the modelling primitives: block, cylinder, cone,
// disc, sphere and hemisphere.
//
// Owns: tessellating each primitive into a new part clump of the current
// clump definition, its vertices through the CTM and its polygons in the
// current material, every polygon facing away from the primitive's inside.
// It does not own the clump definitions and parts (engine/modelling.h).
//
// Each returns 1, or 0 leaving the definition as it was: error 38 outside a
// clump definition, 11 for a bad facet count, radius or subdivision, 41 for
// a primitive of more than rwLargestPrimitiveCount vertices or polygons, 3
// for memory. A block with a zero dimension fails without a number.
#ifndef LUMENFOLD_ENGINE_PRIMITIVES_H
#define LUMENFOLD_ENGINE_PRIMITIVES_H

#include <cstdint>

// Larger primitives are refused. A few bytes of script name a primitive of
// any size, so one is held to what a whole world's build may make of face
// sets (vrml/buildlimits.h): a line must not cost gigabytes and minutes.
constexpr int64_t rwLargestPrimitiveCount = 2'000'000;

// The box (w, h, d) centred on the origin.
int RwBlock(float width, float height, float depth);
// The side of a cylinder from radius r0 at y = 0 to r1 at y = height, in
// `facets` quads; no end caps. The radii must share their sign.
int RwCylinder(float height, float bottomRadius, float topRadius, intptr_t facets);
// The side of a cone with its apex at (0, height, 0), in `facets` triangles.
int RwCone(float height, float radius, intptr_t facets);
// A fan of `facets` triangles at y = height, facing +y.
int RwDisc(float height, float radius, intptr_t facets);
// The octahedron cut into n x n triangles per face, pushed out onto the
// sphere: 4n^2 + 2 vertices, 8n^2 triangles. n = 0 is the block (r, r, r).
int RwSphere(float radius, intptr_t subdivision);
// Its upper half, equator included: 2n^2 + 2n + 1 vertices, 4n^2 triangles.
int RwHemisphere(float radius, intptr_t subdivision);

#endif
