// engine/render.h -- the clump render pipeline.
//
// Owns: the road from a clump to the device's draw routines: the clump's
// screen bounds and outcode, bringing its vertices into the camera's frame
// (the transform cache), choosing the draw entry and between the polygon list
// and the plane order, the save area and axis alignment of a clump turned
// towards the camera, and the clump pick (which hands the polygons to the
// pick stage, engine/pick.h).
// It provides the scene's pipeline record (rwSceneLinks) while the library is
// open.
// It does not own the clip chain (engine/clip.h), the polygon drawers and the
// hidden-surface modes (engine/polydraw.h), the plane order of mode-1 clumps
// (engine/depthsort.h), user-draw objects (engine/userdraw.h), the
// render globals (engine/renderstate.h), lighting (engine/light.h) nor the
// device routines.
#ifndef LUMENFOLD_ENGINE_RENDER_H
#define LUMENFOLD_ENGINE_RENDER_H

#include <cstdint>

#include "engine/device.h"
#include "engine/matrix.h"

struct RwCamera;
struct RwClump;
struct RwPickRecord;
struct RwPolygon;

// Axis alignments.
constexpr intptr_t rwAlignNone = 1;
constexpr intptr_t rwAlignZOrientX = 2;
constexpr intptr_t rwAlignZOrientY = 3;
constexpr intptr_t rwAlignXYZ = 4;

// Installs and removes the scene's pipeline slots (library open and close).
int RwOpenRenderPipeline();
int RwCloseRenderPipeline();

/*
 * RwGetClumpScreenBounds --
 *   Aligns the clump to the camera when its alignment is not 1 (saving its
 *   world matrix; the caller restores it), fills `work` with the
 *   clump-to-camera matrix and classifies the clump's box against the view
 *   volume.
 * Results:
 *   The outcode: low six bits the planes the box crosses, 256 and above
 *   wholly outside. The rectangle (whole pixels of the viewport; all zero
 *   when wholly outside) and, when asked for, the camera depth range.
 */
uintptr_t RwGetClumpScreenBounds(RwClump* clump, RwMatrix* work, RwCamera* camera, RwRect* rect,
                                 float* depthRange);

/*
 * RwRenderClump --
 *   Draws the clump into the current camera: bounds, vertex transform,
 *   damage, lighting, entry choice, clipping when the box crosses a plane,
 *   then the clump's user-draws.
 * Results:
 *   1 drawn; 0 when the clump is off, wholly outside or empty on screen
 *   (no error), or with error 1 for a null clump or no current camera.
 */
int RwRenderClump(RwClump* clump);

/*
 * RwPickClump --
 *   The polygon of the clump under viewport pixel (x, y) of the camera,
 *   with its nearest vertex and the hit point in world coordinates.
 * Results:
 *   The record (kind 0 when nothing is hit), or null with error 1 for a
 *   null argument.
 */
RwPickRecord* RwPickClump(RwClump* clump, intptr_t x, intptr_t y, RwCamera* camera, RwPickRecord* record);

// Dispatch by mode: mode 1 draws the plane order (clearing the clump's
// rectangle in the z-buffer unless the order is one plain run); modes 0
// and 2 draw the polygon list.
void RwDrawClumpPolygons(RwDrawEntry entry, RwClump* clump, const RwRect* rect);

// The single save area for a world matrix that alignment overwrites.
void RwSaveClumpMatrix(RwClump* clump);
void RwRestoreClumpMatrix(RwClump* clump);
// Re-orients the world matrix by the clump's alignment (1 leaves it).
// Errors 1 (null) and 49 (value outside 1..4).
RwClump* RwAlignClumpToCamera(RwClump* clump, const RwCamera* camera);
// Marks the modelling matrix changed, then stores 1..4 (else error 49).
RwClump* RwSetClumpAxisAlignment(RwClump* clump, intptr_t alignment);
intptr_t RwGetClumpAxisAlignment(const RwClump* clump);  // 0 and error 1 for null

// 1 when the polygon's first three vertices, seen in the plane of screen y
// and depth, turn the back-facing way (the perspective rasterisers' test).
int RwBackFacing(const RwPolygon* polygon);

// ---- for the pick stage and the user-draws

// Brings the clump's vertices into the camera's frame when the transform
// cache disagrees: projected when the outcode is 0, camera frame otherwise;
// outside a depth group the depth mapping is first fitted to the range.
void RwPrepareClumpVertices(RwClump* clump, const RwMatrix* work, RwCamera* camera, uintptr_t outcode,
                            const float* depthRange);

#endif
