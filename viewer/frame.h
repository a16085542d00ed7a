// viewer/frame.h -- one frame of a world, and the backdrop behind it.
//
// Owns: the frame sequence (moved objects to the engine, active camera, LOD
// choice, backdrop, clear, render, overlays, show) and the backdrop raster
// read from the world's background image, which the rendering record keeps.
// It does not own the timer that asks for frames (the shell) nor the
// overlays themselves (labels and drag feedback, through viewer/hooks.h).
// Failures of the frame are reported "zmRenderShowWorld() : text" and end it.
#ifndef LUMENFOLD_VIEWER_FRAME_H
#define LUMENFOLD_VIEWER_FRAME_H

#include "platform/wintypes.h"

struct RwCamera;
struct RwRaster;
struct ZmWorld;

// Stores the view window and its device context for the frame that follows;
// 0, or -1 when the world has no rendering record.
int zmRenderSetFrameTime(ZmWorld* world, HWND window, HDC dc);
int zmRenderShowWorld(ZmWorld* world);  // 0 or -1
// Reads the world's background image into the record (once per file: the
// same file is not read again); the raster it replaces is released. 0; -1
// without a world or record.
int zmRenderLoadBackground(ZmWorld* world);
// Reads the image file as the record's backdrop, replacing (and releasing)
// the one before in every camera that showed it. 0; -1 without a world or
// record, or when the file cannot be read (the old backdrop then stays).
int zmRenderReadBackdrop(ZmWorld* world, const char* file);
// Places the backdrop in the viewport by the camera's heading and pitch, so a
// full turn scrolls it by 2 pi over the horizontal field angle. 0 or -1 (warned).
int TrackBackdropToCamera(RwCamera* camera, RwRaster* backdrop);
void zmRenderDrawOverlays(RwCamera* camera);

#endif
