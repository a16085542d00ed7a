// engine/clump.cpp -- clumps: records, hierarchy, world matrices, iterators,
// duplication and merging.
#include "engine/clump.h"

#include <new>
#include <vector>

#include "engine/error.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/poolrecords.h"
#include "engine/ptrarray.h"
#include "engine/triangulate.h"

namespace {

constexpr intptr_t defaultPolygonRoom = 8;
constexpr intptr_t cutPolygonRoom = 8;

// ---- hidden-surface mode

intptr_t hiddenSurfaceMode(uintptr_t flags) {
  if (!(flags & rwHiddenSurface)) return 0;
  return flags & rwEditable ? 2 : 1;
}

// Plane order is kept only for clumps of at most 1000 polygons; larger ones
// are z-buffered instead.
uintptr_t effectiveFlags(const RwClump* clump, uintptr_t flags) {
  if (hiddenSurfaceMode(flags) == 1 && clump->drawablePolygons->count > rwLargestPlaneOrderedClump) {
    flags |= rwEditable;
  }
  return flags;
}

RwClump* storeFlags(RwClump* clump, uintptr_t flags) {
  if (flags & ~rwClumpFlagMask) return failWith<RwClump>(rwErrClumpFlags);
  flags = effectiveFlags(clump, flags);
  uintptr_t old = clump->flags;
  clump->flags = flags;
  if ((old ^ flags) & rwContainer) rwClumpLinks.scene().pullOutOfTree(clump);
  if (hiddenSurfaceMode(old) != hiddenSurfaceMode(flags)) {
    rwClumpLinks.sorting().hiddenSurfaceModeChanged(clump);
  }
  return clump;
}

// ---- records

RwClump* makeRecord(intptr_t polygonRoom) {
  auto* clump = static_cast<RwClump*>(RwAllocRecord(rwPoolRecords().clumps));
  if (!clump) return nullptr;
  *clump = {};
  clump->lightSampling = rwFacet;
  clump->geometrySampling = rwSolid;
  clump->drawChoice = {1, 1, rwDefaultPair, rwDeviceRecord.renderers[rwDefaultPair].plain,
                       rwDeviceRecord.renderers[rwDefaultPair].depthBuffered};
  RwIdentityMatrix(&clump->worldMatrix);
  RwIdentityMatrix(&clump->inverseWorldMatrix);
  RwIdentityMatrix(&clump->modellingMatrix);
  RwIdentityMatrix(&clump->jointMatrix);
  clump->alignment = 1;
  clump->state = rwClumpOn;
  clump->cutPolygons = RwCreatePtrArray(cutPolygonRoom);
  clump->drawablePolygons = clump->cutPolygons ? RwCreatePtrArray(polygonRoom < 1 ? defaultPolygonRoom : polygonRoom)
                                               : nullptr;
  if (!clump->drawablePolygons) {
    RwDestroyPtrArray(clump->cutPolygons);
    RwFreeRecord(rwPoolRecords().clumps, clump);
    return failWith<RwClump>(rwErrOutOfMemory);
  }
  return clump;
}

void freeRecord(RwClump* clump) {
  RwDestroyPtrArray(clump->drawablePolygons);
  RwDestroyPtrArray(clump->cutPolygons);
  if (clump->vertexArray) {
    clump->vertexArray->owner = nullptr;
    RwDestroyVertexArray(clump->vertexArray);
  }
  RwFreeRecord(rwPoolRecords().clumps, clump);
}

// A record with an array for the vertex room, in the default scene.
RwClump* createClump(intptr_t vertexRoom, intptr_t polygonRoom) {
  RwVertexArray* array = RwCreateVertexArray(vertexRoom);
  if (!array) return nullptr;
  RwClump* clump = makeRecord(polygonRoom);
  if (!clump) {
    RwDestroyVertexArray(array);
    return nullptr;
  }
  clump->vertexArray = array;
  array->owner = clump;
  if (!rwClumpLinks.scene().enterDefaultScene(clump)) {
    freeRecord(clump);
    return nullptr;
  }
  storeFlags(clump, rwDefaultClumpFlags);
  return clump;
}

// ---- hierarchy

void detachFromParent(RwClump* clump) {
  RwClump* parent = clump->parent;
  if (!parent) return;
  if (clump->previousSibling) {
    clump->previousSibling->nextSibling = clump->nextSibling;
  } else {
    parent->firstChild = clump->nextSibling;
  }
  if (clump->nextSibling) {
    clump->nextSibling->previousSibling = clump->previousSibling;
  } else {
    parent->lastChild = clump->previousSibling;
  }
  clump->parent = clump->previousSibling = clump->nextSibling = nullptr;
  clump->modellingMatrix.changed = 1;
}

void appendChild(RwClump* parent, RwClump* child) {
  child->parent = parent;
  child->previousSibling = parent->lastChild;
  child->nextSibling = nullptr;
  if (parent->lastChild) {
    parent->lastChild->nextSibling = child;
  } else {
    parent->firstChild = child;
  }
  parent->lastChild = child;
}

bool isAncestorOrSelf(const RwClump* candidate, const RwClump* clump) {
  for (const RwClump* c = clump; c; c = c->parent) {
    if (c == candidate) return true;
  }
  return false;
}

// ---- world matrices

bool isStale(const RwClump* clump) { return clump->modellingMatrix.changed || clump->jointMatrix.changed; }

// W = J x M x P, skipping identity factors.
void computeWorldMatrix(RwClump* clump) {
  const RwMatrix& joint = clump->jointMatrix;
  const RwMatrix& modelling = clump->modellingMatrix;
  RwMatrix& world = clump->worldMatrix;
  const RwMatrix* parentWorld = clump->parent ? &clump->parent->worldMatrix : nullptr;
  if (parentWorld) {
    if (!joint.identity && !modelling.identity) {
      RwMatrix local;
      RwMultiplyMatrix(&modelling, parentWorld, &local);
      RwMultiplyMatrix(&joint, &local, &world);
    } else if (!modelling.identity) {
      RwMultiplyMatrix(&modelling, parentWorld, &world);
    } else if (!joint.identity) {
      RwMultiplyMatrix(&joint, parentWorld, &world);
    } else {
      RwCopyMatrix(parentWorld, &world);
    }
  } else if (!joint.identity && !modelling.identity) {
    RwMultiplyMatrix(&joint, &modelling, &world);
  } else if (!modelling.identity) {
    RwCopyMatrix(&modelling, &world);
  } else if (!joint.identity) {
    RwCopyMatrix(&joint, &world);
  } else if (!world.identity) {
    RwIdentityMatrix(&world);
  }
}

void updateBranch(RwClump* clump) {
  computeWorldMatrix(clump);
  rwClumpLinks.scene().pullOutOfTree(clump);
  RwInvalidateClumpTransformCache(clump);
  clump->lightingStamp = 0;
  for (RwClump* child = clump->firstChild; child; child = child->nextSibling) updateBranch(child);
  clump->modellingMatrix.changed = 0;
  clump->jointMatrix.changed = 0;
}

// Updates from the highest stale clump on the way to the root, if any.
void bringUpToDate(RwClump* clump) {
  RwClump* highest = nullptr;
  for (RwClump* c = clump; c; c = c->parent) {
    if (isStale(c)) highest = c;
  }
  if (highest) updateBranch(highest);
}

// ---- polygon lists

// The caller's polygons as a heap list, or null (error 72 on a count
// mismatch, 3 without memory).
RwPolygon** collectPolygons(RwClump* clump, uintptr_t* count) {
  uintptr_t expected = static_cast<uintptr_t>(clump->polygonCount);
  auto* list = static_cast<RwPolygon**>(RwEngineAlloc((expected ? expected : 1) * sizeof(RwPolygon*)));
  if (!list) return failWith<RwPolygon*>(rwErrOutOfMemory);
  if (RwCollectClumpPolygons(clump, list, expected) != expected) {
    RwEngineFree(list);
    return failWith<RwPolygon*>(rwErrClumpHierarchy);
  }
  *count = expected;
  return list;
}

// Calls visit(polygon) for each caller polygon with the error rules of
// iterations: a callback leaving an error pending stops it.
template <typename Visit>
RwClump* forAllPolygons(RwClump* clump, Visit visit) {
  uintptr_t count = 0;
  RwPolygon** list = collectPolygons(clump, &count);
  if (!list) return nullptr;
  int saved = RwGetAndClearError();
  bool stopped = false;
  for (uintptr_t i = 0; i < count && !stopped; ++i) {
    visit(list[i]);
    stopped = RwGetError() != rwErrNone;
  }
  RwEngineFree(list);
  if (stopped) return nullptr;
  RwRestoreError(saved);
  return clump;
}

// Post-order walk; false when a callback raised an error.
template <typename Visit>
bool visitHierarchy(RwClump* clump, Visit& visit) {
  RwClump* child = clump->firstChild;
  while (child) {
    RwClump* next = child->nextSibling;
    if (!visitHierarchy(child, visit)) return false;
    child = next;
  }
  visit(clump);
  return RwGetError() == rwErrNone;
}

template <typename Visit>
RwClump* forAllClumps(RwClump* clump, Visit visit) {
  int saved = RwGetAndClearError();
  if (!visitHierarchy(clump, visit)) return nullptr;
  RwRestoreError(saved);
  return clump;
}

// Pre-order search; stops (returning null) when the predicate raises an error.
RwClump* findInHierarchy(RwClump* clump, RwClumpPredicate predicate, void* data, bool* failed) {
  if (predicate(clump, data)) return clump;
  if (RwGetError() != rwErrNone) {
    *failed = true;
    return nullptr;
  }
  for (RwClump* child = clump->firstChild; child && !*failed; child = child->nextSibling) {
    if (RwClump* found = findInHierarchy(child, predicate, data, failed)) return found;
  }
  return nullptr;
}

int tagMatches(RwClump* clump, void* tag) { return clump->tag == *static_cast<intptr_t*>(tag) ? 1 : 0; }

// ---- copying geometry

// Appends the source's caller vertices, through `transform` when given;
// returns the index of the first new vertex, or 0.
intptr_t appendVertices(RwClump* destination, RwClump* source, const RwMatrix* transform) {
  RwVertexArray* from = source->vertexArray;
  intptr_t first = destination->vertexArray->count - 7;
  for (intptr_t index = 1; index <= from->count - 8; ++index) {
    const RwVertex* vertex = RwVertexAt(from, index);
    RwVector position = vertex->model;
    if (transform) RwTransformPoint(&position, transform);
    intptr_t added = RwAddModelVertexToClump(destination, position.x, position.y, position.z);
    if (!added) return 0;
    RwVertex* copy = RwVertexAt(destination->vertexArray, added);
    copy->u = vertex->u;
    copy->v = vertex->v;
    copy->flags |= vertex->flags & (rwVertexNormalGiven | rwVertexUVGiven);
    RwVector normal = {vertex->normal[0] / 16384.0f, vertex->normal[1] / 16384.0f, vertex->normal[2] / 16384.0f};
    if (transform) RwTransformVector(&normal, transform);
    RwNormalize(&normal);
    copy->normal[0] = static_cast<int16_t>(RwRealToInt(normal.x * 16384.0f));
    copy->normal[1] = static_cast<int16_t>(RwRealToInt(normal.y * 16384.0f));
    copy->normal[2] = static_cast<int16_t>(RwRealToInt(normal.z * 16384.0f));
  }
  return first;
}

// What a copied polygon keeps of its source: enough to make it again in the
// destination even after the source polygon is gone.
struct PolygonCopy {
  RwMaterial* material;  // one reference held by the copy list
  uintptr_t data;
  int16_t tag;
  size_t firstIndex;     // of its vertex indices in PolygonCopies::indices
  uint32_t vertexCount;
};

struct PolygonCopies {
  std::vector<PolygonCopy> polygons;
  std::vector<int32_t> indices;  // destination vertex indices, polygon after polygon

  PolygonCopies() = default;
  PolygonCopies(const PolygonCopies&) = delete;
  PolygonCopies& operator=(const PolygonCopies&) = delete;
  ~PolygonCopies() {
    for (const PolygonCopy& copy : polygons) RwDestroyMaterial(copy.material);
  }
};

// Describes every caller polygon of the source with its indices moved to
// the vertices appended from `first` on; false with error 3 when memory ran
// out.
bool describePolygons(RwClump* source, intptr_t first, PolygonCopies* copies) {
  uintptr_t count = 0;
  RwPolygon** list = collectPolygons(source, &count);
  if (!list) return false;
  bool ok = true;
  try {
    copies->polygons.reserve(count);
    for (uintptr_t i = 0; i < count; ++i) {
      const RwPolygon* polygon = list[i];
      copies->polygons.push_back({polygon->material, polygon->data, polygon->tag, copies->indices.size(),
                                  polygon->vertexCount});
      ++polygon->material->referenceCount;
      for (uint32_t k = 0; k < polygon->vertexCount; ++k) {
        copies->indices.push_back(
            static_cast<int32_t>(RwVertexIndex(source->vertexArray, polygon->vertices[k]) + first - 1));
      }
    }
  } catch (const std::bad_alloc&) {
    RwSetError(rwErrOutOfMemory);
    ok = false;
  }
  RwEngineFree(list);
  return ok;
}

// Makes the described polygons in the destination, with their material,
// data word and tag.
bool makePolygons(RwClump* destination, const PolygonCopies& copies) {
  for (const PolygonCopy& polygon : copies.polygons) {
    RwPolygon* copy =
        RwCreatePolygon(destination, polygon.vertexCount, &copies.indices[polygon.firstIndex], polygon.material);
    if (!copy) continue;  // a polygon whose vertices coincide is not made
    copy->data = polygon.data;
    copy->tag = polygon.tag;
    if (!RwLinkPolygonToClump(destination, copy)) {
      RwFreePolygonRecord(copy);
      return false;
    }
  }
  return true;
}

bool appendPolygons(RwClump* destination, RwClump* source, intptr_t first) {
  PolygonCopies copies;
  return describePolygons(source, first, &copies) && makePolygons(destination, copies);
}

// Destroys every caller polygon of the clump (and the triangles cut from
// them). While the clump is marked as being destroyed the polygons leave
// without unlinking themselves one by one.
void destroyPolygons(RwClump* clump) {
  int saved = RwGetAndClearError();
  uintptr_t count = 0;
  if (RwPolygon** list = collectPolygons(clump, &count)) {
    for (uintptr_t i = count; i-- > 0 && RwGetError() == rwErrNone;) RwDestroyPolygon(list[i]);
    RwEngineFree(list);
  }
  RwRestoreError(saved);
}

// Empties a clump that stays of its polygons in one sweep: each polygon is
// freed as in a destruction, then the clump's lists, its depth-sort data and
// its vertices' polygon lists are emptied, so nothing points at them.
void releasePolygons(RwClump* clump) {
  RwSceneNode* leaf = clump->sceneLeaf;
  clump->sceneLeaf = reinterpret_cast<RwSceneNode*>(clump);
  destroyPolygons(clump);
  clump->sceneLeaf = leaf;
  rwClumpLinks.sorting().freeSortData(clump);
  clump->drawablePolygons->count = 0;
  clump->cutPolygons->count = 0;
  clump->polygonCount = 0;
  RwVertexArray* vertices = clump->vertexArray;
  for (intptr_t slot = 0; slot < vertices->count; ++slot) vertices->vertices[slot].polygonCount = 0;
}

void copyDrawSamplings(RwClump* copy, const RwClump* source) {
  if (!copy->drawChoice.uniform || copy->lightSampling != source->lightSampling ||
      copy->geometrySampling != source->geometrySampling) {
    copy->drawChoice.reevaluate = 1;
    copy->lightingStamp = 0;
  }
  copy->lightSampling = source->lightSampling;
  copy->geometrySampling = source->geometrySampling;
}

RwClump* duplicateBranch(RwClump* source) {
  RwClump* copy = createClump(source->vertexArray->count - 8, source->polygonCount);
  if (!copy) return nullptr;
  copy->tag = source->tag;
  RwCopyMatrix(&source->modellingMatrix, &copy->modellingMatrix);
  RwCopyMatrix(&source->jointMatrix, &copy->jointMatrix);
  RwCopyMatrix(&source->worldMatrix, &copy->worldMatrix);
  copyDrawSamplings(copy, source);
  copy->data = source->data;
  copy->drawChoice = source->drawChoice;
  copy->alignment = source->alignment;
  copy->state = source->state;
  bool ok = rwClumpLinks.userDraws().duplicateUserDraws(copy, source);
  if (ok) {
    ++copy->sortSuspensionCount;
    intptr_t first = appendVertices(copy, source, nullptr);
    ok = first != 0 && appendPolygons(copy, source, first);
    --copy->sortSuspensionCount;
  }
  ok = ok && RwSetClumpFlags(copy, source->flags);
  if (ok) rwClumpLinks.sorting().geometryChangedInBulk(copy);
  for (RwClump* child = source->firstChild; child && ok; child = child->nextSibling) {
    RwClump* childCopy = duplicateBranch(child);
    ok = childCopy != nullptr;
    if (!ok) break;
    appendChild(copy, childCopy);
    if (rwClumpLinks.scene().moveToSceneOf(childCopy, copy)) {
      childCopy->modellingMatrix.changed = 1;
    }
  }
  if (!ok) {
    RwDestroyClump(copy);
    return nullptr;
  }
  return copy;
}

// Tears the clump itself down; its parent link and children are gone.
void destroyItself(RwClump* clump) {
  rwClumpLinks.scene().leaveScene(clump);
  clump->sceneLeaf = reinterpret_cast<RwSceneNode*>(clump);
  rwClumpLinks.userDraws().destroyUserDraws(clump);
  rwClumpLinks.sorting().freeSortData(clump);
  destroyPolygons(clump);
  freeRecord(clump);
}

}  // namespace

// ---- module

int RwOpenClumpModule() {
  RwPool*& pool = rwPoolRecords().clumps;
  pool = RwCreatePool("clumplist", sizeof(RwClump));
  if (!pool) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  return 1;
}

int RwCloseClumpModule() {
  RwFreeCuttingRing();
  RwPool*& pool = rwPoolRecords().clumps;
  RwDestroyPool(pool);
  pool = nullptr;
  return 1;
}

// ---- creation and destruction

RwClump* RwCreateClump(intptr_t vertexRoom, intptr_t polygonRoom) { return createClump(vertexRoom, polygonRoom); }

int RwDestroyClump(RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  detachFromParent(clump);
  while (clump->firstChild) RwDestroyClump(clump->firstChild);
  destroyItself(clump);
  return 1;
}

// ---- plain fields

intptr_t RwGetClumpNumPolygons(const RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return -1;
  }
  return clump->polygonCount;
}

RwClump* RwSetClumpData(RwClump* clump, uintptr_t data) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  clump->data = data;
  return clump;
}

uintptr_t RwGetClumpData(const RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return clump->data;
}

RwClump* RwSetClumpTag(RwClump* clump, intptr_t tag) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  clump->tag = tag;
  return clump;
}

intptr_t RwGetClumpTag(const RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return -1;
  }
  return clump->tag;
}

uintptr_t RwGetClumpFlags(const RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return clump->flags;
}

RwClump* RwSetClumpFlags(RwClump* clump, uintptr_t flags) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  return storeFlags(clump, flags);
}

RwClump* RwOrClumpFlags(RwClump* clump, uintptr_t flags) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  if (flags & ~rwClumpFlagMask) return failWith<RwClump>(rwErrClumpFlags);
  return storeFlags(clump, clump->flags | flags);
}

RwClump* RwClearClumpFlags(RwClump* clump, uintptr_t flags) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  if (flags & ~rwClumpFlagMask) return failWith<RwClump>(rwErrClumpFlags);
  return storeFlags(clump, clump->flags & ~flags);
}

RwClump* RwSetClumpState(RwClump* clump, intptr_t state) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  if (state != rwClumpOff && state != rwClumpOn) return failWith<RwClump>(rwErrState);
  clump->state = state;
  return clump;
}

// ---- hierarchy

RwClump* RwAddChildToClump(RwClump* parent, RwClump* child) {
  if (!parent || !child || isAncestorOrSelf(child, parent)) return failWith<RwClump>(rwErrInvalidArgument);
  detachFromParent(child);
  appendChild(parent, child);
  if (!rwClumpLinks.scene().moveToSceneOf(child, parent)) return nullptr;
  child->modellingMatrix.changed = 1;
  return parent;
}

RwClump* RwGetClumpParent(const RwClump* clump) {
  return clump ? clump->parent : failWith<RwClump>(rwErrInvalidArgument);
}

RwClump* RwGetClumpFirstChild(const RwClump* clump) {
  return clump ? clump->firstChild : failWith<RwClump>(rwErrInvalidArgument);
}

intptr_t RwGetClumpNumChildren(const RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return -1;
  }
  intptr_t count = 0;
  for (const RwClump* child = clump->firstChild; child; child = child->nextSibling) ++count;
  return count;
}

// ---- transforms

RwClump* RwTransformClump(RwClump* clump, const RwMatrix* matrix, int32_t mode) {
  if (!clump || !matrix) return failWith<RwClump>(rwErrInvalidArgument);
  return RwTransformMatrix(&clump->modellingMatrix, matrix, mode) ? clump : nullptr;
}

RwClump* RwTransformClumpJoint(RwClump* clump, const RwMatrix* matrix, int32_t mode) {
  if (!clump || !matrix) return failWith<RwClump>(rwErrInvalidArgument);
  return RwTransformMatrix(&clump->jointMatrix, matrix, mode) ? clump : nullptr;
}

RwMatrix* RwGetClumpLocalMatrix(RwClump* clump, RwMatrix* out) {
  if (!clump || !out) return failWith<RwMatrix>(rwErrInvalidArgument);
  bringUpToDate(clump);
  return RwCopyMatrix(&clump->worldMatrix, out);
}

RwVector* RwGetClumpOrigin(RwClump* clump, RwVector* out) {
  if (!clump || !out) return failWith<RwVector>(rwErrInvalidArgument);
  bringUpToDate(clump);
  return RwGetMatrixPosition(&clump->worldMatrix, out);
}

RwClump* RwGetClumpBounds(RwClump* clump, RwVector* minimum, RwVector* maximum) {
  if (!clump || !minimum || !maximum) return failWith<RwClump>(rwErrInvalidArgument);
  RwVertexArray* array = clump->vertexArray;
  if (array->count == rwReservedVertices) {
    *minimum = *maximum = {0, 0, 0};
  } else {
    *minimum = RwVertexAt(array, rwMinimumCorner)->model;
    *maximum = RwVertexAt(array, rwMaximumCorner)->model;
  }
  return clump;
}

RwClump* RwUpdateClumpHierarchy(RwClump* root) {
  if (!root) return failWith<RwClump>(rwErrInvalidArgument);
  if (isStale(root)) {
    updateBranch(root);
  } else {
    for (RwClump* child = root->firstChild; child; child = child->nextSibling) RwUpdateClumpHierarchy(child);
  }
  return root;
}

// ---- iteration

RwClump* RwForAllPolygonsInClump(RwClump* clump, RwPolygonCallback callback) {
  if (!clump || !callback) return failWith<RwClump>(rwErrInvalidArgument);
  return forAllPolygons(clump, [&](RwPolygon* polygon) { callback(polygon); });
}

RwClump* RwForAllPolygonsInClumpWithData(RwClump* clump, RwPolygonDataCallback callback, void* data) {
  if (!clump || !callback) return failWith<RwClump>(rwErrInvalidArgument);
  return forAllPolygons(clump, [&](RwPolygon* polygon) { callback(polygon, data); });
}

RwClump* RwForAllPolygonsInClumpWithValue(RwClump* clump, RwPolygonValueCallback callback, intptr_t value) {
  if (!clump || !callback) return failWith<RwClump>(rwErrInvalidArgument);
  return forAllPolygons(clump, [&](RwPolygon* polygon) { callback(polygon, value); });
}

RwClump* RwForAllClumpsInHierarchyNoData(RwClump* clump, RwClumpCallback callback) {
  if (!clump || !callback) return failWith<RwClump>(rwErrInvalidArgument);
  return forAllClumps(clump, [&](RwClump* each) { callback(each); });
}

RwClump* RwForAllClumpsInHierarchy(RwClump* clump, RwClumpDataCallback callback, void* data) {
  if (!clump || !callback) return failWith<RwClump>(rwErrInvalidArgument);
  return forAllClumps(clump, [&](RwClump* each) { callback(each, data); });
}

RwClump* RwFindClump(RwClump* clump, RwClumpPredicate predicate, void* data) {
  if (!clump || !predicate) return failWith<RwClump>(rwErrInvalidArgument);
  bool failed = false;
  return findInHierarchy(clump, predicate, data, &failed);
}

RwClump* RwFindTaggedClump(RwClump* clump, intptr_t tag) { return RwFindClump(clump, tagMatches, &tag); }

// ---- duplication and merging

RwClump* RwDuplicateClump(RwClump* clump) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  RwClump* copy = duplicateBranch(clump);
  if (copy && !rwClumpLinks.scene().moveToSceneOf(copy, clump)) {
    RwDestroyClump(copy);
    return nullptr;
  }
  return copy;
}

RwClump* RwDuplicateClumpHierarchy(RwClump* clump) { return RwDuplicateClump(clump); }

namespace {

// RwAddClumpToClump and RwMoveClumpIntoClump: a move empties the source of
// its polygons once they are described, before their copies are made.
RwClump* addClumpToClump(RwClump* destination, RwClump* source, bool move) {
  if (!destination || !source) return failWith<RwClump>(rwErrInvalidArgument);
  bringUpToDate(source);
  ++destination->sortSuspensionCount;
  intptr_t first = RwReserveClumpVertices(destination, RwGetClumpNumVertices(source))
                       ? appendVertices(destination, source, &source->worldMatrix)
                       : 0;
  PolygonCopies copies;
  bool ok = first != 0 && describePolygons(source, first, &copies);
  if (ok && move) releasePolygons(source);
  ok = ok && makePolygons(destination, copies);
  --destination->sortSuspensionCount;
  if (ok) rwClumpLinks.sorting().geometryChangedInBulk(destination);
  return ok ? destination : nullptr;
}

}  // namespace

RwClump* RwAddClumpToClump(RwClump* destination, RwClump* source) {
  return addClumpToClump(destination, source, false);
}

RwClump* RwMoveClumpIntoClump(RwClump* destination, RwClump* source) {
  return addClumpToClump(destination, source, true);
}

// ---- for the geometry, material and scene modules

int RwClumpIsBeingDestroyed(const RwClump* clump) {
  return clump->sceneLeaf == reinterpret_cast<const RwSceneNode*>(clump) ? 1 : 0;
}

void RwInvalidateClumpTransformCache(RwClump* clump) {
  clump->cachedCamera = nullptr;
  clump->cachedCameraStamp = 0;
}

int RwMakeClumpEditable(RwClump* clump) {
  if (clump->flags & rwEditable) return 1;
  return RwOrClumpFlags(clump, rwEditable) ? 1 : 0;
}
