// viewer/rendering.h -- a world's renderer record and the placement of engine
// counterparts at their objects' world transforms.
//
// Owns: `RenderingStruct` (what the viewer keeps per world: the engine scene
// that holds the world's clumps and lights, its default camera, the view of
// the current frame, the moved objects and the backdrop), the view-window
// size that new cameras take as their viewport (kept in the program-wide
// rendering record, viewer/renderstate.h), the conversion of an object's world
// transform into an engine matrix, and the calls that place a leaf's clump,
// light or camera there.
// It does not own the world (the scene core), nor the creation and teardown
// of the record and its scene, which belong to world construction.
#ifndef LUMENFOLD_VIEWER_RENDERING_H
#define LUMENFOLD_VIEWER_RENDERING_H

#include <cstdint>

#include "platform/wintypes.h"

struct RwCamera;
struct RwRaster;
struct RwScene;
struct RwMatrix;
struct ZmLeaf;
struct ZmObj;
struct ZmWorld;

// One node of a world's list of moved objects waiting for the next frame.
struct ZmTransferedObj {
  ZmTransferedObj* next;
  ZmObj* object;
};

struct RenderingStruct {
  RwScene* scene;                  // every clump and light of the world
  RwCamera* defaultCamera;         // drawn with while the active camera id is 1
  HWND viewWindow;                 // the 3-D view, stored before every frame
  HDC viewDC;                      // its device context for the current frame
  intptr_t renderingEnabled;       // 0 while a subtree is built or destroyed
  ZmTransferedObj* transferedObjs; // moved objects, in the order they moved
  RwRaster* backdrop;              // the background image; owned by this record
  ZmTransferedObj* transferedTail; // last node of transferedObjs, so appends do not walk
  char* backdropFile;              // owned: the local file `backdrop` was read from
};

// The world's engine scene, or null (no world, no record or no scene).
RwScene* zmRwGetScene(ZmWorld* world);

// Writes the object's world transform (rotation rows, then translation) into
// `matrix`. Non-zero on success; 0 with its own report for a null argument.
int zmRwGetObjectWRT(ZmObj* object, RwMatrix* matrix);

// The matrix of an object's shapes: its world transform with its own scale
// applied first (the scale belongs to its leaves, not to its children).
// Non-zero on success.
int zmRwGetShapeWRT(ZmObj* object, RwMatrix* matrix);

// Replaces the modelling matrix of a shape leaf's clump (for a face, the
// clump of its polygon) by its owner's world transform; 0 or -1.
int zmRenderTransformZmShape(ZmLeaf* leaf);
// Places a point or spot light at its owner's world origin and points a spot
// or directional light along the owner's -z axis; 0 or -1.
int zmRenderTransformZmLight(ZmLeaf* leaf);
// Places a camera leaf's camera at its owner's world transform turned half a
// turn about the owner's y axis (engine cameras look along +z); 0 or -1.
int zmRenderTransformCameraLeaf(ZmLeaf* leaf);

// The view window's client size, which the shell keeps up to date from its
// size messages; 0 x 0 until it has been sized.
void zmGetViewWindowSize(int* width, int* height);
void zmSetViewWindowSize(int width, int height);

#endif
