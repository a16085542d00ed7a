// viewer/attributes.h -- objects, lights and cameras read and changed by
// attribute number, as the script commands and the avatar code do.
//
// Owns: the three id sets and the mapping of each id to the object's, its
// first leaf's or its world's field; for a change of a light or camera, the
// order "engine first, then the scene, and the scene only when the engine
// took it". It does not own the fields themselves (the scene core), the
// engine lights and cameras (the leaf builders) nor the backdrop raster
// (the world's rendering record, viewer/frame.h).
//
// Values travel as the address of their storage, by id: an int32_t, a
// float, three floats, a text (const char*: the set copies it; a read gives
// the object's own string through a `const char**`, which the caller does
// not free and copies before the next call), or for the background texture
// the URL-table entry itself (`ZmUrlHash*`, null for none; a set hands it to
// the world, which releases the entry it replaces).
#ifndef LUMENFOLD_VIEWER_ATTRIBUTES_H
#define LUMENFOLD_VIEWER_ATTRIBUTES_H

#include <cstdint>

struct ZmObj;

// Any object: texts, flags, visibility and solidity.
enum ZmObjAttribute : int32_t {
  zmObjAttrNodeType = 3,      // text: the node name of the type code
  zmObjAttrName = 4,          // text: comment slot 1
  zmObjAttrComment = 5,       // text: comment slot 2
  zmObjAttrLabel = 6,         // text: comment slot 3, which the object label shows
  zmObjAttrNone = 7,          // nothing, and succeeds
  zmObjAttrCubeValid = 8,     // int: flag 0x8000
  zmObjAttrCubeComputed = 9,  // int: flag 0x4000
  zmObjAttrCubeMarked = 10,   // int: flag 0x2000
  zmObjAttrWrtValid = 11,     // int: flag 0x1000
  zmObjAttrVisible = 12,      // int: read the flag, write the subtree's state
  zmObjAttrGrasp = 13,        // int: flag 0x400
  zmObjAttrSolid = 14,        // int: read the flag, write the subtree's mode
  zmObjAttrCollision = 15,    // int: flag 0x100
  zmObjAttrMobile = 16,       // int: flag 0x80
};

// An object whose first leaf is a light.
enum ZmLightAttribute : int32_t {
  zmLightAttrOn = 0,           // int, 1 on
  zmLightAttrIntensity = 1,    // float
  zmLightAttrColor = 2,        // three floats
  zmLightAttrLocation = 3,     // not supported
  zmLightAttrDirection = 4,    // not supported
  zmLightAttrDropOffRate = 5,  // float, spot lights; stored only
  zmLightAttrCutOffAngle = 6,  // float, radians, spot lights
};

// An object whose first leaf is a camera.
enum ZmCameraAttribute : int32_t {
  zmCameraAttrPosition = 0,           // three floats, world coordinates
  zmCameraAttrLookAt = 1,             // three floats, a world direction
  zmCameraAttrFocalDistance = 2,      // float, read only
  zmCameraAttrHeight = 3,             // float, orthographic cameras
  zmCameraAttrHeightAngle = 4,        // float, radians, perspective cameras
  zmCameraAttrBackgroundColor = 5,    // three floats, the world's
  zmCameraAttrBackgroundTexture = 6,  // ZmUrlHash*, the world's; write only
};

// 0; -1, without a message, for a null object or an id outside 3..16.
int zmGetObjAttribute(ZmObj* object, int32_t id, void* value);
// As the read; also -1 after an error when a text cannot be copied (the
// slot is then empty). A null text empties the slot.
int zmSetObjAttrbute(ZmObj* object, int32_t id, const void* value);

// 0, or -1 after a warning naming what is wrong.
int zmGetLightAttribute(ZmObj* object, int32_t id, void* value);
// The engine first (zmRenderSetLightAttribute), then the leaf; 0 / -1.
int zmSetLightAttribute(ZmObj* object, int32_t id, const void* value);
// The engine light only; 0, or -1 (warned, except for the ids no light
// kind carries: location and direction).
int zmRenderSetLightAttribute(ZmObj* object, int32_t id, const void* value);

// 0, or -1 after a warning naming what is wrong.
int zmGetCameraAttribute(ZmObj* object, int32_t id, void* value);
// The engine first (zmRenderSetCameraAttribute), then the leaf or world;
// position and look-at move the camera object; 0 / -1.
int zmSetCameraAttribute(ZmObj* object, int32_t id, const void* value);
/*
 * zmRenderSetCameraAttribute --
 *   The engine camera only: its view window from a height or height angle,
 *   its background colour, and the world's backdrop read from an image.
 * Results:
 *   0, or -1 after a warning; the wrong camera kind for a height or height
 *   angle and a refused view window are errors. A background texture that
 *   cannot be read leaves the camera without a backdrop.
 */
int zmRenderSetCameraAttribute(ZmObj* object, int32_t id, const void* value);

#endif
