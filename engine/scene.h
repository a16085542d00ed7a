// engine/scene.h -- scenes: clumps and lights gathered for drawing and picking.
//
// Owns: the pools "scenelist" and "scenenodelist", the `RwScene` records and
// the library's default scene (into which every clump and light is born),
// each scene's spatial tree of separating planes over its clumps' leaves,
// the lazy rebuild of that tree, the back-to-front drawing order with its
// depth groups (clumps that no plane separates, drawn z-buffered within
// their screen rectangles), the scene render and pick, the lists of a
// scene's lights and its lighting count.
// It does not own the clumps and lights themselves (engine/clump.h,
// engine/light.h) except that destroying a scene destroys them, nor the
// clump pipeline: screen bounds, rendering and picking of one clump reach it
// through rwSceneLinks, which the render pipeline fills when it opens.
//
// A leaf is in exactly one of: the tree, the queue (the node array's first
// arrayCount entries), the list of unbounded leaves (clumps without geometry,
// never drawn).
#ifndef LUMENFOLD_ENGINE_SCENE_H
#define LUMENFOLD_ENGINE_SCENE_H

#include <cstdint>

#include "engine/device.h"

struct RwCamera;
struct RwClump;
struct RwDamagedRect;
struct RwLight;
struct RwPolygon;
struct RwScene;

// Scene flags.
constexpr uintptr_t rwSceneRebuildWhole = 1;   // at the next rebuild
constexpr uintptr_t rwSceneRebuiltWhole = 2;   // during the current rebuild
constexpr uintptr_t rwSceneHasOverlaps = 4;    // the next rebuild starts from scratch

// Node flags.
constexpr uintptr_t rwNodeInTree = 1;
constexpr uintptr_t rwNodeBoundsStale = 2;
constexpr uintptr_t rwNodeEncloser = 4;
constexpr uintptr_t rwNodeEmpty = 8;
constexpr uintptr_t rwNodeOverlap = 16;
constexpr uintptr_t rwNodeInDepthGroup = 32;
constexpr uintptr_t rwNodeGroupHead = 64;
constexpr uintptr_t rwNodeGroupLast = 128;
constexpr uintptr_t rwNodeQueued = 256;        // in the scene's queue
constexpr uintptr_t rwNodeUnbounded = 512;     // on the list of unbounded leaves

// Node kinds.
constexpr intptr_t rwNodeFree = 0;
constexpr intptr_t rwNodeLeaf = 1;
constexpr intptr_t rwNodeGroup = 2;
constexpr intptr_t rwNodeSplit = 3;

struct RwSceneNode {
  uintptr_t flags;
  float groupDepth[2];           // nearest and farthest camera depth of the depth group it heads
  RwDamagedRect* groupRects;     // screen rectangles of the group it heads
  RwSceneNode* groupHead;        // for the last member of a depth group: its head
  RwSceneNode* enclosed;         // encloser: the subtree inside it; unbounded leaf: the next one
  RwSceneNode* parent;           // null at the root
  RwScene* scene;
  float bounds[6];               // min x, max x, min y, max y, min z, max z (a leaf: modelling coordinates)
  float extent[3];               // max - min per axis
  float sizeKey;                 // squared length of the (turned) extent; -1.0 when empty
  intptr_t queueIndex;           // a queued leaf: its entry in the scene's node array
  intptr_t kind;                 // free, leaf, group, split
  union {
    RwClump* clump;              // leaf
    struct {
      intptr_t childCount;
      intptr_t capacity;         // entries the children array has room for
      RwSceneNode** children;    // heap array of leaves, in the order they joined
    } group;
    struct {
      uintptr_t visit;           // bit 0: first side walked; bit 1: enclosed subtree walked
      float axis[3];             // unit
      float frontOffset;         // front child where axis . p + frontOffset >= 0
      float backOffset;          // back child where axis . p + backOffset <= 0
      RwSceneNode* front;
      RwSceneNode* back;
    } split;
  };
};

struct RwScene {
  uintptr_t flags;
  RwSceneNode* root;
  RwSceneNode* unboundedLeaves;  // linked through `enclosed`
  RwSceneNode** nodeArray;       // the queue during a rebuild, the drawing list during a render or pick
  RwLight* lightsOff;
  RwLight* lightsOn;             // the lights the scene's clumps are lit by
  intptr_t lightingCount;        // raised by every change that can alter lighting
  intptr_t arrayCount;           // entries of the node array in use
  intptr_t leafCount;            // clumps in the scene; the node array has room for them
  RwScene* nextScene;            // list of live scenes, closed with the library
};

// Pick record: what the pick stage found under a point.
struct RwPickRecord {
  intptr_t kind;                 // 0 nothing, 1 polygon
  RwClump* clump;
  RwPolygon* polygon;            // the polygon the caller added
  intptr_t vertexIndex;          // nearest vertex of the polygon
  intptr_t squaredDistance;      // pixels, to that vertex
  float point[3];                // world coordinates of the hit
};

// The clump pipeline as scenes use it; a null slot leaves that step out.
struct RwSceneLinks {
  // Screen rectangle (pixels) and camera depth range of the clump's box;
  // returns the outcode (256 and above: wholly outside).
  uintptr_t (*clumpScreenBounds)(RwClump* clump, RwCamera* camera, RwRect* rect, float* depthRange);
  // Draws the clump into the current camera; 1 drawn, 0 not.
  int (*renderClump)(RwClump* clump);
  // Picks in the clump; the record, or null when the pick failed.
  RwPickRecord* (*pickClump)(RwClump* clump, intptr_t x, intptr_t y, RwCamera* camera, RwPickRecord* record);
};
extern RwSceneLinks rwSceneLinks;

// Pools, the default scene and the clump links; fails when any is not made.
int RwOpenSceneModule();
// Destroys every scene still alive (the default one last), so that no
// clump outlives the library, and hands both pools back.
int RwCloseSceneModule();

RwScene* RwCreateScene();  // null with error 3
RwScene* RwGetDefaultScene();
RwScene* RwGetClumpScene(RwClump* clump);
/*
 * RwAddClumpToScene --
 *   Moves a root clump with its whole branch into the scene (children
 *   first); its leaf waits in the new scene's queue for the next rebuild.
 * Results:
 *   The scene, or 0 with error 1 (null), 15 (clump has a parent) or 3.
 */
RwScene* RwAddClumpToScene(RwScene* scene, RwClump* clump);
// Puts the light at the head of the scene's list for its state.
RwScene* RwAddLightToScene(RwScene* scene, RwLight* light);
typedef RwLight* (*RwLightCallback)(RwLight* light);
// Off lights, then on lights, from a copy (callbacks may destroy them).
RwScene* RwForAllLightsInScene(RwScene* scene, RwLightCallback callback);
// Into the current camera; null when the rebuild failed or no camera is current.
RwScene* RwRenderScene(RwScene* scene);
RwPickRecord* RwPickScene(RwScene* scene, intptr_t x, intptr_t y, RwCamera* camera, RwPickRecord* record);
// Destroys the scene with its clumps and lights; the default scene: error 25.
int RwDestroyScene(RwScene* scene);

// ---- for the light module
// Takes the light off its scene's list (raising the count when it is on).
void RwRemoveLightFromScene(RwLight* light);

// ---- for tests and tools
// Rebuilds the tree now; 1, or 0 when an insertion failed.
int RwRebuildScene(RwScene* scene);

#endif
