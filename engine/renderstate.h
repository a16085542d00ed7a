// engine/renderstate.h -- the render globals of the library.
//
// Owns: the one set of globals that a render or a pick works with: the
// current camera, the depth mapping in force (z scale and z offset), the
// depth-group flag and the best depth of the current pick, with the
// operations that set them and the clearing of depth-group rectangles.
// It does not own cameras (engine/camera.h), the z-buffer memory (the
// device's, engine/depthbuffer.h) nor the clump pipeline that reads them.
#ifndef LUMENFOLD_ENGINE_RENDERSTATE_H
#define LUMENFOLD_ENGINE_RENDERSTATE_H

#include <cstdint>

struct RwCamera;
struct RwDamagedRect;

struct RwRenderState {
  RwCamera* currentCamera;  // between begin and end update, or while picking
  float zScale;             // screen depth = zScale / camera z + zOffset (perspective)
  float zOffset;            //            or zScale x camera z + zOffset (parallel)
  intptr_t depthGroup;      // 1 while clumps draw as one z-buffered depth group
  int32_t bestPickDepth;    // largest screen depth accepted by the current pick
};
extern RwRenderState rwRenderState;

// Resets every global (library open and close).
void RwResetRenderState();

/*
 * RwSetZProjection --
 *   Fits the depth mapping to the camera depths range[0] (near) and range[1]
 *   (far) of the current camera's projection, so that near maps to screen
 *   depth 32704 and far to 64; a range thinner than 2^-20 is widened to it.
 *   Resets the pick's best depth to 0. Without a current camera the mapping
 *   is perspective.
 */
void RwSetZProjection(const float* range);

void RwBeginDepthGroup();
void RwEndDepthGroup();
intptr_t RwIsDepthGroup();

// Calls the device's clear-depth-rectangle slot once per node of the list.
void RwClearZBufferRects(const RwDamagedRect* list);

#endif
