// engine/raster/untextured.h -- flat and Gouraud triangles without texture.
//
// Owns: the 16 solid untextured draw routines of the software devices (draw
// pairs 4 to 7: flat opaque, Gouraud opaque, flat stipple, Gouraud stipple,
// each without and with z-buffer, in 15/16-bit and in 8-bit colour), their
// triangle routines and span loops, and a plain reference for the tuned
// flat opaque span loops.
// It does not own the triangle frame (engine/raster/triframe.h), the tables
// it reads (the device's) nor the choice of routine (engine/drawslots.h).
//
// Colour rules. 15/16-bit: the material colour word is 5:6:5 and each
// channel is shaded through ShadeTable at the level of its intensity; a
// Gouraud pixel interpolates the shaded channels in 8.8 and rounds only
// green by the dither value. 8-bit: bits 5 and up of the colour word select
// a ramp of 32 palette indices in ShadeRampTable, bit 5 reversing the level;
// a Gouraud pixel rounds the interpolated level by the dither value.
// Stipple: a pixel is written only when its dither value is below the
// material's opacity. Z: opaque pixels pass when the stored depth is at most
// theirs, stipple pixels only when it is below; a pixel writes its depth,
// then its colour. Every shade level is clamped to 0..31 before a lookup.
#ifndef LUMENFOLD_ENGINE_RASTER_UNTEXTURED_H
#define LUMENFOLD_ENGINE_RASTER_UNTEXTURED_H

#include <cstdint>

#include "engine/raster/rastertarget.h"

struct RwRasterPolygon;

// Draw routines (fan loops): the polygon in, 0 out.
int RwRas16FanFlatOpaque(const RwRasterPolygon* polygon);
int RwRas16FanFlatOpaqueZ(const RwRasterPolygon* polygon);
int RwRas16FanGouraudOpaque(const RwRasterPolygon* polygon);
int RwRas16FanGouraudOpaqueZ(const RwRasterPolygon* polygon);
int RwRas16FanFlatStipple(const RwRasterPolygon* polygon);
int RwRas16FanFlatStippleZ(const RwRasterPolygon* polygon);
int RwRas16FanGouraudStipple(const RwRasterPolygon* polygon);
int RwRas16FanGouraudStippleZ(const RwRasterPolygon* polygon);
int RwRas8FanFlatOpaque(const RwRasterPolygon* polygon);
int RwRas8FanFlatOpaqueZ(const RwRasterPolygon* polygon);
int RwRas8FanGouraudOpaque(const RwRasterPolygon* polygon);
int RwRas8FanGouraudOpaqueZ(const RwRasterPolygon* polygon);
int RwRas8FanFlatStipple(const RwRasterPolygon* polygon);
int RwRas8FanFlatStippleZ(const RwRasterPolygon* polygon);
int RwRas8FanGouraudStipple(const RwRasterPolygon* polygon);
int RwRas8FanGouraudStippleZ(const RwRasterPolygon* polygon);

// Triangle routines: triangle (v[0], v[i], v[i + 1]).
void RwRas16TriFlatOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriFlatStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas16TriGouraudStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudOpaque(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudOpaqueZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriFlatStippleZ(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudStipple(const RwRasterPolygon* polygon, intptr_t i);
void RwRas8TriGouraudStippleZ(const RwRasterPolygon* polygon, intptr_t i);

// Span loops: draw block->rows rows and leave the block advanced. The
// 15/16-bit stipple rows are drawn inside their triangle routines.
void RwRas16SpanFlatOpaque(RwSpanParams* block);
void RwRas16SpanFlatOpaqueZ(RwSpanParams* block);
void RwRas16SpanGouraudOpaque(RwSpanParams* block);
void RwRas16SpanGouraudOpaqueZ(RwSpanParams* block);
void RwRas8SpanFlatOpaque(RwSpanParams* block);
void RwRas8SpanFlatOpaqueZ(RwSpanParams* block);
void RwRas8SpanGouraudOpaque(RwSpanParams* block);
void RwRas8SpanGouraudOpaqueZ(RwSpanParams* block);
void RwRas8SpanFlatStipple(RwSpanParams* block);
void RwRas8SpanFlatStippleZ(RwSpanParams* block);
void RwRas8SpanGouraudStipple(RwSpanParams* block);
void RwRas8SpanGouraudStippleZ(RwSpanParams* block);

// Plain pixel-by-pixel versions of the tuned flat opaque span loops (which
// fill long rows with aligned 32-bit stores), for tests to compare against.
void RwRas16SpanFlatOpaqueReference(RwSpanParams* block);
void RwRas8SpanFlatOpaqueReference(RwSpanParams* block);

#endif
