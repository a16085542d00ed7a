// engine/clump.h -- clumps: the engine's objects.
//
// Owns: the pool "clumplist" and the `RwClump` records made from it, their
// creation, duplication, merging and destruction, the hierarchy of clumps,
// the cached world transforms and how they are kept valid, the flags, state,
// tag and data word, and the iterators over a clump's polygons and over a
// hierarchy.
// It does not own the geometry records (engine/polygon.h), the materials
// (engine/material.h), the scenes, user-draw objects and depth-sort data
// (reached through the tables of rwClumpLinks below), nor screen bounds,
// rendering and picking (the render pipeline's).
#ifndef LUMENFOLD_ENGINE_CLUMP_H
#define LUMENFOLD_ENGINE_CLUMP_H

#include <cstdint>

#include "engine/device.h"
#include "engine/links.h"
#include "engine/matrix.h"

struct RwCamera;
struct RwPolygon;
struct RwPtrArray;
struct RwSceneNode;
struct RwUserDraw;
struct RwVertexArray;

// Flag bits, also the shape reader's hint keywords.
constexpr uintptr_t rwContainer = 1;
constexpr uintptr_t rwHiddenSurface = 2;  // "hs"
constexpr uintptr_t rwEditable = 4;
constexpr uintptr_t rwClumpFlagMask = 7;
constexpr uintptr_t rwDefaultClumpFlags = rwHiddenSurface;
// The largest clump drawn in plane order; larger ones are z-buffered.
constexpr uintptr_t rwLargestPlaneOrderedClump = 1000;

// States.
constexpr intptr_t rwClumpOff = 1;
constexpr intptr_t rwClumpOn = 2;

// How the clump's polygons are drawn, filled by RwClassifyClumpMaterials.
struct RwClumpDrawChoice {
  uintptr_t reevaluate;     // 1: classify again before the next render
  uintptr_t uniform;        // 1: every polygon uses the pair below
  intptr_t pairIndex;       // of the device's renderer pairs
  RwDrawEntry plain;        // without z-buffer
  RwDrawEntry depthBuffered;
};

struct RwClump {
  RwMatrix worldMatrix;         // modelling to world, cached
  RwMatrix inverseWorldMatrix;  // recomputed by its readers when the world matrix changed
  RwVertexArray* vertexArray;
  intptr_t lightSampling;       // common to the polygons: bit 0 facet, bit 1 vertex
  intptr_t geometrySampling;
  intptr_t polygonCount;        // polygons callers added (a cut one counts once)
  RwPtrArray* drawablePolygons; // uncut polygons and triangles of cut ones, in order added
  RwPtrArray* cutPolygons;      // the polygons that were cut
  intptr_t sortSuspensionCount; // while non-zero the depth-sort data is not rebuilt
  uintptr_t sortData[3];        // the depth-sort module's
  uintptr_t data;               // the caller's
  RwSceneNode* sceneLeaf;       // points to the clump itself while it is destroyed
  uintptr_t lastOutcode;
  intptr_t lightingStamp;       // scene lighting count when last lit; 0 forces lighting
  RwCamera* cachedCamera;       // the transform cache: any difference transforms again
  intptr_t cachedCameraStamp;
  float cachedZScale;
  float cachedZOffset;
  RwClumpDrawChoice drawChoice;
  RwUserDraw* userDraws;
  intptr_t tag;                 // the caller's
  RwMatrix modellingMatrix;     // changed flag: the branch's world matrices are stale
  RwMatrix jointMatrix;         // applied before the modelling matrix
  RwClump* parent;
  RwClump* firstChild;
  RwClump* lastChild;
  RwClump* previousSibling;
  RwClump* nextSibling;
  uintptr_t flags;
  intptr_t alignment;           // 1 none; 2..4 turned towards the camera
  intptr_t state;               // 2 on, 1 off
};

// What other modules do when clumps come, go, move or change: one table per
// providing module (engine/links.h). While a module is closed its default
// stands: the clump goes without that bookkeeping, and what answers a result
// succeeds (1).

// Provided by the scenes (engine/scene.h).
struct RwClumpSceneLinks {
  // A new clump joins the library's default scene; 0 fails the creation.
  int (*enterDefaultScene)(RwClump* clump);
  // The leaf leaves its scene (the clump is being destroyed), is taken out
  // of its scene tree to be inserted again (moved, container flag changed),
  // or has stale bounds (vertices added).
  void (*leaveScene)(RwClump* clump);
  void (*pullOutOfTree)(RwClump* clump);
  void (*markBoundsStale)(RwClump* clump);
  // The branch of `clump` moves into the scene of `into`; 0 on failure.
  int (*moveToSceneOf)(RwClump* clump, RwClump* into);
};
inline constexpr RwClumpSceneLinks rwDefaultClumpSceneLinks = {
    .enterDefaultScene = [](RwClump*) { return 1; },
    .leaveScene = [](RwClump*) {}, .pullOutOfTree = [](RwClump*) {}, .markBoundsStale = [](RwClump*) {},
    .moveToSceneOf = [](RwClump*, RwClump*) { return 1; },
};

// Provided by the user-draw objects (engine/userdraw.h).
struct RwClumpUserDrawLinks {
  // A destroyed clump's user-draws are detached and destroyed; a copy gets
  // duplicates of the source's (0 on failure).
  void (*destroyUserDraws)(RwClump* clump);
  int (*duplicateUserDraws)(RwClump* copy, const RwClump* source);
};
inline constexpr RwClumpUserDrawLinks rwDefaultClumpUserDrawLinks = {
    .destroyUserDraws = [](RwClump*) {},
    .duplicateUserDraws = [](RwClump*, const RwClump*) { return 1; },
};

// Provided by the plane order of the depth sort (engine/depthsort.h): a
// clump's depth-sort data is freed or rebuilt when its hidden-surface mode
// changed (flags already stored), freed when it is destroyed, built again
// when its polygons changed in bulk (a model finished, a copy or a merge).
struct RwClumpSortLinks {
  void (*hiddenSurfaceModeChanged)(RwClump* clump);
  void (*freeSortData)(RwClump* clump);
  void (*geometryChangedInBulk)(RwClump* clump);
};
inline constexpr RwClumpSortLinks rwDefaultClumpSortLinks = {
    .hiddenSurfaceModeChanged = [](RwClump*) {},
    .freeSortData = [](RwClump*) {},
    .geometryChangedInBulk = [](RwClump*) {},
};

// rwClumpLinks.scene().leaveScene(clump), and so on.
struct RwClumpLinks {
  RwLinks<RwClumpSceneLinks> scene;
  RwLinks<RwClumpUserDrawLinks> userDraws;
  RwLinks<RwClumpSortLinks> sorting;
};
inline constinit RwClumpLinks rwClumpLinks = {
    .scene = {rwDefaultClumpSceneLinks},
    .userDraws = {rwDefaultClumpUserDrawLinks},
    .sorting = {rwDefaultClumpSortLinks},
};

typedef RwPolygon* (*RwPolygonCallback)(RwPolygon* polygon);
typedef RwPolygon* (*RwPolygonDataCallback)(RwPolygon* polygon, void* data);
typedef RwPolygon* (*RwPolygonValueCallback)(RwPolygon* polygon, intptr_t value);
typedef RwClump* (*RwClumpCallback)(RwClump* clump);
typedef RwClump* (*RwClumpDataCallback)(RwClump* clump, void* data);
typedef int (*RwClumpPredicate)(RwClump* clump, void* data);

int RwOpenClumpModule();
// Frees the cutting ring storage and hands the pool back.
int RwCloseClumpModule();

/*
 * RwCreateClump --
 *   A clump with room for the vertices (16 when below 1) and the polygons (8
 *   when below 1): flags `hs`, state on, identity matrices, draw pair 4.
 * Results:
 *   The clump, or null with error 3 and nothing left allocated.
 */
RwClump* RwCreateClump(intptr_t vertexRoom, intptr_t polygonRoom);
// Detaches the clump, destroys its children (first child first) and then
// itself with its polygons and vertices. 1, or 0 with error 1 for null.
int RwDestroyClump(RwClump* clump);

intptr_t RwGetClumpNumPolygons(const RwClump* clump);  // -1 for null
RwClump* RwSetClumpData(RwClump* clump, uintptr_t data);
uintptr_t RwGetClumpData(const RwClump* clump);
RwClump* RwSetClumpTag(RwClump* clump, intptr_t tag);
intptr_t RwGetClumpTag(const RwClump* clump);  // -1 for null

// Flag setters: any bit outside 7 in the argument or the result is error 47
// (flags unchanged). Flags giving mode 1 (`hs` without `editable`) on a clump
// with more than 1000 drawable polygons also get `editable`.
uintptr_t RwGetClumpFlags(const RwClump* clump);
RwClump* RwSetClumpFlags(RwClump* clump, uintptr_t flags);
RwClump* RwOrClumpFlags(RwClump* clump, uintptr_t flags);
RwClump* RwClearClumpFlags(RwClump* clump, uintptr_t flags);
// 1 off or 2 on, else error 45.
RwClump* RwSetClumpState(RwClump* clump, intptr_t state);

// Detaches the child from any parent and appends it as the last child; a
// child that is the parent or one of its ancestors is error 1.
RwClump* RwAddChildToClump(RwClump* parent, RwClump* child);
RwClump* RwGetClumpParent(const RwClump* clump);
RwClump* RwGetClumpFirstChild(const RwClump* clump);
intptr_t RwGetClumpNumChildren(const RwClump* clump);  // -1 for null

// Combine into the modelling (joint) matrix by RwCombineMode; the branch's
// world matrices become stale.
RwClump* RwTransformClump(RwClump* clump, const RwMatrix* matrix, int32_t mode);
RwClump* RwTransformClumpJoint(RwClump* clump, const RwMatrix* matrix, int32_t mode);
// World matrix (joint x modelling x parent's world), brought up to date.
RwMatrix* RwGetClumpLocalMatrix(RwClump* clump, RwMatrix* out);
RwVector* RwGetClumpOrigin(RwClump* clump, RwVector* out);
// Box of the caller vertices in modelling coordinates; zeros without any.
RwClump* RwGetClumpBounds(RwClump* clump, RwVector* minimum, RwVector* maximum);

// Iteration over the polygons callers added (a cut polygon once), on a copy
// of the list so callbacks may destroy their polygon. The clump, or 0 when a
// callback raised an error (which stays pending), the list disagreed with
// the polygon count (error 72) or could not be made (error 3).
RwClump* RwForAllPolygonsInClump(RwClump* clump, RwPolygonCallback callback);
RwClump* RwForAllPolygonsInClumpWithData(RwClump* clump, RwPolygonDataCallback callback, void* data);
RwClump* RwForAllPolygonsInClumpWithValue(RwClump* clump, RwPolygonValueCallback callback, intptr_t value);
// Children first (each child's whole branch, in child order), then the clump.
RwClump* RwForAllClumpsInHierarchyNoData(RwClump* clump, RwClumpCallback callback);
RwClump* RwForAllClumpsInHierarchy(RwClump* clump, RwClumpDataCallback callback, void* data);
// The first clump in pre-order for which the predicate holds, else 0.
RwClump* RwFindClump(RwClump* clump, RwClumpPredicate predicate, void* data);
RwClump* RwFindTaggedClump(RwClump* clump, intptr_t tag);

// The clump with its whole branch, added to the source's scene; null on
// failure with nothing left behind.
RwClump* RwDuplicateClump(RwClump* clump);
RwClump* RwDuplicateClumpHierarchy(RwClump* clump);
// Appends the source's vertices (through its world matrix) and polygons to
// the destination; returns the destination or 0.
RwClump* RwAddClumpToClump(RwClump* destination, RwClump* source);
// The same, but the source is emptied of its polygons before their copies
// are made, so the copies reuse their records; the source keeps its
// vertices (no longer used by any polygon), matrices and children. For
// merging a clump that is about to go.
RwClump* RwMoveClumpIntoClump(RwClump* destination, RwClump* source);

// ---- for the geometry, material and scene modules

// Brings the world matrices of the root's hierarchy up to date: each branch
// from its first stale clump (scenes call it before drawing or picking).
RwClump* RwUpdateClumpHierarchy(RwClump* root);

// 1 while RwDestroyClump is tearing the clump down.
int RwClumpIsBeingDestroyed(const RwClump* clump);
// Clears the transform cache so the vertices are transformed again.
void RwInvalidateClumpTransformCache(RwClump* clump);
// Sets `editable` unless it is set; 1, or 0 when the flags could not change.
int RwMakeClumpEditable(RwClump* clump);

#endif
