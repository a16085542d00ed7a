// engine/polygon.cpp -- clump geometry: vertex arrays, polygons, derived
// vertex data, material assignment and the per-polygon setters.
#include "engine/polygon.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/error.h"
#include "engine/material.h"
#include "engine/pool.h"
#include "engine/poolrecords.h"
#include "engine/ptrarray.h"
#include "engine/triangulate.h"

namespace {

// The geometry modules' pools (engine/poolrecords.h).
RwPoolRecords poolRecords;

RwPoolRecords::Polygons& polygons() { return poolRecords.polygons; }

constexpr RwFixed untouchedTextureCoordinate = 32512;  // 0x7F00
constexpr uint32_t firstPolygonListCapacity = 6;
constexpr float unitNormal = 16384.0f;                  // 2.14
constexpr float fromUnitNormal = 6.103515625e-5f;       // 1 / 16384

size_t polygonBytes(uintptr_t vertices) { return sizeof(RwPolygon) + vertices * sizeof(RwVertex*); }

RwPolygon* allocPolygonRecord(uintptr_t vertices) {
  if (vertices == 3) return static_cast<RwPolygon*>(RwAllocRecord(polygons().triangles));
  if (vertices == 4) return static_cast<RwPolygon*>(RwAllocRecord(polygons().quads));
  auto* polygon = static_cast<RwPolygon*>(RwEngineAlloc(polygonBytes(vertices)));
  if (!polygon) RwSetError(rwErrOutOfMemory);
  return polygon;
}

void releasePolygonRecord(RwPolygon* polygon) {
  if (polygon->vertexCount == 3) {
    RwFreeRecord(polygons().triangles, polygon);
  } else if (polygon->vertexCount == 4) {
    RwFreeRecord(polygons().quads, polygon);
  } else {
    RwEngineFree(polygon);
  }
}

// ---- vertex arrays

void setCorners(RwVertexArray* array, const RwVector& minimum, const RwVector& maximum) {
  for (int slot = 0; slot < rwReservedVertices; ++slot) {
    RwVector& corner = array->vertices[slot].model;
    corner.x = slot & 1 ? maximum.x : minimum.x;
    corner.y = slot & 2 ? minimum.y : maximum.y;
    corner.z = slot & 4 ? minimum.z : maximum.z;
  }
}

RwVector minimumCorner(RwVertexArray* array) { return RwVertexAt(array, rwMinimumCorner)->model; }
RwVector maximumCorner(RwVertexArray* array) { return RwVertexAt(array, rwMaximumCorner)->model; }

void widenCorners(RwVertexArray* array, const RwVector& point) {
  RwVector minimum = minimumCorner(array);
  RwVector maximum = maximumCorner(array);
  minimum = {std::min(minimum.x, point.x), std::min(minimum.y, point.y), std::min(minimum.z, point.z)};
  maximum = {std::max(maximum.x, point.x), std::max(maximum.y, point.y), std::max(maximum.z, point.z)};
  setCorners(array, minimum, maximum);
}

// Every reference into the old block moves to the same slot of the new one.
void repointReferences(RwPtrArray* polygons, const RwVertexArray* from, RwVertexArray* to) {
  if (!polygons) return;
  for (uintptr_t i = 0; i < polygons->count; ++i) {
    auto* polygon = static_cast<RwPolygon*>(RwPtrArrayEntry(polygons, i));
    for (uint32_t k = 0; k < polygon->vertexCount; ++k) {
      polygon->vertices[k] = to->vertices + (polygon->vertices[k] - from->vertices);
    }
  }
}

// Replaces the clump's array by one with room for `vertices`; polygons follow.
bool growVertexArray(RwClump* clump, intptr_t vertices) {
  RwVertexArray* old = clump->vertexArray;
  RwVertexArray* grown = RwCreateVertexArray(vertices);
  if (!grown) return false;
  // Corners move too: polygons may use them as vertices.
  for (intptr_t slot = 0; slot < old->count; ++slot) {
    grown->vertices[slot] = old->vertices[slot];
    old->vertices[slot].polygons = nullptr;
  }
  grown->count = old->count;
  // Drawable polygons hold the uncut ones and every triangle; the parents of
  // the triangles are in the cut array.
  repointReferences(clump->drawablePolygons, old, grown);
  repointReferences(clump->cutPolygons, old, grown);
  old->owner = nullptr;
  RwDestroyVertexArray(old);
  clump->vertexArray = grown;
  grown->owner = clump;
  return true;
}

intptr_t addVertex(RwClump* clump, float x, float y, float z) {
  rwClumpLinks.scene().markBoundsStale(clump);
  RwVertexArray* array = clump->vertexArray;
  if (array->count == array->capacity) {
    if (!growVertexArray(clump, array->count + array->count / 2)) return 0;
    array = clump->vertexArray;
  }
  if (array->count == array->capacity) return 0;
  intptr_t slot = array->count++;
  RwVertex& vertex = array->vertices[slot];
  vertex.flags = polygons().modelBuilding ? rwVertexDeferred : 0;
  vertex.model = {x, y, z};
  widenCorners(array, vertex.model);
  if (array->owner) RwInvalidateClumpTransformCache(array->owner);
  return slot - 7;
}

bool validIndex(const RwVertexArray* array, intptr_t index, intptr_t lowest) {
  return index >= lowest && index < array->count - 7;
}

// ---- derived vertex data

void updateVertexNormal(RwVertex* vertex) {
  if (vertex->flags & (rwVertexNormalGiven | rwVertexDeferred)) return;
  if (vertex->polygonCount == 0) {
    vertex->normal[0] = vertex->normal[1] = vertex->normal[2] = 0;
    return;
  }
  // Each 2.14 component times 4 is 16.16. Summed wide: a vertex may have
  // more polygons than a 32-bit sum of unit normals can hold.
  int64_t wide[3] = {0, 0, 0};
  for (uint32_t i = 0; i < vertex->polygonCount; ++i) {
    const int16_t* normal = vertex->polygons[i]->normal;
    for (int c = 0; c < 3; ++c) wide[c] += normal[c] * 4;
  }
  if (std::abs(wide[0]) <= 256 && std::abs(wide[1]) <= 256 && std::abs(wide[2]) <= 256) {
    std::memcpy(vertex->normal, vertex->polygons[0]->normal, sizeof vertex->normal);
    return;
  }
  // Only the direction matters: halve until it fits 16.16.
  while (std::abs(wide[0]) > INT32_MAX / 2 || std::abs(wide[1]) > INT32_MAX / 2 || std::abs(wide[2]) > INT32_MAX / 2) {
    for (int64_t& component : wide) component /= 2;
  }
  RwFixedVector sum = {static_cast<RwFixed>(wide[0]), static_cast<RwFixed>(wide[1]), static_cast<RwFixed>(wide[2])};
  RwNormalizeFixedVector(&sum);
  vertex->normal[0] = static_cast<int16_t>(sum.x >> 2);
  vertex->normal[1] = static_cast<int16_t>(sum.y >> 2);
  vertex->normal[2] = static_cast<int16_t>(sum.z >> 2);
}

void updateVertexSurface(RwVertex* vertex) {
  if (vertex->flags & rwVertexDeferred) return;
  uint32_t ambient = 0, diffuse = 0, specular = 0;
  for (uint32_t i = 0; i < vertex->polygonCount; ++i) {
    const RwMaterial* material = vertex->polygons[i]->material;
    ambient += material->ambient;
    diffuse += material->diffuse;
    specular += material->specular;
  }
  uint32_t count = vertex->polygonCount ? vertex->polygonCount : 1;
  vertex->ambient = static_cast<uint8_t>(ambient / count);
  vertex->diffuse = static_cast<uint8_t>(diffuse / count);
  vertex->specular = static_cast<uint8_t>(specular / count);
}

bool registerWithVertex(RwVertex* vertex, RwPolygon* polygon) {
  if (vertex->polygonCount == vertex->polygonCapacity) {
    uint32_t capacity = vertex->polygonCapacity;
    if (capacity == 0 && vertex->polygons) {
      RwSetError(rwErrVertexArray);
      return false;
    }
    uint32_t grown = capacity == 0 ? firstPolygonListCapacity : capacity + (capacity + 1) / 2;
    auto* list = static_cast<RwPolygon**>(RwEngineRealloc(vertex->polygons, grown * sizeof(RwPolygon*)));
    if (!list) {
      RwSetError(rwErrOutOfMemory);
      return false;
    }
    vertex->polygons = list;
    vertex->polygonCapacity = grown;
  }
  vertex->polygons[vertex->polygonCount++] = polygon;
  updateVertexNormal(vertex);
  updateVertexSurface(vertex);
  return true;
}

void unregisterFromVertex(RwVertex* vertex, RwPolygon* polygon) {
  for (uint32_t i = 0; i < vertex->polygonCount; ++i) {
    if (vertex->polygons[i] != polygon) continue;
    vertex->polygons[i] = vertex->polygons[--vertex->polygonCount];
    updateVertexNormal(vertex);
    updateVertexSurface(vertex);
    return;
  }
}

void unregisterFirst(RwPolygon* polygon, uint32_t registered) {
  while (registered > 0) unregisterFromVertex(polygon->vertices[--registered], polygon);
}

bool registerWithVertices(RwPolygon* polygon) {
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) {
    if (!registerWithVertex(polygon->vertices[i], polygon)) {
      unregisterFirst(polygon, i);
      return false;
    }
  }
  return true;
}

// ---- plane of a polygon

struct Plane {
  RwVector centre;
  RwVector normal;
};

Plane planeOf(RwVertex* const* vertices, uint32_t count) {
  Plane plane = {{0, 0, 0}, {0, 0, 0}};
  for (uint32_t i = 0; i < count; ++i) RwAddVector(&plane.centre, &vertices[i]->model, &plane.centre);
  RwScaleVector(&plane.centre, 1.0f / static_cast<float>(count), &plane.centre);
  const RwVector& first = vertices[0]->model;
  for (uint32_t i = 1; i + 1 < count; ++i) {
    RwVector a, b, cross;
    RwSubtractVector(&vertices[i]->model, &first, &a);
    RwSubtractVector(&vertices[i + 1]->model, &first, &b);
    RwAddVector(&plane.normal, RwCrossProduct(&a, &b, &cross), &plane.normal);
  }
  RwNormalize(&plane.normal);
  return plane;
}

void storePlane(RwPolygon* polygon, const Plane& plane) {
  polygon->centre[0] = RwRealToFixed(plane.centre.x);
  polygon->centre[1] = RwRealToFixed(plane.centre.y);
  polygon->centre[2] = RwRealToFixed(plane.centre.z);
  polygon->normal[0] = static_cast<int16_t>(RwRealToInt(plane.normal.x * unitNormal));
  polygon->normal[1] = static_cast<int16_t>(RwRealToInt(plane.normal.y * unitNormal));
  polygon->normal[2] = static_cast<int16_t>(RwRealToInt(plane.normal.z * unitNormal));
}

void initialiseRecord(RwPolygon* polygon, uint32_t vertices) {
  polygon->material = nullptr;
  polygon->intensity[0] = polygon->intensity[1] = polygon->intensity[2] = 0;
  polygon->data = 0;
  polygon->parent = polygon;
  polygon->nextCut = nullptr;
  polygon->clump = nullptr;
  polygon->materialUserIndex = 0;
  polygon->tag = 0;
  polygon->vertexCount = vertices;
}

// Consecutive repeats go, and a last index equal to the first; returns the
// number left.
intptr_t dropRepeats(int32_t* indices, intptr_t count) {
  intptr_t kept = 0;
  for (intptr_t i = 0; i < count; ++i) {
    if (kept > 0 && indices[i] == indices[kept - 1]) continue;
    indices[kept++] = indices[i];
  }
  if (kept > 1 && indices[kept - 1] == indices[0]) --kept;
  return kept;
}

// ---- membership of a clump

void appendOrFail(RwPtrArray** array, void* entry, bool* ok) {
  if (!*ok) return;
  RwPtrArray* grown = RwAppendPtrArray(*array, entry);
  if (grown) {
    *array = grown;
  } else {
    *ok = false;
  }
}

void destroyCutTriangles(RwPolygon* polygon, RwClump* clump) {
  RwPolygon* triangle = polygon->nextCut;
  while (triangle) {
    RwPolygon* next = triangle->nextCut;
    if (clump) RwRemoveFromPtrArrayOrdered(clump->drawablePolygons, triangle);
    RwFreePolygonRecord(triangle);
    triangle = next;
  }
  polygon->nextCut = nullptr;
}

// Undoes RwLinkPolygonToClump, also after it failed part way.
void unlinkPolygonFromClump(RwPolygon* polygon) {
  RwClump* clump = polygon->clump;
  if (polygon->nextCut) {
    destroyCutTriangles(polygon, clump);
    RwRemoveFromPtrArray(clump->cutPolygons, polygon);
  } else {
    RwRemoveFromPtrArrayOrdered(clump->drawablePolygons, polygon);
  }
  unregisterFirst(polygon, polygon->vertexCount);
  --clump->polygonCount;
  polygon->clump = nullptr;
}

RwPolygon* withPrivateMaterial(RwPolygon* polygon) {
  if (!polygon) return failWith<RwPolygon>(rwErrInvalidArgument);
  RwMaterial* material = polygon->material;
  if (material->referenceCount == 1) return polygon;
  RwMaterial* copy = RwCloneMaterial(material);
  if (!copy) return nullptr;
  --copy->referenceCount;  // the assignment raises it again
  if (!RwAssignPolygonMaterial(polygon, copy)) {
    RwDestroyMaterial(copy);
    return nullptr;
  }
  return polygon;
}

RwPolygon* addPolygon(RwClump* clump, intptr_t count, const int32_t* indices, bool markEditable) {
  if (!clump || !indices) return failWith<RwPolygon>(rwErrInvalidArgument);
  if (markEditable && !RwMakeClumpEditable(clump)) return nullptr;
  RwPolygon* polygon = RwCreatePolygon(clump, count, indices, RwCurrentMaterial());
  if (!polygon) return nullptr;
  if (!RwLinkPolygonToClump(clump, polygon)) {
    RwFreePolygonRecord(polygon);
    return nullptr;
  }
  return polygon;
}

}  // namespace

// ---- module

int RwOpenPolygonModule() {
  RwPoolRecords::Polygons& module = polygons();
  module.triangles = RwCreatePool("trianglelist", static_cast<intptr_t>(polygonBytes(3)));
  module.quads = RwCreatePool("quadlist", static_cast<intptr_t>(polygonBytes(4)));
  if (!module.triangles || !module.quads) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  return 1;
}

int RwClosePolygonModule() {
  RwPoolRecords::Polygons& module = polygons();
  RwDestroyPool(module.triangles);
  RwDestroyPool(module.quads);
  module = {};
  return 1;
}

void RwSetModelBuilding(int building) { polygons().modelBuilding = building != 0; }
int RwIsModelBuilding() { return polygons().modelBuilding ? 1 : 0; }

// ---- vertex arrays and vertices

RwVertexArray* RwCreateVertexArray(intptr_t vertices) {
  intptr_t capacity = (vertices < 1 ? 16 : vertices) + rwReservedVertices;
  size_t bytes = sizeof(RwVertexArray) + static_cast<size_t>(capacity) * sizeof(RwVertex);
  auto* array = static_cast<RwVertexArray*>(RwEngineAlloc(bytes));
  if (!array) return failWith<RwVertexArray>(rwErrOutOfMemory);
  array->owner = nullptr;
  array->capacity = capacity;
  array->count = rwReservedVertices;
  setCorners(array, {rwLargestFloat, rwLargestFloat, rwLargestFloat},
             {-rwLargestFloat, -rwLargestFloat, -rwLargestFloat});
  for (intptr_t slot = rwReservedVertices; slot < capacity; ++slot) {
    array->vertices[slot].u = array->vertices[slot].v = untouchedTextureCoordinate;
  }
  return array;
}

int RwReserveClumpVertices(RwClump* clump, intptr_t more) {
  RwVertexArray* array = clump->vertexArray;
  if (more <= array->capacity - array->count) return 1;
  return growVertexArray(clump, array->count - rwReservedVertices + more) ? 1 : 0;
}

int RwDestroyVertexArray(RwVertexArray* array) {
  if (!array || array->owner) return 0;
  for (intptr_t slot = 0; slot < array->count; ++slot) RwEngineFree(array->vertices[slot].polygons);
  RwEngineFree(array);
  return 1;
}

intptr_t RwAddVertexToClump(RwClump* clump, float x, float y, float z) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  if (!RwMakeClumpEditable(clump)) return 0;
  intptr_t index = addVertex(clump, x, y, z);
  if (index) RwVertexAt(clump->vertexArray, index)->flags &= ~rwVertexDeferred;
  return index;
}

intptr_t RwAddModelVertexToClump(RwClump* clump, float x, float y, float z) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return addVertex(clump, x, y, z);
}

intptr_t RwGetClumpNumVertices(const RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return -1;
  }
  return clump->vertexArray->count - rwReservedVertices;
}

RwVector* RwGetVertexPosition(RwClump* clump, intptr_t index, RwVector* out) {
  if (!clump || !out) return failWith<RwVector>(rwErrInvalidArgument);
  if (!validIndex(clump->vertexArray, index, -7)) return failWith<RwVector>(rwErrVertexIndex);
  *out = RwVertexAt(clump->vertexArray, index)->model;
  return out;
}

RwClump* RwSetVertexNormal(RwClump* clump, intptr_t index, const RwVector* normal) {
  if (!clump || !normal) return failWith<RwClump>(rwErrInvalidArgument);
  if (!validIndex(clump->vertexArray, index, 1)) return failWith<RwClump>(rwErrVertexIndex);
  RwVector unit;
  RwNormalizeVector(&unit, normal);
  int16_t stored[3] = {static_cast<int16_t>(RwRealToInt(unit.x * unitNormal)),
                       static_cast<int16_t>(RwRealToInt(unit.y * unitNormal)),
                       static_cast<int16_t>(RwRealToInt(unit.z * unitNormal))};
  if (stored[0] == 0 && stored[1] == 0 && stored[2] == 0) return failWith<RwClump>(rwErrZeroVector);
  RwVertex* vertex = RwVertexAt(clump->vertexArray, index);
  std::memcpy(vertex->normal, stored, sizeof stored);
  vertex->flags |= rwVertexNormalGiven;
  clump->lightingStamp = 0;
  return clump;
}

int RwGetVertexScreenPosition(RwClump* clump, intptr_t index, intptr_t* x, intptr_t* y) {
  if (!clump || !x || !y) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  if (!validIndex(clump->vertexArray, index, -7)) {
    RwSetError(rwErrVertexIndex);
    return 0;
  }
  const RwVertex* vertex = RwVertexAt(clump->vertexArray, index);
  uintptr_t outcode = clump->lastOutcode;
  if (outcode >= 256) return 0;
  if (outcode == 0) {
    *x = vertex->screenX >> 16;
    *y = vertex->screenY >> 16;
    return 1;
  }
  // Clipped clumps keep camera-space positions: project this one here.
  const RwCamera* camera = clump->cachedCamera;
  if (!camera) return 0;
  float depth = vertex->cameraDepth;
  if ((outcode & (16 | 32)) && (depth < camera->nearClipping || depth > camera->farClipping)) return 0;
  float cameraX, cameraY;
  std::memcpy(&cameraX, &vertex->screenX, sizeof cameraX);
  std::memcpy(&cameraY, &vertex->screenY, sizeof cameraY);
  *x = RwRealToInt(cameraX / depth * camera->viewportScale[0]) >> 16;
  *y = RwRealToInt(cameraY / depth * camera->viewportScale[1]) >> 16;
  return 1;
}

// ---- polygons

RwPolygon* RwCreatePolygon(RwClump* clump, intptr_t count, const int32_t* indices, RwMaterial* material) {
  if (count < 3) return nullptr;
  auto* kept = static_cast<int32_t*>(RwEngineAlloc(static_cast<size_t>(count) * sizeof(int32_t)));
  if (!kept) return failWith<RwPolygon>(rwErrOutOfMemory);
  std::memcpy(kept, indices, static_cast<size_t>(count) * sizeof(int32_t));
  count = dropRepeats(kept, count);
  RwPolygon* polygon = count < 3 ? nullptr : allocPolygonRecord(static_cast<uintptr_t>(count));
  if (polygon) {
    initialiseRecord(polygon, static_cast<uint32_t>(count));
    RwVertexArray* array = clump->vertexArray;
    for (intptr_t i = 0; i < count && polygon; ++i) {
      if (validIndex(array, kept[i], -7)) {
        polygon->vertices[i] = RwVertexAt(array, kept[i]);
      } else {
        RwSetError(rwErrVertexIndex);
        releasePolygonRecord(polygon);
        polygon = nullptr;
      }
    }
  }
  RwEngineFree(kept);
  if (!polygon) return nullptr;
  storePlane(polygon, planeOf(polygon->vertices, polygon->vertexCount));
  if (!RwAssignPolygonMaterial(polygon, material)) {
    releasePolygonRecord(polygon);
    return nullptr;
  }
  return polygon;
}

RwPolygon* RwCreateTriangle(RwVertex* a, RwVertex* b, RwVertex* c) {
  auto* triangle = static_cast<RwPolygon*>(RwAllocRecord(polygons().triangles));
  if (!triangle) return nullptr;
  initialiseRecord(triangle, 3);
  triangle->vertices[0] = a;
  triangle->vertices[1] = b;
  triangle->vertices[2] = c;
  storePlane(triangle, planeOf(triangle->vertices, 3));
  return triangle;
}

void RwFreePolygonRecord(RwPolygon* polygon) {
  if (polygon->material) {
    if (polygon->parent == polygon) RwRemoveMaterialUser(polygon->material, polygon);
    RwDestroyMaterial(polygon->material);
  }
  releasePolygonRecord(polygon);
}

int RwLinkPolygonToClump(RwClump* clump, RwPolygon* polygon) {
  polygon->parent = polygon;
  polygon->clump = clump;
  if (!polygons().modelBuilding && !registerWithVertices(polygon)) {
    polygon->clump = nullptr;
    return 0;
  }
  ++clump->polygonCount;
  bool ok = true;
  intptr_t triangles = polygons().modelBuilding ? 0 : RwCutPolygon(polygon);
  if (triangles > 0) {
    appendOrFail(&clump->cutPolygons, polygon, &ok);
    if (ok) ok = RwAssignPolygonMaterial(polygon, polygon->material) != 0;
    for (RwPolygon* triangle = polygon->nextCut; triangle && ok; triangle = triangle->nextCut) {
      triangle->clump = clump;
      appendOrFail(&clump->drawablePolygons, triangle, &ok);
    }
  } else {
    appendOrFail(&clump->drawablePolygons, polygon, &ok);
  }
  if (!ok) unlinkPolygonFromClump(polygon);
  return ok ? 1 : 0;
}

RwPolygon* RwAddPolygonToClump(RwClump* clump, intptr_t count, const int32_t* indices) {
  return addPolygon(clump, count, indices, true);
}

RwPolygon* RwAddModelPolygonToClump(RwClump* clump, intptr_t count, const int32_t* indices) {
  return addPolygon(clump, count, indices, false);
}

int RwDestroyPolygon(RwPolygon* polygon) {
  // Triangles of a cut polygon go only with their parent.
  if (!polygon || polygon->parent != polygon) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  RwClump* clump = polygon->clump;
  if (clump && !RwClumpIsBeingDestroyed(clump)) {
    if (!RwMakeClumpEditable(clump)) return 0;
    unlinkPolygonFromClump(polygon);
  } else {
    destroyCutTriangles(polygon, nullptr);
  }
  RwFreePolygonRecord(polygon);
  return 1;
}

RwMaterial* RwGetPolygonMaterial(const RwPolygon* polygon) {
  return polygon ? polygon->material : failWith<RwMaterial>(rwErrInvalidArgument);
}

RwClump* RwGetPolygonClump(const RwPolygon* polygon) {
  return polygon ? polygon->clump : failWith<RwClump>(rwErrInvalidArgument);
}

uintptr_t RwGetPolygonData(const RwPolygon* polygon) {
  if (!polygon) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return polygon->data;
}

intptr_t RwGetPolygonTag(const RwPolygon* polygon) {
  if (!polygon) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return polygon->tag;
}

RwPolygon* RwSetPolygonTag(RwPolygon* polygon, int16_t tag) {
  if (!polygon) return failWith<RwPolygon>(rwErrInvalidArgument);
  polygon->tag = tag;
  return polygon;
}

RwPolygon* RwSetPolygonData(RwPolygon* polygon, uintptr_t data) {
  if (!polygon) return failWith<RwPolygon>(rwErrInvalidArgument);
  polygon->data = data;
  return polygon;
}

RwVector* RwGetPolygonNormal(const RwPolygon* polygon, RwVector* out) {
  if (!polygon || !out) return failWith<RwVector>(rwErrInvalidArgument);
  out->x = polygon->normal[0] * fromUnitNormal;
  out->y = polygon->normal[1] * fromUnitNormal;
  out->z = polygon->normal[2] * fromUnitNormal;
  return out;
}

intptr_t RwGetPolygonVertexIndices(const RwPolygon* polygon, int32_t* out) {
  if (!polygon || !out || !polygon->clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  const RwVertexArray* array = polygon->clump->vertexArray;
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) {
    out[i] = static_cast<int32_t>(RwVertexIndex(array, polygon->vertices[i]));
  }
  return polygon->vertexCount;
}

intptr_t RwGetNearestPolygonVertex(const RwPolygon* polygon, intptr_t x, intptr_t y, intptr_t* squaredDistance) {
  if (!polygon || !squaredDistance || !polygon->clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  // Through the screen position, so that a clipped clump, whose vertices
  // hold camera-frame coordinates, answers in pixels too; a vertex that
  // cannot be projected is never the nearest.
  RwClump* clump = polygon->clump;
  auto distance = [&](uint32_t i) {
    intptr_t sx = 0, sy = 0;
    intptr_t index = RwVertexIndex(clump->vertexArray, polygon->vertices[i]);
    if (!RwGetVertexScreenPosition(clump, index, &sx, &sy)) return INTPTR_MAX;
    return (sx - x) * (sx - x) + (sy - y) * (sy - y);
  };
  uint32_t nearest = 0;
  intptr_t best = distance(0);
  for (uint32_t i = polygon->vertexCount - 1; i >= 1; --i) {
    intptr_t d = distance(i);
    if (d < best) {
      best = d;
      nearest = i;
    }
  }
  *squaredDistance = best;
  return RwVertexIndex(polygon->clump->vertexArray, polygon->vertices[nearest]);
}

RwPolygon* RwSetPolygonSurface(RwPolygon* polygon, float ambient, float diffuse, float specular) {
  if (!withPrivateMaterial(polygon)) return nullptr;
  return RwSetMaterialSurface(polygon->material, ambient, diffuse, specular) ? polygon : nullptr;
}

RwPolygon* RwSetPolygonColor(RwPolygon* polygon, float red, float green, float blue) {
  if (!withPrivateMaterial(polygon)) return nullptr;
  return RwSetMaterialColor(polygon->material, red, green, blue) ? polygon : nullptr;
}

RwPolygon* RwSetPolygonTexture(RwPolygon* polygon, RwTexture* texture) {
  if (!withPrivateMaterial(polygon)) return nullptr;
  return RwSetMaterialTexture(polygon->material, texture) ? polygon : nullptr;
}

RwPolygon* RwSetPolygonOpacity(RwPolygon* polygon, float opacity) {
  if (!withPrivateMaterial(polygon)) return nullptr;
  return RwSetMaterialOpacity(polygon->material, opacity) ? polygon : nullptr;
}

RwPolygon* RwSetPolygonGeometrySampling(RwPolygon* polygon, intptr_t geometry) {
  if (!withPrivateMaterial(polygon)) return nullptr;
  return RwSetMaterialGeometrySampling(polygon->material, geometry) ? polygon : nullptr;
}

RwPolygon* RwSetPolygonLightSampling(RwPolygon* polygon, intptr_t light) {
  if (!withPrivateMaterial(polygon)) return nullptr;
  return RwSetMaterialLightSampling(polygon->material, light) ? polygon : nullptr;
}

RwPolygon* RwSetPolygonTextureModes(RwPolygon* polygon, intptr_t modes) {
  if (!withPrivateMaterial(polygon)) return nullptr;
  return RwSetMaterialTextureModes(polygon->material, modes) ? polygon : nullptr;
}

RwPolygon* RwReversePolygon(RwPolygon* polygon) {
  if (!polygon) return failWith<RwPolygon>(rwErrInvalidArgument);
  RwClump* clump = polygon->clump;
  if (clump && !RwMakeClumpEditable(clump)) return nullptr;
  for (RwPolygon* record = polygon; record; record = record->nextCut) {
    for (int16_t& component : record->normal) component = static_cast<int16_t>(-component);
    std::reverse(record->vertices, record->vertices + record->vertexCount);
  }
  if (clump) {
    if (polygon->parent == polygon) {
      for (uint32_t i = 0; i < polygon->vertexCount; ++i) updateVertexNormal(polygon->vertices[i]);
    }
    clump->lightingStamp = 0;
  }
  return polygon;
}

// ---- bookkeeping for other modules

int RwAssignPolygonMaterial(RwPolygon* polygon, RwMaterial* material) {
  for (RwPolygon* record = polygon; record; record = record->nextCut) {
    RwMaterial* old = record->material;
    if (old == material) continue;
    bool listed = record->parent == record;
    // Out of the old list first: the polygon keeps one slot, its latest.
    if (listed && old) RwRemoveMaterialUser(old, record);
    if (listed && !RwAddMaterialUser(material, record)) {
      if (old) RwAddMaterialUser(old, record);  // fits without growing: its slot was just freed
      return 0;
    }
    record->material = material;
    ++material->referenceCount;
    if (old) RwDestroyMaterial(old);
  }
  RwClump* clump = polygon->clump;
  if (clump) {
    if (material->pairIndex != clump->drawChoice.pairIndex) clump->drawChoice.reevaluate = 1;
    RwUpdatePolygonVertexSurfaces(polygon);
    clump->lightingStamp = 0;
  }
  return 1;
}

void RwUpdatePolygonVertexSurfaces(RwPolygon* polygon) {
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) updateVertexSurface(polygon->vertices[i]);
}

uintptr_t RwCollectClumpPolygons(RwClump* clump, RwPolygon** out, uintptr_t room) {
  uintptr_t found = 0;
  RwPtrArray* drawable = clump->drawablePolygons;
  for (uintptr_t i = 0; i < drawable->count; ++i) {
    auto* polygon = static_cast<RwPolygon*>(RwPtrArrayEntry(drawable, i));
    if (polygon->parent != polygon) {
      if (polygon->nextCut) continue;  // the parent is taken at its last triangle
      polygon = polygon->parent;
    }
    if (found < room) out[found] = polygon;
    ++found;
  }
  return found;
}

int RwFinishClumpModel(RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  RwPtrArray* held = clump->drawablePolygons;
  RwPtrArray* rebuilt = RwCreatePtrArray(static_cast<intptr_t>(held->count));
  if (!rebuilt) return 0;
  clump->drawablePolygons = rebuilt;
  clump->polygonCount = 0;
  for (uintptr_t i = 0; i < held->count; ++i) {
    auto* polygon = static_cast<RwPolygon*>(RwPtrArrayEntry(held, i));
    if (!RwLinkPolygonToClump(clump, polygon)) RwFreePolygonRecord(polygon);
  }
  RwDestroyPtrArray(held);
  RwVertexArray* array = clump->vertexArray;
  for (intptr_t slot = array->count - 1; slot >= rwReservedVertices; --slot) {
    RwVertex* vertex = &array->vertices[slot];
    vertex->flags &= ~rwVertexDeferred;
    updateVertexNormal(vertex);
    updateVertexSurface(vertex);
  }
  rwClumpLinks.sorting().geometryChangedInBulk(clump);
  return 1;
}

RwPoolRecords& rwPoolRecords() { return poolRecords; }
