// engine/raster/rasterapi.h -- what the engine hands the rasterisers.
//
// Owns: the narrow description of one polygon that a draw routine reads
// (`RwRasterPolygon` with its `RwRasterVertex` array), the draw routine
// type, and the logarithm and exponential tables of the perspective span
// loops, which live here and which the engine fills when the library opens
// (engine/mathtables.h) and clears when it closes.
// It does not own the engine's records the description is filled from
// (engine/polygon.h, engine/material.h, engine/texture.h) nor the filling
// (engine/rasterfeed.h). A draw routine only reads the description.
//
// This is the rasterisers' one window on the engine: nothing in
// engine/raster includes an engine header.
#ifndef LUMENFOLD_ENGINE_RASTER_RASTERAPI_H
#define LUMENFOLD_ENGINE_RASTER_RASTERAPI_H

#include <cstdint>

// 16.16 fixed point: value / 65536 (the same type as engine/fixed.h's).
typedef int32_t RwFixed;

// A vertex as a draw routine sees it. The engine's vertex record is built
// on it, so the transform and the lighting fill it in place and no vertex
// is copied for a draw.
struct RwRasterVertex {
  int32_t screenX;        // 16.16 pixels after projection; else camera x (float bits)
  int32_t screenY;
  int32_t depth;          // low 16 bits: z-buffer value after projection; else camera z (float bits)
  float cameraDepth;      // distance along the view axis (perspective weights)
  RwFixed intensity[3];   // 16.16 red, green, blue from vertex lighting
  RwFixed u, v;           // 16.16 texture coordinates (65536 = one width)
  uint8_t flags;          // the engine's vertex flags; bits 2..7 mark the clip planes
};

// The address of a vertex in a polygon's vertex list. The list is the
// engine's own, read in place: it holds the addresses of engine vertices,
// each of which begins with its RwRasterVertex, so it is read through a type
// exempt from type-based alias analysis.
typedef const RwRasterVertex* RwRasterVertexAddress __attribute__((may_alias));

// A polygon as a draw routine sees it: its vertices in drawing order, its
// facet lighting, and what its material paints.
struct RwRasterPolygon {
  uint32_t vertexCount;
  const RwRasterVertexAddress* vertices;
  RwFixed intensity[3];   // 16.16 facet lighting
  uintptr_t colour;       // device colour value
  uint8_t opacity;        // 255 opaque, else a multiple of 4 (0..252)
  uint8_t textureModes;   // bits 0-2 lit, foreshorten, filter
  const uint8_t* texels;  // the current 128 x 128 texel frame, or null
};

// A draw routine: one polygon in, 0 out (draw routines never fail).
typedef int (*RwRasterEntry)(const RwRasterPolygon* polygon);

// Logarithm: a 512-byte area of which entries 256..511 are used; entry n =
// 256 x log2 of the midpoint of [n/256, (n+1)/256), truncated (0..255).
extern uint8_t* rwLogTable;

// Exponential: indexed -2048..6143 through a pointer to entry 0; entry i =
// 2^24 x (2^(-i/256) + 2^(-(i+1)/256)) / 2, truncated. The engine's own
// pointer to it is RwGetMathTables().exp (engine/mathtables.h).
constexpr int rwExpTableFirst = -2048;
constexpr int rwExpTableLast = 6143;
extern uint32_t* rwSpanExpTable;

#endif
