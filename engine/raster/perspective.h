// engine/raster/perspective.h -- perspective-correct textured triangles in
// 15/16-bit and 8-bit colour: the common triangle set-up, the plain row
// loop, and the unlit, flat-lit and Gouraud members (opaque, stippled and
// filtered).
//
// Owns: the perspective edge block (weights and u, v times weight on both
// edges, the walking direction), the set-up that fills it together with the
// shared span block (Gouraud levels and depth following the start edge of
// the walk), the plain row loop that recovers u and v at both ends of a row
// and walks it, the triangle routines and the span loops of the plain row
// loop, and the texture-mode entries they fill.
// It does not own the span families that the unlit and 8-bit opaque and
// the unlit and 8-bit filtered members hand their rows to
// (engine/raster/spanfamily.h), the stepping along a span (engine/raster/
// perspstep.h), the triangle skeleton its set-up plugs into (top corner,
// shapes, edges in x, the skip of triangles without pixels: engine/raster/
// triframe.h), the affine routines or the fan loops that pick a triangle
// routine (engine/raster/textured.h), the tables it reads (engine/raster/
// rasterapi.h, the device's shade table), nor the texel blocks.
//
// Weights are 16.16, proportional to 1 / camera depth and at least 1.0.
// Inside a span, u and v are held shifted left by 16 so that their top 7 bits
// are the texel column and row; every read stays in the 128 x 128 block and
// textures repeat by wrap-around. Texel 0 is transparent.
#ifndef LUMENFOLD_ENGINE_RASTER_PERSPECTIVE_H
#define LUMENFOLD_ENGINE_RASTER_PERSPECTIVE_H

#include <cstdint>

#include "engine/raster/rastertarget.h"

struct RwRasterPolygon;

// One edge of the trapezoid being drawn. uW = (u >> shift) x (w >> 16).
struct RwPerspectiveEdge {
  int32_t w;        // 16.16 weight
  int32_t wStep;    // per row
  int32_t uW, uWStep;
  int32_t vW, vWStep;
  int32_t shift;    // pre-shift of u and v, 1..17
  int32_t u, v;     // 16.16 coordinates of the current row's end (span loop)
};

// The perspective part of the span block; SpanParams holds the rest (edges
// in x, rows, raster rows, texels, shade rows, and depth: value = z at the
// start edge, rowStep along it, pixelStep in the walking direction).
struct RwPerspectiveParams {
  RwPerspectiveEdge left;
  RwPerspectiveEdge right;
  intptr_t direction;  // 0: spans walk left to right; 1: right to left
};
extern RwPerspectiveParams PerspectiveParams;

// 1 when the depth value does not grow from left to right across the plane
// of the polygon's first three vertices, else 0. Reads only.
intptr_t RwLeftEndNearer(const RwRasterPolygon* polygon);

// The 16.16 weights of three camera depths, normalised to a common exponent:
// the largest lies in 0x40000000..0x7FFFFF80, none is below 0x10000.
void RwPerspectiveWeights(const float depth[3], int32_t weight[3]);

// Pre-shift of an edge's coordinates: one more than the bit length of the
// OR of their whole parts (magnitudes), so u x (w >> 16) fits 31 bits.
int32_t RwPerspectiveShift(int32_t u0, int32_t v0, int32_t u1, int32_t v1);

// Triangle routines: triangle (v[0], v[i], v[i + 1]), 15/16-bit colour.
// Gouraud members light each channel at its interpolated level (green
// rounded by the dither byte); the others as the module comment says.
void RwRas16TriUnlitPerspOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitPerspOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatPerspOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatPerspOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitPerspStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitPerspStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatPerspStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatPerspStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitPerspFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitPerspFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatPerspFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatPerspFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudPerspOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudPerspOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudPerspStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudPerspStippleZ(const RwRasterPolygon* polygon, intptr_t i);

// Span loops of the plain row loop: draw block->rows rows and leave both
// blocks at the last row. (The unlit opaque and unlit filtered members hand
// their rows to span families, engine/raster/spanfamily.h.)
void RwRas16SpanUnlitPerspOpaqueZ(RwSpanParams* block);
void RwRas16SpanFlatPerspOpaque(RwSpanParams* block);
void RwRas16SpanFlatPerspOpaqueZ(RwSpanParams* block);
void RwRas16SpanUnlitPerspStipple(RwSpanParams* block);
void RwRas16SpanUnlitPerspStippleZ(RwSpanParams* block);
void RwRas16SpanFlatPerspStipple(RwSpanParams* block);
void RwRas16SpanFlatPerspStippleZ(RwSpanParams* block);
void RwRas16SpanFlatPerspFilterOpaque(RwSpanParams* block);
void RwRas16SpanFlatPerspFilterOpaqueZ(RwSpanParams* block);
void RwRas16SpanGouraudPerspOpaque(RwSpanParams* block);
void RwRas16SpanGouraudPerspOpaqueZ(RwSpanParams* block);
void RwRas16SpanGouraudPerspStipple(RwSpanParams* block);
void RwRas16SpanGouraudPerspStippleZ(RwSpanParams* block);

// Triangle routines in 8-bit colour: texels and pixels are palette indices;
// the flat-lit members look the texel up in the ShadeTable row of the
// polygon's first intensity channel, the Gouraud members in the row of the
// interpolated first channel rounded by the dither byte. The opaque members
// hand their rows to span families (engine/raster/spanfamily.h).
void RwRas8TriUnlitPerspOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitPerspOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitPerspStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitPerspStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitPerspFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitPerspFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudPerspOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudPerspOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudPerspStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudPerspStippleZ(const RwRasterPolygon* polygon, intptr_t i);

void RwRas8SpanUnlitPerspStipple(RwSpanParams* block);
void RwRas8SpanUnlitPerspStippleZ(RwSpanParams* block);
void RwRas8SpanFlatPerspStipple(RwSpanParams* block);
void RwRas8SpanFlatPerspStippleZ(RwSpanParams* block);
void RwRas8SpanGouraudPerspStipple(RwSpanParams* block);
void RwRas8SpanGouraudPerspStippleZ(RwSpanParams* block);

// The members that hand their rows to span families, drawn through the
// plain row loop instead (strict depth test, rows walked linearly when the
// weights differ only below their top ten bits): what the families are
// checked against.
void RwRas16TriUnlitPerspOpaqueReference(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitPerspOpaqueReference(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitPerspOpaqueZReference(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspOpaqueReference(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatPerspOpaqueZReference(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudPerspOpaqueReference(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudPerspOpaqueZReference(const RwRasterPolygon* polygon, intptr_t i);

// Writes the perspective entries of the texture-mode table (104 entries)
// for an image depth: every entry whose modes hold foreshorten, and the
// filtered perspective ones.
void RwFillPerspectiveTextureModes(RwTriangleRoutine* table, intptr_t depth);

#endif
