// engine/camera.h -- cameras.
//
// Owns: the pool "cameralist" and the `RwCamera` records made from it (the
// engine's point of view and its picture), the list of live cameras, their
// projection, view window, viewport and view matrix, the background colour
// and tiled backdrop, the two 32 x 32 damage masks and how they turn into
// the rectangles that are cleared and shown, the frame cycle (begin, clear,
// end, show), the camera moves and the pick ray.
// `RwCameraImage` is the part of a camera that the display device owns (the
// device's create-image slot fills it, its destroy-image slot empties it).
// It does not own the device (engine/device.h), the backdrop raster, the
// depth buffer (engine/depthbuffer.h) nor the user-draw objects queued on a
// camera (drawn through rwCameraLinks below).
//
// Damage rectangles, the backdrop rectangle and the rectangles handed to the
// device are in viewport coordinates (0, 0 = the viewport's top-left pixel).
#ifndef LUMENFOLD_ENGINE_CAMERA_H
#define LUMENFOLD_ENGINE_CAMERA_H

#include <cstdint>

#include "engine/device.h"
#include "engine/links.h"
#include "engine/matrix.h"
#include "platform/wintypes.h"

struct RwRaster;
struct RwUserDraw;

// The device-owned words of a camera's image.
struct RwCameraImage {
  uint8_t* topRow;      // first pixel of the top row, or null
  intptr_t width;       // pixels per row (display devices round up to 4)
  intptr_t height;      // rows
  intptr_t depth;       // bits per pixel
  intptr_t stride;      // bytes from a row to the next; negative when bottom-up
  uint8_t** rowTable;   // one pointer per row
  void* backEnd;        // the display device's own record
  uintptr_t handle;     // the recording device's image handle
  HDC memoryDc;         // memory DC holding the image, or null when the device keeps none
  intptr_t deviceWord;
};

struct RwCamera {
  RwCamera* next;                  // camera list, newest first
  RwMatrix matrix;                 // camera to world: right, up, at, position
  float viewOffset[3];             // always zero
  int32_t viewport[4];             // x, y, width, height in image pixels
  float viewportScale[2];          // width x 65536.0, height x 65536.0
  float nearClipping;
  float farClipping;
  float inverseViewWindow[2];      // 1 / half width, 1 / half height
  uintptr_t backgroundColour;      // device colour value
  uintptr_t backgroundIndex;       // palette index 0..255
  RwRaster* backdrop;              // tiled behind the scene, or null
  int32_t backdropRect[4];         // viewport coordinates
  int32_t backdropOffset[2];       // raster coordinates at the rectangle's corner
  RwMatrix viewMatrix;             // world to normalised screen; changed = view stale
  RwCameraImage image;
  void* descriptor;                // bitmap descriptor given at creation, or made by the device
  uintptr_t descriptorMadeByDevice;  // 1: the camera owns its image
  RwUserDraw* userDrawQueue;
  uintptr_t damageShift;           // log2 of a damage unit's pixel size
  uint32_t damageMaskA[32];        // row r, bit c: cell damaged
  uint32_t damageMaskB[32];
  int32_t projection;              // 1 perspective, 2 parallel
  uintptr_t userData;
  int32_t changeStamp;
  uintptr_t flags;                 // bit 0: two-mask flag, from the device flags
};

// Projections.
constexpr int32_t rwPerspective = 1;
constexpr int32_t rwParallel = 2;

constexpr int rwDamageGridCells = 32;  // cells per side of the damage masks

// Provided by the user-draw module when it opens (engine/links.h); until
// then no user-draw can be queued.
struct RwCameraLinks {
  // RwEndCameraUpdate draws the camera's queued user-draws (damaging what
  // they draw) and empties the queue; RwDestroyCamera drops them undrawn, so
  // that none keeps the freed camera.
  void (*drawUserDrawQueue)(RwCamera* camera);
  void (*dropUserDrawQueue)(RwCamera* camera);
};
inline constexpr RwCameraLinks rwDefaultCameraLinks = {
    .drawUserDrawQueue = [](RwCamera*) {}, .dropUserDrawQueue = [](RwCamera*) {},
};
inline constinit RwLinks<RwCameraLinks> rwCameraLinks{rwDefaultCameraLinks};

int RwOpenCameraModule();
// Destroys every camera still on the list, frees the depth buffer and hands
// the pool back.
int RwCloseCameraModule();

/*
 * RwCreateCamera --
 *   A camera whose image the device makes at width x height (the device
 *   uses the caller's bitmap descriptor when one is given). The camera looks
 *   down -z from the origin (right -x, up +y), perspective, view window 1 x 1,
 *   an empty viewport, near 0.05, far the largest float, black background.
 * Results:
 *   The camera, or null with error 3 (pool) or the device's error.
 */
RwCamera* RwCreateCamera(intptr_t width, intptr_t height, void* descriptor);
int RwDestroyCamera(RwCamera* camera);

// Settings; a null camera is error 1 everywhere.
RwCamera* RwSetCameraProjection(RwCamera* camera, int32_t projection);  // 1 or 2, else error 44
int32_t RwGetCameraProjection(const RwCamera* camera);
RwCamera* RwSetCameraViewwindow(RwCamera* camera, float halfWidth, float halfHeight);  // > 0, else error 11
RwCamera* RwGetCameraViewwindow(const RwCamera* camera, float* halfWidth, float* halfHeight);
// Width and height are clamped to the image; with the two-mask flag x and y
// are clamped into it too. Damages the whole new viewport.
RwCamera* RwSetCameraViewport(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height);
RwCamera* RwGetCameraViewport(const RwCamera* camera, intptr_t* x, intptr_t* y, intptr_t* width, intptr_t* height);
float RwGetCameraNearClipping(const RwCamera* camera);  // -1.0 for null
float RwGetCameraFarClipping(const RwCamera* camera);
// Floats 0..1; null when no material could be pushed to convert the colour.
RwCamera* RwSetCameraBackColor(RwCamera* camera, float red, float green, float blue);
RwCamera* RwSetCameraBackdrop(RwCamera* camera, RwRaster* raster);
RwRaster* RwGetCameraBackdrop(const RwCamera* camera);
RwCamera* RwSetCameraBackdropOffset(RwCamera* camera, intptr_t x, intptr_t y);
RwCamera* RwSetCameraBackdropViewportRect(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height);
RwCamera* RwSetCameraData(RwCamera* camera, uintptr_t data);
uintptr_t RwGetCameraData(const RwCamera* camera);  // the word RwSetCameraData stored
// The memory DC of the device image, or null when the device keeps none.
HDC RwGetCameraImage(const RwCamera* camera);
RwMatrix* RwCameraMatrix(RwCamera* camera);

// The frame cycle.
RwCamera* RwInvalidateCameraViewport(RwCamera* camera);
// Makes the camera current and calls the device's begin-update slot.
RwCamera* RwBeginCameraUpdate(RwCamera* camera, intptr_t deviceArgument);
// Clears every damaged rectangle to the background or the tiled backdrop.
RwCamera* RwClearCameraViewport(RwCamera* camera);
// Draws the queued user-draw objects and calls the device's end-update
// slot when the camera is current; no camera is current afterwards.
RwCamera* RwEndCameraUpdate(RwCamera* camera);
// Hands every damaged rectangle, then the empty rectangle, to the device's
// show slot; copies nothing for the current camera.
RwCamera* RwShowCameraImage(RwCamera* camera, HDC windowDc);
// Marks the rectangle (pixels, viewport coordinates) damaged, clipped to the
// viewport: every cell that holds a pixel of it.
RwCamera* RwDamageCameraRect(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height);
RwCamera* RwGetCurrentCamera();

// Moves (angles in degrees). Each success advances the change stamp and
// makes the view stale.
RwCamera* RwResetCamera(RwCamera* camera);
RwMatrix* RwGetCameraMatrix(const RwCamera* camera, RwMatrix* out);
RwCamera* RwTransformCamera(RwCamera* camera, const RwMatrix* matrix, int32_t mode);
RwCamera* RwSetCameraPosition(RwCamera* camera, float x, float y, float z);
RwVector* RwGetCameraPosition(const RwCamera* camera, RwVector* out);
RwCamera* RwPointCamera(RwCamera* camera, float x, float y, float z);
RwVector* RwGetCameraLookAt(const RwCamera* camera, RwVector* out);
RwCamera* RwSetCameraLookUp(RwCamera* camera, float x, float y, float z);
RwVector* RwGetCameraLookUp(const RwCamera* camera, RwVector* out);
RwCamera* RwPanCamera(RwCamera* camera, float angle);
RwCamera* RwTiltCamera(RwCamera* camera, float angle);
RwCamera* RwRevolveCamera(RwCamera* camera, float angle);
// Moves along the camera's own axes: +x to the screen's right, +y up, +z forward.
RwCamera* RwVCMoveCamera(RwCamera* camera, float x, float y, float z);
// Moves along the world axes.
RwCamera* RwWCMoveCamera(RwCamera* camera, float x, float y, float z);

/*
 * RwUpdateCameraView --
 *   Rebuilds the world-to-normalised-screen matrix when the view is stale
 *   (a perspective point maps to (X / Z, Y / Z), a parallel one to (X, Y),
 *   0..1 spanning the view window), then advances the change stamp.
 */
RwCamera* RwUpdateCameraView(RwCamera* camera);
// The ray through the centre of viewport pixel (x, y); returns direction,
// or null with error 76 for a projection other than 1 or 2.
RwVector* RwCameraPickRay(const RwCamera* camera, intptr_t x, intptr_t y, RwVector* origin, RwVector* direction);

// The rectangles (pixels, viewport coordinates) that a damage mask stands
// for, in scanning order: runs of cells per row, a row's single run merged
// with equal rows below it, cut at the viewport's edges.
struct RwDamageRects {
  int count;
  RwRect rects[rwDamageGridCells * rwDamageGridCells / 2];
};
void RwDamageMaskRects(const RwCamera* camera, const uint32_t* mask, RwDamageRects* out);

#endif
