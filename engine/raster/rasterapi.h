// engine/raster/rasterapi.h -- what the engine hands the rasterisers.
//
// Owns: the records a draw routine reads -- the polygon (`RwPolygon`), its
// vertices (`RwVertex`), its material (`RwMaterial`) and the material's
// texture (`RwTexture`) -- with the draw entry type and the value types the
// records are made of; and the logarithm and exponential tables of the
// perspective span loops, which live here and which the engine fills when the
// library opens (engine/mathtables.h) and clears when it closes.
// It does not own the operations on these records nor the memory they point
// to: pools, reference counts and user lists are the engine's
// (engine/polygon.h, engine/material.h, engine/texture.h). A draw routine
// only reads them.
//
// This is the rasterisers' one window on the engine: nothing in
// engine/raster includes an engine header, so these records are defined here
// and the engine's modules include this file.
#ifndef LUMENFOLD_ENGINE_RASTER_RASTERAPI_H
#define LUMENFOLD_ENGINE_RASTER_RASTERAPI_H

#include <cstdint>

struct RwClump;
struct RwPolygon;
struct RwPtrArray;
struct RwRaster;
struct RwTextureDictionary;

// 16.16 fixed point: value / 65536 (the same type as engine/fixed.h's).
typedef int32_t RwFixed;

struct RwVector {
  float x, y, z;
};

// A draw entry: one polygon in, 1 drawn or 0 (draw routines never fail).
typedef int (*RwDrawEntry)(RwPolygon* polygon);

struct RwVertex {
  RwVector model;             // position in modelling coordinates
  int32_t screenX;            // 16.16 pixels after projection; else camera x (float bits)
  int32_t screenY;
  int32_t depth;              // low 16 bits: z-buffer value after projection; else camera z (float bits)
  float cameraDepth;
  uint8_t ambient;            // averages over the materials of the vertex's polygons
  uint8_t diffuse;
  uint8_t specular;
  uint8_t flags;
  int16_t normal[3];          // 2.14 (16384 = 1.0)
  RwFixed intensity[3];       // 16.16 red, green, blue from vertex lighting
  RwFixed u, v;               // 16.16 texture coordinates (65536 = one width)
  uint32_t polygonCount;      // polygons registered with the vertex
  uint32_t polygonCapacity;
  RwPolygon** polygons;       // heap array, null until the first registers
};

struct RwTexture {
  RwTextureDictionary* dictionary;  // the dictionary listing it, or null
  uint8_t* texels;                  // first texel of the current frame
  intptr_t frameCount;              // raster height / 128
  intptr_t currentFrame;
  intptr_t frameStep;               // 1
  RwRaster* raster;                 // device format; this texture is its owner
  // One for being alive (until destroyed or replaced) plus one per material
  // that refers to it: a destroyed texture lives on, out of every
  // dictionary, until its last material lets go.
  intptr_t references;
};

struct RwMaterial {
  RwDrawEntry drawRoutine;   // first routine of the pair: without z-buffer
  RwDrawEntry zDrawRoutine;  // second routine: with z-buffer
  intptr_t pairIndex;        // 0..11 into the device's renderer pairs
  uint8_t opacity;           // 255 opaque, else a multiple of 4 (0..252)
  uintptr_t colour;          // device colour value
  uint8_t ambient;           // coefficients 0..255 (1.0 = 256)
  uint8_t diffuse;
  uint8_t specular;
  uint8_t textureModes;      // bits 0-2 rwTextureLit, rwTextureForeshorten, rwTextureFilter; 3-7 kept
  RwTexture* texture;        // or null
  RwPtrArray* users;         // caller-added polygons using it; null while none
  uintptr_t referenceCount;  // starts at 1
};

struct RwPolygon {
  RwMaterial* material;       // holds one reference
  RwFixed intensity[3];       // 16.16 facet lighting
  int16_t normal[3];          // 2.14 unit normal in modelling coordinates
  RwFixed centre[3];          // 16.16 average of the vertex positions
  uintptr_t data;             // the caller's
  RwPolygon* parent;          // itself when a caller added it; else the cut polygon
  RwPolygon* nextCut;       // next triangle cut from the same polygon
  RwClump* clump;             // owner, or null while loose
  uintptr_t materialUserIndex;  // its slot in the material's users while listed there
  int16_t tag;                // the caller's
  uint32_t vertexCount;       // wide enough for every polygon a reader accepts
  RwVertex* vertices[];       // vertexCount references into the clump's array, in drawing order
};

// Logarithm: a 512-byte area of which entries 256..511 are used; entry n =
// 256 x log2 of the midpoint of [n/256, (n+1)/256), truncated (0..255).
extern uint8_t* rwLogTable;

// Exponential: indexed -2048..6143 through a pointer to entry 0; entry i =
// 2^24 x (2^(-i/256) + 2^(-(i+1)/256)) / 2, truncated. The engine's own
// pointer to it is rwExpTable (engine/mathtables.h).
constexpr int rwExpTableFirst = -2048;
constexpr int rwExpTableLast = 6143;
extern uint32_t* rwSpanExpTable;

#endif
