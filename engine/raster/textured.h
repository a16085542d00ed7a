// engine/raster/textured.h -- affine textured triangles, plain and filtered,
// in 15/16-bit and in 8-bit colour.
//
// Owns: the 16 textured draw routines of the software devices (draw pairs 8
// to 11, each without and with z-buffer, per depth), which pick a triangle
// routine from the device's texture-mode table once per polygon; the affine
// triangle routines and their span loops (unlit, flat and Gouraud, opaque
// and stipple, filtered opaque); plain reference versions of the tuned
// loops; and the texture-mode entries these routines fill.
// It does not own the triangle frame (engine/raster/triframe.h), the tables
// it reads (the device's), the texel blocks (engine/texture.h), nor the
// perspective-correct routines, whose entries stay empty here.
//
// Texture coordinates travel packed in one word: u in bits 0..14 and v in
// bits 16..30, each 7 integer bits (texel column or row) over 8 fraction
// bits; a 16.16 pair, 1.0 being one texture side, packs as
// ((u AND 0xFFFE) >> 1) OR ((v AND 0xFFFE) << 15). Stepping is a 32-bit add
// and AND 0x7FFF7FFF, so every texture repeats in both directions and no
// texel read leaves the 128 x 128 block. Texel 0 is transparent: it writes
// neither colour nor depth.
//
// Lighting. 15/16-bit texels are 5:6:5 and each lit channel goes through
// ShadeTable at its level (green read from its top five bits, so bit 5 of a
// lit pixel is 0); the tuned flat opaque loops shade all three channels at
// the red level. 8-bit texels are palette indices; ShadeTable maps
// (level, index) to an index. Gouraud levels are rounded by the dither
// value (green only at 15/16 bits). Every level is held to 0..31.
// Depth: the tuned unlit and flat opaque loops pass a pixel when the stored
// depth is at most its own; every other loop only when it is below.
#ifndef LUMENFOLD_ENGINE_RASTER_TEXTURED_H
#define LUMENFOLD_ENGINE_RASTER_TEXTURED_H

#include <cstdint>

#include "engine/raster/rastertarget.h"

struct RwRasterPolygon;

// Packs two 16.16 texture coordinates (or steps).
inline uint32_t RwPackTextureCoordinates(int32_t u, int32_t v) {
  return ((static_cast<uint32_t>(u) & 0xFFFE) >> 1) | ((static_cast<uint32_t>(v) & 0xFFFE) << 15);
}

// Draw routines: the polygon in, 0 out. A polygon without a texel block
// draws nothing.
int RwRas16FanFlatTexOpaque(const RwRasterPolygon* polygon);
int RwRas16FanFlatTexOpaqueZ(const RwRasterPolygon* polygon);
int RwRas16FanGouraudTexOpaque(const RwRasterPolygon* polygon);
int RwRas16FanGouraudTexOpaqueZ(const RwRasterPolygon* polygon);
int RwRas16FanFlatTexStipple(const RwRasterPolygon* polygon);
int RwRas16FanFlatTexStippleZ(const RwRasterPolygon* polygon);
int RwRas16FanGouraudTexStipple(const RwRasterPolygon* polygon);
int RwRas16FanGouraudTexStippleZ(const RwRasterPolygon* polygon);
int RwRas8FanFlatTexOpaque(const RwRasterPolygon* polygon);
int RwRas8FanFlatTexOpaqueZ(const RwRasterPolygon* polygon);
int RwRas8FanGouraudTexOpaque(const RwRasterPolygon* polygon);
int RwRas8FanGouraudTexOpaqueZ(const RwRasterPolygon* polygon);
int RwRas8FanFlatTexStipple(const RwRasterPolygon* polygon);
int RwRas8FanFlatTexStippleZ(const RwRasterPolygon* polygon);
int RwRas8FanGouraudTexStipple(const RwRasterPolygon* polygon);
int RwRas8FanGouraudTexStippleZ(const RwRasterPolygon* polygon);

// Triangle routines: triangle (v[0], v[i], v[i + 1]).
void RwRas16TriUnlitAffineOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitAffineOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatAffineOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatAffineOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudAffineOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudAffineOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitAffineStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitAffineStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatAffineStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatAffineStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudAffineStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudAffineStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitAffineFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatAffineFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriUnlitAffineFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatAffineFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitAffineOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitAffineOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatAffineOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatAffineOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudAffineOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudAffineOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitAffineStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitAffineStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatAffineStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatAffineStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudAffineStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudAffineStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitAffineFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatAffineFilterOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriUnlitAffineFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatAffineFilterOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);

// The tuned span loops (a negative pixel counter, no dither word, the
// packed row sum masked) and their plain pixel-by-pixel references. They
// draw block->rows rows and leave the block advanced.
void RwRas16SpanUnlitAffineOpaque(RwSpanParams* block);
void RwRas16SpanUnlitAffineOpaqueZ(RwSpanParams* block);
void RwRas16SpanFlatAffineOpaque(RwSpanParams* block);
void RwRas16SpanFlatAffineOpaqueZ(RwSpanParams* block);
void RwRas8SpanUnlitAffineOpaque(RwSpanParams* block);
void RwRas8SpanUnlitAffineOpaqueZ(RwSpanParams* block);
void RwRas8SpanFlatAffineOpaque(RwSpanParams* block);
void RwRas8SpanFlatAffineOpaqueZ(RwSpanParams* block);
void RwRas16SpanUnlitAffineOpaqueReference(RwSpanParams* block);
void RwRas16SpanUnlitAffineOpaqueZReference(RwSpanParams* block);
void RwRas16SpanFlatAffineOpaqueReference(RwSpanParams* block);
void RwRas16SpanFlatAffineOpaqueZReference(RwSpanParams* block);
void RwRas8SpanUnlitAffineOpaqueReference(RwSpanParams* block);
void RwRas8SpanUnlitAffineOpaqueZReference(RwSpanParams* block);
void RwRas8SpanFlatAffineOpaqueReference(RwSpanParams* block);
void RwRas8SpanFlatAffineOpaqueZReference(RwSpanParams* block);

// Writes the affine entries of the texture-mode table (104 entries) for an
// image depth (8, else 15/16); the other entries are left as they are.
void RwFillAffineTextureModes(RwTriangleRoutine* table, intptr_t depth);

#endif
