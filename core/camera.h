// core/camera.h -- a world's camera table and camera queries.
//
// Owns: `ZmCameraTable` (camera objects under small integer ids and the
// active id), the camera queries that read a camera object's world
// transform (position, look-at and look-up directions) and turning a camera
// to look along a direction. It does not own the camera objects, nor the
// viewport, view window and clipping distances, which belong to the
// renderer and are forwarded to it (core/hooks.h).
//
// A camera frame is its object's world transform: row 1 the x axis, row 2
// the up direction, row 3 the z axis; the camera looks along minus z.
#ifndef LUMENFOLD_CORE_CAMERA_H
#define LUMENFOLD_CORE_CAMERA_H

#include <cstdint>

#include "core/vecmath.h"

struct ZmObj;
struct ZmWorld;

struct ZmCameraList {
  int32_t id;
  ZmObj* camera;
  ZmCameraList* next;
};

struct ZmCameraTable {
  int32_t activeId;     // 1 at creation: the renderer's default camera
  ZmCameraList* first;  // in the order of first registration
};

// Creates the world's table. 0 (a warning when it exists already); -1 for a
// null world; -5 when memory runs out.
int zmSetCameraTableToWorld(ZmWorld* world);
// Frees the nodes and the table (not the cameras); 0.
int zmDeleteCameraTable(ZmWorld* world);
ZmCameraList* zmNewZmCameraList(int32_t id, ZmObj* camera);
// Registers the camera under id in its world's table (replacing the object
// of an existing id). 0, -5, or -1 for a null object or one without world.
int zmReginsterToCameraTable(ZmObj* camera, int32_t id);
int zmDeleteCameraFromCameraTable(ZmWorld* world, int32_t id);
// Takes a deleted object out of its world's camera table under every id. When
// the active camera goes, the avatar's camera (id 2) becomes active, else the
// renderer's default camera (id 1).
void zmForgetCameraObj(ZmObj* object);
ZmObj* zmGetCameraFromCameraTable(ZmWorld* world, int32_t id);
// Makes id active when a camera is registered under it (0), else -1.
int zmSetActiveCameraID(ZmWorld* world, int32_t id);
// The active id when it lies in 0 to 3, else 0.
int32_t zmGetActiveCameraID(ZmWorld* world);
/*
 * zmGetActiveCamera --
 *   The camera object of the active id. An object that is no camera stands
 *   for a group: its child chosen by extension 4 (-3: the first child).
 * Results:
 *   The camera object, or null.
 */
ZmObj* zmGetActiveCamera(ZmWorld* world);

int zmGetCameraPosition(ZmObj* camera, ZmVec3* position);
int zmGetCameraLookAt(ZmObj* camera, ZmVec3* direction);
int zmGetCameraLookUp(ZmObj* camera, ZmVec3* direction);
int zmGetActiveCameraPosition(ZmWorld* world, ZmVec3* position);
int zmGetActiveCameraLookAt(ZmWorld* world, ZmVec3* direction);
int zmGetActiveCameraLookUp(ZmWorld* world, ZmVec3* direction);
/*
 * zmSetCameraLookAt --
 *   Turns the camera to look along `direction`, keeping its position, with
 *   (0, 1, 0) as up. Looking straight up or down, the up vector is taken
 *   along minus or plus z instead, so the frame stays a rotation.
 * Results:
 *   That of zmObjectRotateTrans.
 */
int zmSetCameraLookAt(ZmObj* camera, const ZmVec3* direction);
// Divides the vector by its length; a zero vector stays.
void zmNormalizeVec3(ZmVec3* vector);

int zmSetCameraViewport(ZmWorld* world, int x, int y, int width, int height);
int zmGetCameraViewport(ZmObj* camera, int* x, int* y, int* width, int* height);
int zmGetActiveCameraViewport(ZmWorld* world, int* x, int* y, int* width, int* height);
int zmGetCameraViewWindow(ZmObj* camera, float* width, float* height);
int zmGetActiveCameraViewWindow(ZmWorld* world, float* width, float* height);
int zmGetCameraNearClipping(ZmObj* camera, float* distance);
int zmGetActiveCameraNearClipping(ZmWorld* world, float* distance);
int zmGetCameraFarClipping(ZmObj* camera, float* distance);
int zmGetActiveCameraFarClipping(ZmWorld* world, float* distance);

#endif
