// engine/polygon.h -- clump geometry: vertices and polygons.
//
// Owns: the `RwVertex` and `RwPolygon` records that the transform, lighting,
// clipping and the draw entries read (a vertex is built on the rasterisers'
// view of it, engine/raster/rasterapi.h); a clump's vertex array with its eight
// reserved corner vertices (the bounding box) and its growth; the pools
// "trianglelist" and "quadlist" and the heap records of larger polygons;
// registering polygons with their vertices, the vertex normals and surface
// coefficients derived from them; material assignment and the per-polygon
// setters that copy a shared material before changing it; reversing,
// destroying, and finishing a model built with derived data deferred.
// It does not own the clump record, its hierarchy and polygon arrays
// (engine/clump.h), the cutting of polygons into triangles
// (engine/triangulate.h) nor the materials (engine/material.h).
//
// Vertex indices: slot s of the array has index s - 7. Slots 0..7 (indices
// -7..0) are the corners of the box of the caller's vertices in modelling
// coordinates, bit 0 of the slot choosing x (set: max), bit 1 y (clear: max),
// bit 2 z (clear: max); slot 6 is the minimum corner and slot 1 the maximum.
// The first vertex a caller adds has index 1.
#ifndef LUMENFOLD_ENGINE_POLYGON_H
#define LUMENFOLD_ENGINE_POLYGON_H

#include <cstdint>

#include "engine/fixed.h"
#include "engine/matrix.h"
#include "engine/raster/rasterapi.h"

struct RwClump;
struct RwMaterial;
struct RwPolygon;
struct RwTexture;

// The screen position, depth, intensities, texture coordinates and flags
// are the part a draw routine reads (engine/raster/rasterapi.h).
struct RwVertex : RwRasterVertex {
  RwVector model;             // position in modelling coordinates
  uint8_t ambient;            // averages over the materials of the vertex's polygons
  uint8_t diffuse;
  uint8_t specular;
  int16_t normal[3];          // 2.14 (16384 = 1.0)
  uint32_t polygonCount;      // polygons registered with the vertex
  uint32_t polygonCapacity;
  RwPolygon** polygons;       // heap array, null until the first registers
};

struct RwPolygon {
  RwMaterial* material;       // holds one reference
  RwFixed intensity[3];       // 16.16 facet lighting
  int16_t normal[3];          // 2.14 unit normal in modelling coordinates
  RwFixed centre[3];          // 16.16 average of the vertex positions
  uintptr_t data;             // the caller's
  RwPolygon* parent;          // itself when a caller added it; else the cut polygon
  RwPolygon* nextCut;         // next triangle cut from the same polygon
  RwClump* clump;             // owner, or null while loose
  uintptr_t materialUserIndex;  // its slot in the material's users while listed there
  int16_t tag;                // the caller's
  uint32_t vertexCount;       // wide enough for every polygon a reader accepts
  RwVertex* vertices[];       // vertexCount references into the clump's array, in drawing order
};

// Vertex flag values.
constexpr uint8_t rwVertexNormalGiven = 1;    // never recomputed
constexpr uint8_t rwVertexUVGiven = 2;
constexpr uint8_t rwVertexDeferred = 4;       // derived data waits for the model's end

constexpr int rwReservedVertices = 8;
constexpr int rwMinimumCorner = -1;  // index of the box's minimum corner
constexpr int rwMaximumCorner = -6;
constexpr float rwLargestFloat = 3.4028235e38f;

struct RwVertexArray {
  RwClump* owner;             // null while being replaced or destroyed
  intptr_t capacity;          // vertex slots
  intptr_t count;             // slots in use, the 8 corners included
  RwVertex vertices[];        // capacity records
};

inline RwVertex* RwVertexAt(RwVertexArray* array, intptr_t index) { return &array->vertices[index + 7]; }
inline intptr_t RwVertexIndex(const RwVertexArray* array, const RwVertex* vertex) {
  return (vertex - array->vertices) - 7;
}

int RwOpenPolygonModule();
int RwClosePolygonModule();

// Model building: while set, new vertices are marked deferred and polygons
// are neither registered with their vertices nor cut.
void RwSetModelBuilding(int building);
int RwIsModelBuilding();

// A zero-filled array for n caller vertices (16 when n < 1) with empty
// corners; null with error 3.
RwVertexArray* RwCreateVertexArray(intptr_t vertices);
// Frees every vertex's polygon list, then the block; refuses (0) an array
// whose owner is still set.
int RwDestroyVertexArray(RwVertexArray* array);
// Grows the clump's array at once to take `more` vertices, so a bulk copy
// does not regrow it step by step. 1, or 0 with error 3.
int RwReserveClumpVertices(RwClump* clump, intptr_t more);

// The new vertex's index (1 and up), or 0. The plain entry first sets the
// clump's `editable` flag and leaves the vertex's derived data current; the
// modelling entry does neither.
intptr_t RwAddVertexToClump(RwClump* clump, float x, float y, float z);
intptr_t RwAddModelVertexToClump(RwClump* clump, float x, float y, float z);
intptr_t RwGetClumpNumVertices(const RwClump* clump);  // -1 for null
// Index -7..count-8 (error 24 otherwise); returns out.
RwVector* RwGetVertexPosition(RwClump* clump, intptr_t index, RwVector* out);
// Caller vertices only (error 24); a zero normal is error 31.
RwClump* RwSetVertexNormal(RwClump* clump, intptr_t index, const RwVector* normal);
// 1 with the pixel position, or 0 when the clump's last render found the
// vertex unprojectable.
int RwGetVertexScreenPosition(RwClump* clump, intptr_t index, intptr_t* x, intptr_t* y);

/*
 * RwAddPolygonToClump --
 *   Makes a polygon from the vertex indices (consecutive repeats and a last
 *   index equal to the first dropped), gives it the current material, and
 *   adds it to the clump, cutting it into triangles when the device cannot
 *   draw it whole.
 * Results:
 *   The polygon; 0 with no error when fewer than 3 indices remain; 0 with
 *   error 1 (null argument), 3 (memory), 24 (index out of range) or 47.
 */
RwPolygon* RwAddPolygonToClump(RwClump* clump, intptr_t count, const int32_t* indices);
// The same without setting `editable` (the modelling operations' entry).
RwPolygon* RwAddModelPolygonToClump(RwClump* clump, intptr_t count, const int32_t* indices);

/*
 * RwDestroyPolygon --
 *   Removes a caller's polygon from its clump (its triangles destroyed, its
 *   vertices unregistered) and from its material's users, releases its
 *   material and frees the record.
 * Results:
 *   1, or 0 with error 1 for null or when `editable` could not be set.
 */
int RwDestroyPolygon(RwPolygon* polygon);

RwMaterial* RwGetPolygonMaterial(const RwPolygon* polygon);
RwClump* RwGetPolygonClump(const RwPolygon* polygon);
uintptr_t RwGetPolygonData(const RwPolygon* polygon);
intptr_t RwGetPolygonTag(const RwPolygon* polygon);
RwPolygon* RwSetPolygonTag(RwPolygon* polygon, int16_t tag);
RwPolygon* RwSetPolygonData(RwPolygon* polygon, uintptr_t data);
RwVector* RwGetPolygonNormal(const RwPolygon* polygon, RwVector* out);
// Writes the indices in drawing order; returns the vertex count.
intptr_t RwGetPolygonVertexIndices(const RwPolygon* polygon, int32_t* out);
// Index of the vertex nearest to the pixel (squared distance written out).
intptr_t RwGetNearestPolygonVertex(const RwPolygon* polygon, intptr_t x, intptr_t y, intptr_t* squaredDistance);

// Each setter gives the polygon a private copy of a shared material first;
// returns the polygon, or 0 with the material operation's error.
RwPolygon* RwSetPolygonSurface(RwPolygon* polygon, float ambient, float diffuse, float specular);
RwPolygon* RwSetPolygonColor(RwPolygon* polygon, float red, float green, float blue);
RwPolygon* RwSetPolygonTexture(RwPolygon* polygon, RwTexture* texture);
RwPolygon* RwSetPolygonOpacity(RwPolygon* polygon, float opacity);
RwPolygon* RwSetPolygonGeometrySampling(RwPolygon* polygon, intptr_t geometry);
RwPolygon* RwSetPolygonLightSampling(RwPolygon* polygon, intptr_t light);
RwPolygon* RwSetPolygonTextureModes(RwPolygon* polygon, intptr_t modes);

// Gives the polygon and every triangle of its chain the material, shared
// with its other users (the setters above copy it before they change it);
// 1, or 0 with error 3 when the material's user list could not grow
// (nothing changed).
int RwAssignPolygonMaterial(RwPolygon* polygon, RwMaterial* material);

// Turns the polygon (and its triangles) to face the other way.
RwPolygon* RwReversePolygon(RwPolygon* polygon);

// ---- for the clump, material and cutting modules

// Recomputes the surface coefficients of the polygon's vertices.
void RwUpdatePolygonVertexSurfaces(RwPolygon* polygon);
// A polygon record for the clump from vertex indices with the material, not
// yet added; null as for RwAddPolygonToClump.
RwPolygon* RwCreatePolygon(RwClump* clump, intptr_t count, const int32_t* indices, RwMaterial* material);
// Adds a polygon made for the clump: registers it with its vertices, cuts
// it, lists it. 1, or 0 with everything undone.
int RwLinkPolygonToClump(RwClump* clump, RwPolygon* polygon);
// A triangle record (own normal and centre, no material), or null with error 3.
RwPolygon* RwCreateTriangle(RwVertex* a, RwVertex* b, RwVertex* c);
// Releases the record's material and frees it; no other bookkeeping.
void RwFreePolygonRecord(RwPolygon* polygon);
// The polygons callers added, in drawable order (a cut one when its last
// triangle is met), into out (room for the clump's polygon count); returns
// how many were found, which may disagree with the count.
uintptr_t RwCollectClumpPolygons(RwClump* clump, RwPolygon** out, uintptr_t room);
// After model building: registers and cuts the polygons and derives the
// deferred vertex normals and coefficients. 1 or 0.
int RwFinishClumpModel(RwClump* clump);

#endif
