// viewer/authrend.h -- a second view of a world through a camera of the
// caller's own, for an authoring tool: a plan view from above by default.
//
// Owns nothing: the authoring camera is an engine camera in no camera
// table and without a leaf, made by zmAuthNewCamera (or zmAuthCreateCamera)
// and released by the caller with zmAuthDestroyCamera. It draws the world's
// engine scene (the rendering record's), which the main view shares. The
// thin operations pass their arguments to one engine call each and return
// its result.
//
// One zmAuthShowWorld must end before a frame of any other view begins: the
// engine keeps its current camera between the begin and end of an update.
#ifndef LUMENFOLD_VIEWER_AUTHREND_H
#define LUMENFOLD_VIEWER_AUTHREND_H

#include <cstdint>

#include "platform/wintypes.h"

struct RwCamera;
struct RwVector;
struct ZmWorld;

/*
 * zmAuthShowWorld --
 *   Draws the world's scene through the camera and copies the image to the
 *   device context of the window.
 * Results:
 *   0; -1 after an error naming the step (no world, no rendering record, a
 *   refused engine step). After a failed render the update is not ended.
 */
int zmAuthShowWorld(ZmWorld* world, RwCamera* camera, HWND window, HDC dc);
// The viewport in pixels and a view window of 20 x 20 world units; 0 / -1.
int zmAuthSetCameraViewport(RwCamera* camera, int x, int y, int width, int height);
// A 1024 x 768 parallel camera at (5, 100, 0) looking straight down (along
// the world's -y); null after an error.
RwCamera* zmAuthNewCamera();

RwCamera* zmAuthCreateCamera(intptr_t width, intptr_t height, void* device);
int zmAuthDestroyCamera(RwCamera* camera);
RwCamera* zmAuthSetCameraProjection(RwCamera* camera, int32_t projection);
RwCamera* zmAuthSetViewport(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height);
RwCamera* zmAuthSetCameraViewwindow(RwCamera* camera, float width, float height);
RwCamera* zmAuthGetCameraViewwindow(RwCamera* camera, float* width, float* height);
RwCamera* zmAuthSetCameraPosition(RwCamera* camera, float x, float y, float z);
RwVector* zmAuthGetCameraPosition(RwCamera* camera, RwVector* position);
RwCamera* zmAuthPointCamera(RwCamera* camera, float x, float y, float z);
RwCamera* zmAuthSetCameraLookUp(RwCamera* camera, float x, float y, float z);
RwVector* zmAuthGetCameraLookAt(RwCamera* camera, RwVector* direction);
RwVector* zmAuthGetCameraLookUp(RwCamera* camera, RwVector* direction);
RwCamera* zmAuthResetCamera(RwCamera* camera);
RwCamera* zmAuthTiltCamera(RwCamera* camera, float angle);
RwCamera* zmAuthPanCamera(RwCamera* camera, float angle);
RwCamera* zmAuthRevolveCamera(RwCamera* camera, float angle);
RwCamera* zmAuthVCMoveCamera(RwCamera* camera, float x, float y, float z);  // along the camera's axes
RwCamera* zmAuthWCMoveCamera(RwCamera* camera, float x, float y, float z);  // along the world's axes

#endif
