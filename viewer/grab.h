// viewer/grab.h -- taking hold of an object in the 3-D view with the mouse:
// Alt + left button drags it across the screen at its present depth,
// Alt + Shift + left button turns it with a virtual trackball, and the last
// grab can be undone.
//
// Owns: the program-wide grab record (the held object, the offset of the
// press, the last mouse point and the undo record; kept in the record of
// the user's control, viewer/usercontrol.h), the pick ray of a view
// pixel, the projection of a pixel onto the plane that faces the camera,
// and the trackball. It does not own picking (viewer/sceneobjects.h), the object
// transforms it sets (core/transform.h), nor the sending of moved objects
// to the world server, which it asks for through viewer/hooks.h.
//
// The held object and the undo object are forgotten when the scene core
// takes their subtree out of the viewer (deletion, cutting, emptying a
// world: zmGrabForgetSubtree), and they act only while their world is the
// current one, so no record outlives what it names.
#ifndef LUMENFOLD_VIEWER_GRAB_H
#define LUMENFOLD_VIEWER_GRAB_H

#include <cstdint>

#include "engine/matrix.h"  // RwVector
#include "platform/wintypes.h"

struct RwCamera;
struct RwClump;
struct ZmObj;

// A ray in world coordinates: it starts at `origin` and runs along
// `direction` (not normalised).
struct ZmPickRay {
  RwVector origin;
  RwVector direction;
};

/*
 * zmGrabMouseEvent --
 *   The view window's mouse messages. WM_LBUTTONDOWN with Alt held starts a
 *   grab of the grabbable object under the point (rotate mode with MK_SHIFT
 *   in wParam, else move mode) and captures the mouse; WM_MOUSEMOVE drags
 *   while a grab is on; WM_LBUTTONUP ends it and releases the capture.
 *   Every other message (the right button included) is ignored.
 * Side effects:
 *   Moves or turns the held object (or, turning, its top-level ancestor)
 *   and hands each change to the multi-user client; a press on a grabbable
 *   object replaces the undo record.
 */
void zmGrabMouseEvent(HWND view, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the world matrix of the last grabbed object back to what it was at
// that grab's press (not sent to the world server). 0, or -1 when nothing
// was grabbed, the object is gone or its world is not the current one.
int zmUndoGrab();

/*
 * zmApplyVirtualTrackball --
 *   Turns the object (mode 0) or its top-level ancestor (mode 1) about the
 *   centre of its bounding sphere by the turn that carries the sphere point
 *   under view pixel (x0, y0) to the one under (x1, y1); the sphere's radius
 *   is multiplied by `factor`. The turn is the true angle between the two
 *   directions from the centre, up to half a turn.
 * Results:
 *   0 when turned, or when a point misses the sphere or both give one
 *   direction (nothing turns); -1 for another mode (the error
 *   "zmApplyVirtualTrackball: unknown mode"), for a null object or without
 *   an active camera; the error of a failing camera query.
 * Side effects:
 *   The turned object is handed to the multi-user client.
 */
int zmApplyVirtualTrackball(int mode, float factor, ZmObj* object, int x0, int y0, int x1, int y1);

// The world ray from the camera's position through view pixel (x, y), at
// the pixel's bottom-left corner. 0, or -1 when the camera cannot be read.
int zmGrabPickRay(RwCamera* camera, int x, int y, ZmPickRay* ray);
// Where the ray of pixel (x, y) meets the plane through the clump's origin
// that faces the camera. 0, or -1 (point untouched) when the camera cannot
// be read or the ray runs parallel to the plane.
int zmGrabProjectPoint(RwClump* clump, RwCamera* camera, int x, int y, RwVector* point);
// The ray parameter t where the ray meets the plane; 0, or -1 (t untouched)
// when the ray runs parallel to it.
int zmIntersectRayPlane(const ZmPickRay* ray, const RwVector* normal, const RwVector* planePoint, float* t);

// Forgets the held object and the undo object when they lie in the subtree
// of `object` (the object included). The viewer calls it whenever the scene
// core takes a subtree out of the viewer; a drag in progress then moves
// nothing until the button is released.
void zmGrabForgetSubtree(ZmObj* object);

#endif
