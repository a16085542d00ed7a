// viewer/material.h -- scene materials reduced to engine polygon materials.
//
// Owns: `ZmRwMaterial` (the engine-side material of one polygon), its
// computation from one element or the mean of a range of elements of a
// `ZmMaterial`, and `zmRenderSetMaterial`, which applies a shape leaf's
// material to the polygons that show it, with the face-set protocol that
// computes one material per face set while the set is built.
// It does not own the leaves' materials (the scene core) nor the clumps and
// polygons (the leaf builders).
#ifndef LUMENFOLD_VIEWER_MATERIAL_H
#define LUMENFOLD_VIEWER_MATERIAL_H

#include <cstdint>

struct RwClump;
struct RwPolygon;
struct ZmLeaf;
struct ZmMaterial;

// The engine material of a polygon: eight words.
struct ZmRwMaterial {
  float ambient;         // surface coefficients
  float diffuse;
  float specular;
  intptr_t sampling;     // light sampling: 1 facet, 2 vertex (set by the caller)
  float red;             // colour, brightest channel 1
  float green;
  float blue;
  float opacity;         // 1 opaque
};

/*
 * zmRenderSetMaterial --
 *   Gives the polygons that show a shape leaf the engine material of its
 *   `ZmMaterial`. A leaf not built yet is left alone.
 * Results:
 *   0; -1 after "zmRenderSetMaterial() : ..." for an unknown kind or a
 *   failing setter (polygons already set keep their new material).
 */
int zmRenderSetMaterial(ZmLeaf* leaf);

// The index 0..10 of a shape kind 1..11 in the setter table; -1 otherwise.
int zmGetShapeMaterialIndex(int32_t kind);

// Element `index` (modulo the element count) of the material into `out`,
// leaving `out->sampling` alone; 0, or -1 when the element count is 0.
int zmRwCalcMaterial(ZmRwMaterial* out, const ZmMaterial* material, int32_t index);
// The mean of elements first .. first + count - 1; 0 or -1. Indices past the
// end of a list take its last element, as zmRwCalcMaterial does.
int zmRwCalcMeanMaterial(ZmRwMaterial* out, const ZmMaterial* material, int32_t first, int32_t count);

// Surface, colour, opacity, light sampling; the polygon, or null with a report.
RwPolygon* zmRwSetMaterialToPolygon(RwPolygon* polygon, ZmRwMaterial* material);
// The same for every polygon of one clump; null as soon as one fails.
RwClump* zmRwSetMaterialToClump(RwClump* clump, ZmRwMaterial* material);

#endif
