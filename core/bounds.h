// core/bounds.h -- the bounding cubes that scene objects carry.
//
// Owns: computing an object's axis-aligned box lazily from its leaves (per
// leaf kind) or from its children, in its own frame and in its parent's
// frame (ZmObj::boundingCube), the marks that say which of the two is up to
// date, their invalidation up the ancestor chain when an object moves or
// its geometry changes, and the bounding sphere derived from the own box.
// It does not own the leaves or the transforms it reads.
//
// Marks in ZmObj::obj_flags: ZM_OBJ_LOCAL_CUBE_VALID (own box computed),
// ZM_OBJ_PARENT_CUBE_VALID (parent-frame box computed from the current
// local transform), ZM_OBJ_HAS_CUBE (the last computation gave a box).
#ifndef LUMENFOLD_CORE_BOUNDS_H
#define LUMENFOLD_CORE_BOUNDS_H

#include "core/object.h"

/*
 * zmGetBoundingCube --
 *   The object's box, brought up to date first: the own box from the
 *   children when it has any (its leaves are then ignored), else from its
 *   leaves; then the parent-frame box that encloses the eight transformed
 *   corners.
 * Results:
 *   A pointer into the object, or null when the object has no box.
 * Side effects:
 *   Updates the marks; warnings or errors for leaves that give no box.
 */
ZmBoundingCube* zmGetBoundingCube(ZmObj* obj);
ZmBoundingCube* zmGetObjBoundingCube(ZmObj* obj);   // null for a null object
ZmBoundingCube* zmRefreshBoundingCube(ZmObj* obj);  // zmGetBoundingCube under the builder's name

// Centre of the own box (own frame) and the distance from it to the
// maximum corner. 1, or 0 with the outputs untouched when there is no box.
int zmGetBoundingSphere(ZmObj* obj, ZmVec3* centre, float* radius);

// After the object's local transform changed: its parent-frame box and the
// boxes of its ancestors become stale.
void zmInvalidateBoundingCube(ZmObj* obj);
// After the geometry inside the object changed: its own box too. Stops at
// the first object whose own box is already stale.
void zmInvalidateBoundingCubeUp(ZmObj* obj);
void zmResetBoundingCube(ZmObj* obj);  // the same as zmInvalidateBoundingCubeUp

// The own box from the kind of the object's first leaf, scaled by the
// object's scale; sets or clears ZM_OBJ_HAS_CUBE. 1 with a box, else 0.
int _zmSetLeafBoundingCube(ZmObj* obj);
// The own box as the union of the children's parent-frame boxes (children
// without a box are skipped; the object's own scale is not applied).
void zmSetChildBoundingCube(ZmObj* obj);

// Per leaf kind: fill cube->local_min and local_max (unscaled) from the
// chain that starts at `first`. 1 on success, 0 with a report otherwise.
int zmSetAsciiTextBoundingCube(ZmLeaf* first, ZmBoundingCube* cube);
int zmSetConeBoundingCube(ZmLeaf* first, ZmBoundingCube* cube);
int zmSetCylinderBoundingCube(ZmLeaf* first, ZmBoundingCube* cube);
int zmSetFaceBoundingCube(ZmLeaf* first, ZmBoundingCube* cube);
int zmSetLineBoundingCube(ZmLeaf* first, ZmBoundingCube* cube);
int zmSetPointSetBoundingCube(ZmLeaf* first, ZmBoundingCube* cube);
int zmSetSphereBoundingCube(ZmLeaf* first, ZmBoundingCube* cube);

#endif
