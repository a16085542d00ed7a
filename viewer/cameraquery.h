// viewer/cameraquery.h -- the engine camera behind a camera object or a
// world's active camera, read or set for the scene core, and 3-D points
// projected to pixels of the view.
//
// Owns nothing: each call finds the engine camera, asks or tells the engine
// and copies the answer out. Outputs are written only on success; failures
// are reported "operation() : text" and return -1.
#ifndef LUMENFOLD_VIEWER_CAMERAQUERY_H
#define LUMENFOLD_VIEWER_CAMERAQUERY_H

struct ZmObj;
struct ZmWorld;

int zmRenderSetCameraViewport(ZmWorld* world, int x, int y, int width, int height);
int zmRenderGetCameraViewport(ZmObj* camera, int* x, int* y, int* width, int* height);
int zmRenderGetActiveCameraViewport(ZmWorld* world, int* x, int* y, int* width, int* height);
int zmRenderGetCameraViewWindow(ZmObj* camera, float* width, float* height);
int zmRenderGetActiveCameraViewWindow(ZmWorld* world, float* width, float* height);
int zmRenderGetCameraNearClipping(ZmObj* camera, float* distance);
int zmRenderGetActiveCameraNearClipping(ZmWorld* world, float* distance);
int zmRenderGetCameraFarClipping(ZmObj* camera, float* distance);
int zmRenderGetActiveCameraFarClipping(ZmWorld* world, float* distance);
int zmRenderGetCameraLookAt(ZmObj* camera, float* x, float* y, float* z);
int zmRenderGetActiveCameraLookAt(ZmWorld* world, float* x, float* y, float* z);
int zmRenderGetCameraLookUp(ZmObj* camera, float* x, float* y, float* z);
int zmRenderGetActiveCameraLookUp(ZmWorld* world, float* x, float* y, float* z);

// Pixel (x, y) of a world point seen through the camera object; `onScreen`
// 0 (x and y unwritten) when the point is behind the camera or nearer than
// half a unit, else whether it lies in the viewport (edges included). 0.
int zmRenderProjectPoint(ZmObj* camera, const float point[3], int* x, int* y, int* onScreen);
// The same through the world's active camera object; nothing is written
// when the world is null or has none.
int zmRenderProjectPointByActiveCamera(ZmWorld* world, const float point[3], int* x, int* y, int* onScreen);

#endif
