// core/transform.h -- object transforms in three coordinate systems.
//
// Owns: setting an object's transform in its own, its parent's or the
// world's axes, absolutely or relative to the present one; the lazily kept
// world-transform cache of an object and its subtree; and telling the
// renderer which objects moved (core/hooks.h). It does not own the matrix
// maths (core/vecmath.h) nor the bounding cubes, whose marks it only clears.
//
// Invariant: while ZM_OBJ_WRT_VALID is set, worldRT is the local transform
// followed by the parent's world transform (the local one for a top object).
#ifndef LUMENFOLD_CORE_TRANSFORM_H
#define LUMENFOLD_CORE_TRANSFORM_H

#include "core/vecmath.h"

struct ZmObj;

// How a matrix M is applied (absolute / relative):
enum ZmCoordSystem {
  ZM_COORD_OWN = 0,     // local = M / M first, in the object's own axes
  ZM_COORD_WORLD = 1,   // world = M / world then M, in world axes
  ZM_COORD_PARENT = 2,  // local = M / local then M, in the parent's axes
};

/*
 * zmObjectRotateTrans --
 *   Sets the object's transform from M in the coordinate system given.
 * Results:
 *   0; -1 for an invalid system (error "zmObjectRotateTrans() : invalid
 *   coordinate system", nothing changed), a broken child list, or the
 *   renderer refusing the move (the matrices keep their new values).
 * Side effects:
 *   Bounding cubes of the object and its ancestors and the world caches of
 *   its descendants become stale; the object is queued for the renderer,
 *   except when a world-system move leaves the world transform unchanged.
 */
int zmObjectRotateTrans(ZmObj* obj, const ZmRT* M, int coordSystem, int relative);
// A turn R (3x3) or a shift t, keeping the other part of the transform in
// absolute mode; then zmObjectRotateTrans.
int zmObjectRotate(ZmObj* obj, const float R[9], int coordSystem, int relative);
int zmObjectTrans(ZmObj* obj, const ZmVec3* t, int coordSystem, int relative);

// The object's world transform, recomputed first when stale. The pointer
// lives as long as the object; the next move overwrites what it shows.
ZmRT* zmGetWRT(ZmObj* obj);
ZmRT* zmGetLRT(ZmObj* obj);

// Makes the world transforms of the object and its subtree valid; 0, or -3
// with "zmValidateChildWRT: child list contains NULL entry.".
int zmValidateChildWRT(ZmObj* obj);
// Marks every descendant's world transform stale (not the object's); 0 or -3.
int zmInvalidateChildWRT(ZmObj* obj);

#endif
