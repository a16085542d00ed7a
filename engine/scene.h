// engine/scene.h -- scenes: clumps and lights gathered for drawing and picking.
//
// Owns: the pool "scenelist", the `RwScene` records with their node arrays
// and the library's default scene (into which every clump and light is
// born), the back-to-front drawing order walked from a scene's spatial tree
// with its depth groups (clumps that no plane separates, drawn z-buffered
// within their screen rectangles), the scene render and pick, the lists of
// a scene's lights and its lighting count.
// It does not own the spatial tree, its nodes and its rebuild
// (engine/scenetree.h), nor the clumps and lights themselves
// (engine/clump.h, engine/light.h) except that destroying a scene destroys
// them, nor the clump pipeline: screen bounds, rendering and picking of one
// clump reach it through rwSceneLinks, which the render pipeline provides
// when it opens.
#ifndef LUMENFOLD_ENGINE_SCENE_H
#define LUMENFOLD_ENGINE_SCENE_H

#include <cstdint>

#include "engine/device.h"
#include "engine/links.h"

struct RwCamera;
struct RwClump;
struct RwLight;
struct RwPolygon;
struct RwScene;
struct RwSceneNode;

// Scene flags.
constexpr uintptr_t rwSceneRebuildWhole = 1;   // at the next rebuild
constexpr uintptr_t rwSceneRebuiltWhole = 2;   // during the current rebuild
constexpr uintptr_t rwSceneHasOverlaps = 4;    // the next rebuild starts from scratch

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

// The clump pipeline as scenes use it; the render pipeline provides its
// record when it opens (engine/links.h).
struct RwSceneLinks {
  // Screen rectangle (pixels) and camera depth range of the clump's box;
  // the outcode (256 and above: wholly outside). Default: the clump covers
  // what it is given, the viewport between the clipping planes (0).
  uintptr_t (*clumpScreenBounds)(RwClump* clump, RwCamera* camera, RwRect* rect, float* depthRange);
  // Draws the clump into the current camera; 1 drawn, 0 not.
  int (*renderClump)(RwClump* clump);
  // Picks in the clump; the record, or null when the pick failed. Default:
  // nothing is hit (the record, untouched).
  RwPickRecord* (*pickClump)(RwClump* clump, intptr_t x, intptr_t y, RwCamera* camera, RwPickRecord* record);
};
inline constexpr RwSceneLinks rwDefaultSceneLinks = {
    .clumpScreenBounds = [](RwClump*, RwCamera*, RwRect*, float*) -> uintptr_t { return 0; },
    .renderClump = [](RwClump*) { return 0; },
    .pickClump = [](RwClump*, intptr_t, intptr_t, RwCamera*, RwPickRecord* record) { return record; },
};
inline constinit RwLinks<RwSceneLinks> rwSceneLinks{rwDefaultSceneLinks};

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

#endif
