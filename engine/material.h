// engine/material.h -- materials and the current-material stack.
//
// Owns: the pool "materiallist" and the `RwMaterial` records made from it,
// their reference counts and user lists, the choice of a material's draw pair
// among the device's 12 renderer pairs, the stack of current materials that
// new polygons take, and the summary of a clump's materials for rendering.
// It does not own the polygons (engine/polygon.h) nor the textures
// (engine/texture.h) nor the routines behind the pairs (the device's).
//
// A material remembers the index of its pair. Its geometry and light classes
// are read from that index, never recovered by comparing routine addresses:
// devices that install one routine in several pairs (the null device installs
// the same draw-nothing routine everywhere) would make that ambiguous.
#ifndef LUMENFOLD_ENGINE_MATERIAL_H
#define LUMENFOLD_ENGINE_MATERIAL_H

#include <cstdint>

#include "engine/device.h"

struct RwClump;
struct RwPolygon;
struct RwPtrArray;
struct RwTexture;

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

// Geometry sampling.
constexpr intptr_t rwPointCloud = 1;
constexpr intptr_t rwWireframe = 2;
constexpr intptr_t rwSolid = 3;
// Light sampling.
constexpr intptr_t rwFacet = 1;
constexpr intptr_t rwVertex = 2;
// Texture-mode bits.
constexpr intptr_t rwTextureLit = 1;
constexpr intptr_t rwTextureForeshorten = 2;
constexpr intptr_t rwTextureFilter = 4;

constexpr uint8_t rwOpaque = 255;
constexpr intptr_t rwDefaultPair = 4;  // solid, facet, opaque, untextured

int RwOpenMaterialModule();
// Releases the stack's materials, frees the stack and hands the pool back.
int RwCloseMaterialModule();

RwMaterial* RwCurrentMaterial();
intptr_t RwCurrentMaterialDepth();
// The new top, a copy of the material below it; 0 (depth unchanged) with
// error 3 when memory runs out.
RwMaterial* RwPushCurrentMaterial();
// Drops the top (kept in its slot for reuse when no one else holds it);
// does nothing at depth 0. Returns the new top.
RwMaterial* RwPopCurrentMaterial();
// The top when no one else holds it, else a private copy put in its place.
RwMaterial* RwWritableCurrentMaterial();

// A new material with the defaults, or null with error 3.
RwMaterial* RwCreateMaterial();
// A new material with the source's pair, opacity, colour, coefficients,
// texture modes and texture (not its users nor its count).
RwMaterial* RwCloneMaterial(const RwMaterial* source);
// Releases one reference; the last one frees the record. 1, or 0 for null.
int RwDestroyMaterial(RwMaterial* material);
// Defaults: pair 4, no texture, modes lit, coefficients 0, black, opaque.
RwMaterial* RwResetMaterial(RwMaterial* material);

// Setters return the material, or null with the sticky error set. Float
// values convert by their bits: negative -> 0, 1.0 or more -> the maximum,
// else the integer part of value x 65536 (colour channel), shifted right by
// 8 (coefficients) and with its two low bits cleared (opacity).
RwMaterial* RwSetMaterialColor(RwMaterial* material, float red, float green, float blue);
RwMaterial* RwSetMaterialSurface(RwMaterial* material, float ambient, float diffuse, float specular);
RwMaterial* RwSetMaterialAmbient(RwMaterial* material, float value);
RwMaterial* RwSetMaterialDiffuse(RwMaterial* material, float value);
RwMaterial* RwSetMaterialSpecular(RwMaterial* material, float value);
RwMaterial* RwSetMaterialOpacity(RwMaterial* material, float value);
// 1, 2 or 3 (else error 26).
RwMaterial* RwSetMaterialGeometrySampling(RwMaterial* material, intptr_t geometry);
// 1 facet or 2 vertex (else error 28).
RwMaterial* RwSetMaterialLightSampling(RwMaterial* material, intptr_t light);
// A texture without raster is error 83; null removes the texture.
RwMaterial* RwSetMaterialTexture(RwMaterial* material, RwTexture* texture);
// Modes beyond bit 2 are error 56.
RwMaterial* RwSetMaterialTextureModes(RwMaterial* material, intptr_t modes);
RwMaterial* RwAddMaterialTextureModes(RwMaterial* material, intptr_t modes);
RwMaterial* RwRemoveMaterialTextureModes(RwMaterial* material, intptr_t modes);

// 1, 2 or 3; 0 with error 76 when the pair index is none of the device's.
intptr_t RwGetMaterialGeometrySampling(const RwMaterial* material);
// 1 facet, 2 vertex, 0 when the pair index is none of the device's.
intptr_t RwGetMaterialLightSampling(const RwMaterial* material);

// Colour and surface of the current modelling material, made private first.
int RwSetColor(float red, float green, float blue);
int RwSetSurface(float ambient, float diffuse, float specular);

/*
 * RwClassifyClumpMaterials --
 *   Fills the clump's draw choice from its drawable polygons: uniform when
 *   every polygon's material has the first one's pair (the clump then takes
 *   that pair and its geometry sampling), and the union of the light classes
 *   (bit 0 facet, bit 1 vertex) as the clump's light sampling.
 */
RwClump* RwClassifyClumpMaterials(RwClump* clump);

// Calls the function for each polygon of the users array that is its own
// parent; returns the array.
RwPtrArray* RwForAllMaterialPolygons(RwPtrArray* users, RwPolygon* (*function)(RwPolygon* polygon));

// User-list bookkeeping for the polygon module: 1, or 0 with error 3.
// Removal takes constant time through the slot the polygon keeps, so a
// polygon is listed by at most one material at a time: take it out of the
// old list before adding it to another.
int RwAddMaterialUser(RwMaterial* material, RwPolygon* polygon);
void RwRemoveMaterialUser(RwMaterial* material, RwPolygon* polygon);

#endif
