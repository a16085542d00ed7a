// viewer/person.h -- the user's avatar (the person) and the camera it
// carries.
//
// Owns: reading the avatar file "person.wrl" of the data folder (core/dirs.h) into
// a world as its person, giving a person without a camera one, registering
// the person's camera as camera 2 and making it active, the home view of a
// world (its own camera, or a point in front of its bounding cube from
// which the whole world is in view), placing the person so that its camera
// stands at a given matrix, the light that a world without lights gets from
// the avatar, and the avatar's head light. It does not own navigation
// (which moves the person afterwards), the camera table (core/camera.h) nor
// the camera attributes it copies (viewer/attributes.h).
//
// Light n of a subtree is its n-th light object in depth-first order, an
// object before its children: light 0 of the person lights worlds without
// lights, light 1 is the head light.
#ifndef LUMENFOLD_VIEWER_PERSON_H
#define LUMENFOLD_VIEWER_PERSON_H

#include <cstdint>

struct ZmObj;
struct ZmRT;
struct ZmVec3;
struct ZmWorld;

/*
 * zmAddPersonToWorld --
 *   Reads the avatar file into the world as a new top object, which becomes
 *   the world's person, builds its lights and cameras (never its shapes),
 *   and registers its camera as camera 2, the active one.
 * Results:
 *   0; -1 after a report when the data folder is unknown, the file
 *   cannot be read or parsed, or no camera can be had. A top object already
 *   added stays when a later step fails.
 */
int zmAddPersonToWorld(ZmWorld* world);
// Tests read the avatar from `path` instead (null: the program's again).
void zmSetPersonFileForTest(const char* path);
// Gives the person a perspective camera at the top of its bounding cube,
// looking along the person's +z, registered as camera 2 and active; 0 / -1.
int zmAddCameraToPerson(ZmObj* person);
/*
 * zmAdjustPersonToActiveCamera --
 *   Switches the person's light 0 on when the world brings no light of its
 *   own (off otherwise), sets the world's home view (worldRT) and places the
 *   person there. A world with a camera of its own gives its camera's
 *   matrix, and its height or height angle to the person's camera when both
 *   are of one kind; otherwise the active camera looks along -z from
 *   (0, its y, d), d chosen so the bounding cube fits its view window.
 *   Navigation of the current world is initialised first when the world
 *   has no navigation state, so that the home view's pitch is kept.
 * Results:
 *   0; -1 without person or world, or after a warning when the active
 *   camera or its view window cannot be had.
 */
int zmAdjustPersonToActiveCamera(ZmObj* person);
// Puts camera 2 back at a saved world matrix; 0, or -1 (warned) without a
// person.
int zmRestorePersonCamera(ZmWorld* world, const ZmRT* saved);

// -1 without person or head light, else that of zmRenderSetLightState.
int zmSetPersonHeadLight(ZmObj* person, int on);
// The head light's on word; 0 when there is none.
int32_t zmGetPersonHeadLight(ZmObj* person);

// Light object n of the subtree, depth first; null when it has fewer.
ZmObj* zmGetNthLightNode(ZmObj* object, int32_t n);
// The first OrthographicCamera, PerspectiveCamera or Switch object of the
// subtree, the object itself first; null when none.
ZmObj* zmFindCameraNode(ZmObj* object);

/*
 * zmPlacePersonAtCamera --
 *   Moves the person so that its camera (camera 2 of its world) gets the
 *   world matrix M: the person keeps its offset to the camera, turns to
 *   face M's view direction and stays upright; the camera takes M whole,
 *   tilt included, and the navigation state of the person's world (when it
 *   has one) keeps that tilt as its pitch.
 * Results:
 *   0; -1 without person or camera.
 */
int zmPlacePersonAtCamera(ZmObj* person, const ZmRT* M);

#endif
