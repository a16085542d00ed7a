// core/bounds.h -- validity of the bounding cubes that scene objects carry.
//
// Owns: the marks that say whether an object's own-frame and parent-frame
// boxes (ZmObj::boundingCube) are up to date, and their invalidation up the
// ancestor chain when an object moves or its geometry changes. It does not
// own the computation of the boxes.
#ifndef LUMENFOLD_CORE_BOUNDS_H
#define LUMENFOLD_CORE_BOUNDS_H

struct ZmObj;

// After the object's local transform changed: its parent-frame box and the
// boxes of its ancestors become stale.
void zmInvalidateBoundingCube(ZmObj* obj);
// After the geometry inside the object changed: its own box too. Stops at
// the first object whose own box is already stale.
void zmInvalidateBoundingCubeUp(ZmObj* obj);
void zmResetBoundingCube(ZmObj* obj);  // the same as zmInvalidateBoundingCubeUp

#endif
