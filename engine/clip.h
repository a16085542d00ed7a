// engine/clip.h -- the clip chain: polygons cut to the camera's view volume.
//
// Owns: the stage pointers of the one clip chain (final entry and the stage
// after x, after y and after z), building a chain for the planes a clump's
// box crosses, the clip stages for each axis (one plane or both planes of
// the axis at once), the drivers that project a clipped polygon and drop
// degenerate and back-facing results, and the scratch polygons every stage
// and driver (and the pick window, engine/pick.h) keeps on its own stack.
// It does not own the vertices that enter the chain (the clump's; never
// written), the camera, nor the depth mapping in force (engine/renderstate.h).
//
// Entering vertices hold camera-frame x, y and z as float bits in their
// screen x, screen y and depth words (RwTransformVertices mode 2). A vertex
// a stage makes lies exactly on the stage's plane and carries its mark in
// the flags byte, so that the driver can place it exactly on the viewport
// border or at the ends of the depth range.
#ifndef LUMENFOLD_ENGINE_CLIP_H
#define LUMENFOLD_ENGINE_CLIP_H

#include <cstdint>

#include "engine/device.h"
#include "engine/polygon.h"

struct RwCamera;

// Outcode bits: the planes a box or polygon lies (partly) outside of.
constexpr uintptr_t rwOutXLow = 1;
constexpr uintptr_t rwOutXHigh = 2;
constexpr uintptr_t rwOutYLow = 4;
constexpr uintptr_t rwOutYHigh = 8;
constexpr uintptr_t rwOutNear = 16;
constexpr uintptr_t rwOutFar = 32;
constexpr uintptr_t rwOutAllPlanes = 63;
// Codes of 256 and above: wholly outside (the plane bits shifted left 8).
constexpr int rwWhollyOutsideShift = 8;
constexpr uintptr_t rwWhollyOutside = 256;
// Returned by a driver that dropped the polygon (degenerate or facing away).
constexpr int rwClipDropped = 1024;

// Plane marks of vertices made by clipping.
constexpr uint8_t rwMarkXLow = 4;
constexpr uint8_t rwMarkXHigh = 8;
constexpr uint8_t rwMarkYLow = 16;
constexpr uint8_t rwMarkYHigh = 32;
constexpr uint8_t rwMarkNear = 64;
constexpr uint8_t rwMarkFar = 128;

// Screen depths of the ends of the depth range.
constexpr int32_t rwNearScreenDepth = 32704;
constexpr int32_t rwFarScreenDepth = 64;

void RwSetClipFinalStage(RwDrawEntry entry);
RwDrawEntry RwGetClipFinalStage();
void RwSetClipNextX(RwDrawEntry entry);
RwDrawEntry RwGetClipNextX();
void RwSetClipNextY(RwDrawEntry entry);
RwDrawEntry RwGetClipNextY();
void RwSetClipNextZ(RwDrawEntry entry);
RwDrawEntry RwGetClipNextZ();

/*
 * RwBuildClipChain --
 *   Picks a stage for each axis whose planes the outcode names (x, y, then
 *   z, each stage's next being the one picked before it, the first one's the
 *   driver), for the current camera's projection, and sets the next-stage
 *   pointers. The final entry is set separately (RwSetClipFinalStage).
 * Results:
 *   The entry to call for each polygon: the z stage, else the y stage, else
 *   the x stage, else the driver. A polygon meets near/far, then y, then x.
 */
RwDrawEntry RwBuildClipChain(RwDrawEntry driver, uintptr_t outcode);
// The driver of the camera's projection.
RwDrawEntry RwClipDriverFor(const RwCamera* camera);

// Stages: each returns its own code (all-outside bits shifted left 8, or-ed
// with any-outside bits) or-ed with the rest of the chain's.
int RwClipXLow(RwPolygon* polygon);
int RwClipXHighParallel(RwPolygon* polygon);
int RwClipXHighPerspective(RwPolygon* polygon);
int RwClipXBothParallel(RwPolygon* polygon);
int RwClipXBothPerspective(RwPolygon* polygon);
int RwClipYLow(RwPolygon* polygon);
int RwClipYHighParallel(RwPolygon* polygon);
int RwClipYHighPerspective(RwPolygon* polygon);
int RwClipYBothParallel(RwPolygon* polygon);
int RwClipYBothPerspective(RwPolygon* polygon);
int RwClipNear(RwPolygon* polygon);
int RwClipFar(RwPolygon* polygon);
int RwClipNearFar(RwPolygon* polygon);

// Drivers: project to 16.16 screen positions and screen depths, drop
// repeated points; fewer than three left or facing away: 1024. Otherwise
// the final entry is called with the projected polygon and the result is 0.
int RwClipDriverParallel(RwPolygon* polygon);
int RwClipDriverPerspective(RwPolygon* polygon);

/*
 * RwClipScratch --
 *   The polygon a stage passes on, owned for the duration of one call: the
 *   incoming polygon's words, its own vertex references and room for the
 *   vertices it makes. Room is twice the incoming vertex count, enough for
 *   any polygon (each edge emits at most two references and makes at most
 *   two vertices), so clipping never writes past its storage; polygons that
 *   fit the inline room cost no allocation. When a larger one cannot get
 *   memory, ok() is false and the stage drops the polygon.
 */
class RwClipScratch {
 public:
  explicit RwClipScratch(const RwPolygon* incoming);
  ~RwClipScratch();
  RwClipScratch(const RwClipScratch&) = delete;
  RwClipScratch& operator=(const RwClipScratch&) = delete;

  bool ok() const { return polygon_ != nullptr; }
  RwPolygon* polygon() { return polygon_; }
  // A fresh vertex of this scratch (zero-filled).
  RwVertex* makeVertex();
  void emit(RwVertex* vertex);

 private:
  static constexpr uint32_t inlineRoom = 80;  // 2 x (32 + 2 per stage of three)
  uint32_t room_;
  uint32_t made_ = 0;
  RwPolygon* polygon_ = nullptr;
  RwVertex* vertices_ = nullptr;
  void* heap_ = nullptr;
  alignas(RwPolygon) unsigned char polygonBytes_[sizeof(RwPolygon) + inlineRoom * sizeof(RwVertex*)];
  RwVertex inlineVertices_[inlineRoom];
};

#endif
