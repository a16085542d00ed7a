// engine/userdraw.h -- user-draw objects: 2-D overlays that follow a clump.
//
// Owns: the pool "userdrawlist" and the `RwUserDraw` records made from it,
// their lists on clumps, their placement on screen each time their clump is
// rendered (four alignment rules), the queue of placed user-draws on a
// camera and drawing that queue when the camera's update ends. It fills the
// clump's and the camera's user-draw slots while the library is open.
// It does not own the clump (engine/clump.h) nor the camera and its image
// (engine/camera.h), nor what a callback paints.
#ifndef LUMENFOLD_ENGINE_USERDRAW_H
#define LUMENFOLD_ENGINE_USERDRAW_H

#include <cstdint>

#include "engine/device.h"

struct RwCamera;
struct RwCameraImage;
struct RwClump;
struct RwUserDraw;

// Called after the camera's 3-D image is complete; the result is not used.
typedef void (*RwUserDrawCallback)(RwUserDraw* userDraw, RwCameraImage* image, const RwRect* rect,
                                   uintptr_t data);

// Alignment types.
constexpr intptr_t rwAlignToClumpOrigin = 1;
constexpr intptr_t rwAlignToClumpVertex = 2;
constexpr intptr_t rwAlignToClumpRect = 3;
constexpr intptr_t rwAlignToViewport = 4;
// Anchor and reference flags: which edge; neither of a pair centres.
constexpr uintptr_t rwEdgeTop = 1;
constexpr uintptr_t rwEdgeBottom = 2;
constexpr uintptr_t rwEdgeLeft = 4;
constexpr uintptr_t rwEdgeRight = 8;

struct RwUserDraw {
  RwUserDrawCallback callback;
  uintptr_t data;          // passed to the callback
  intptr_t offsetX;        // pixels added to the aligned position
  intptr_t offsetY;
  intptr_t width;
  intptr_t height;
  RwRect placed;           // written by placement: handed to the callback
  intptr_t alignment;      // 1 origin, 2 vertex, 3 clump rectangle, 4 viewport
  uintptr_t anchor;        // edges of the user-draw put on the reference point
  intptr_t reference;      // type 2: vertex index; types 3, 4: edge flags of the point
  RwClump* clump;          // owner, or null when detached
  RwUserDraw* clumpNext;
  RwCamera* camera;        // whose queue holds it, or null
  RwUserDraw* cameraNext;
};

// The pool and the clump and camera slots (library open and close).
int RwOpenUserDrawModule();
int RwCloseUserDrawModule();

/*
 * RwCreateUserDraw --
 *   A detached user-draw with the given placement and callback.
 * Results:
 *   The record, or null with error 3 (pool exhausted).
 */
RwUserDraw* RwCreateUserDraw(intptr_t alignment, uintptr_t anchor, intptr_t reference, intptr_t offsetX,
                             intptr_t offsetY, intptr_t width, intptr_t height, RwUserDrawCallback callback,
                             uintptr_t data);
// Moves it to the front of the clump's list (nothing when already there).
RwClump* RwAddUserDrawToClump(RwClump* clump, RwUserDraw* userDraw);
// A copy (placement and callback, not its links), put on the source's
// clump's list when the source has a clump. Errors 1 and 3.
RwUserDraw* RwDuplicateUserDraw(RwUserDraw* userDraw);
// Unlinks it from its clump and its camera's queue and frees it.
int RwDestroyUserDraw(RwUserDraw* userDraw);

/*
 * RwPlaceClumpUserDraws --
 *   Places each of the clump's user-draws for the clump's screen rectangle
 *   and queues those that overlap the viewport on the camera.
 * Results:
 *   The clump; null with error 71 when one is still queued (those placed
 *   before it stay queued). A bad alignment type is error 76 and leaves
 *   that user-draw where it was.
 */
RwClump* RwPlaceClumpUserDraws(RwClump* clump, const RwRect* rect, RwCamera* camera);
// Calls every queued callback (the last queued first), damages its
// rectangle and empties the queue.
RwCamera* RwDrawCameraUserDraws(RwCamera* camera);

#endif
