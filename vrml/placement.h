// vrml/placement.h -- where the objects of a converted file go, scale included.
//
// Owns: the split of the builder's general affine transforms into the rigid
// matrices that scene objects keep and a leftover (scale, mirror, shear),
// and the carrying of that leftover into an object: a pure per-axis leftover
// becomes a shape object's own scale; any other reaches the vertices of its
// face, line and point leaves; a grouping object passes it on to the
// placement of its children.
// It does not own the state's stacks (vrml/qvstate.h) nor the order of the
// traversal (vrml/traverse.h).
//
// The state's local matrix (the top of QV_LOCAL_RT) is the whole affine
// transform from the current frame into the rigid frame of the object that
// the next objects will hang under; the world matrix (top of QV_WORLD_RT) is
// that object's rigid world transform.
#ifndef LUMENFOLD_VRML_PLACEMENT_H
#define LUMENFOLD_VRML_PLACEMENT_H

#include "core/vecmath.h"

class QvState;
struct ZmObj;

/*
 * splitRigid --
 *   Writes affine = leftover then rigid: rigid keeps the translation and a
 *   proper rotation (a mirror moves into the leftover, on the axis the
 *   rotation would otherwise turn most), leftover the rest. A degenerate
 *   matrix (a zero scale) still gives a rotation.
 */
void splitRigid(const ZmRT& affine, ZmRT* rigid, float leftover[9]);

// The object's local matrix := the rigid part of the node's placement (null:
// none) followed by the state's local matrix; its world matrix := the
// state's world matrix after that.
void placeZmObj(const QvState* state, ZmObj* object, const ZmRT* placement);

// What the state's transform (after the placement, null: none) holds beyond
// the rigid local matrix that placeZmObj gave the object.
void leftoverOf(const QvState* state, const ZmObj* object, const ZmRT* placement, float leftover[9]);

/*
 * carryLeftover --
 *   Applies leftover to what the object holds, in the object's own frame
 *   (before its local matrix): its leaves (times their scale) become a new
 *   scale when the product is a per-axis scale; otherwise face, line and
 *   point vertices take the product (and, for an object without children,
 *   its rotation, so that its box fits; its matrices keep the translation
 *   only) and the scale returns to 1 (a Cube object then becomes an
 *   IndexedFaceSet object), while
 *   cones, cylinders, spheres and text keep an approximation: the scale
 *   becomes the lengths of the product's rows (shear is lost). Each child
 *   gets its local matrix split anew and the rest carried into it. Boxes
 *   and world matrices below the object are marked out of date.
 */
void carryLeftover(ZmObj* object, const float leftover[9]);

#endif
