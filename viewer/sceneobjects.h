// viewer/sceneobjects.h -- the small operations through which the viewer talks to
// the engine about scene objects: where a world's scene and cameras are, a
// camera object driving its engine camera, the shown child of level-of-detail
// objects, filled or wireframe leaves, and picking the shape under a pixel.
//
// Owns: `ZmPickInfo` and the wireframe twins that `zmRwSetLeafMode` makes
// (children of their leaf's clump, destroyed with it). It does not own the
// engine records it reads (the leaf builders and world construction make
// them) nor the transfer of moved objects (viewer/transfer.h).
#ifndef LUMENFOLD_VIEWER_SCENEOBJECTS_H
#define LUMENFOLD_VIEWER_SCENEOBJECTS_H

#include <cstdint>

#include "platform/wintypes.h"

struct RwCamera;
struct RwClump;
struct RwLight;
struct RwVector;
struct ZmLeaf;
struct ZmObj;
struct ZmWorld;

struct ZmPickInfo {
  ZmObj* object;     // the data word of the picked clump
  ZmLeaf* leaf;      // the picked leaf
  float distance;    // from the camera position to the picked point
  float point[3];    // world coordinates
  int32_t part;      // segment of a line set, point of a point set; else 0
  RwClump* clump;    // the clump hit
  int32_t hasNormal; // 1 when `normal` is valid
  float normal[3];   // the hit polygon's normal in world coordinates, unit length
};

// Accessors: null (or 0) for a null argument or a missing record.
RwCamera* zmRwGetActiveCamera(ZmWorld* world);
HWND zmRwGetViewWindowHandle(ZmWorld* world);
HDC zmRwGetViewDC(ZmWorld* world);
RwClump* zmRwGetLeafClump(ZmLeaf* leaf);  // a face's clump is its polygon's
RwLight* zmRwGetLight(ZmLeaf* leaf);
RwCamera* zmRwGetCamera(ZmLeaf* leaf);

// Gives the engine camera the camera leaf's owner's world matrix turned half
// a turn about y (engine cameras look along their +z); 0 or -1, reported.
int zmRenderTransformZmCamera(ZmLeaf* leaf, RwCamera* camera);

// Shows, for each LOD object of the world, the child its range gives for the
// camera's distance to the LOD's centre. 0, or -1 with a warning when the
// camera cannot be read.
int zmRwEvalAllLOD(ZmWorld* world, RwCamera* camera);

// Mode 1: the leaf's polygons are drawn filled; otherwise as wireframe, with
// a reversed twin so that the edges show from both sides (made once).
void zmRwSetLeafMode(ZmLeaf* leaf, int mode);

/*
 * zmPickupZmShape --
 *   The shape under view-window pixel (x, y) through the world's active
 *   camera. A bounding box shown around an object never hides what is in it.
 * Results:
 *   0 with `info` filled; -7 when nothing is there (`info` untouched); -1
 *   after a report when the pick cannot be made.
 */
int zmPickupZmShape(ZmWorld* world, intptr_t x, intptr_t y, ZmPickInfo* info);

float zmRwDistance(const RwVector* a, const RwVector* b);
// Turns the direction by the clump's world matrix and normalises it.
void zmRwTransformNormal(RwClump* clump, RwVector* vector);

#endif
