// core/collision.h -- collision between scene objects.
//
// Owns: box-against-box tests in world space, the pair test refined against
// a face-set object's faces, the walks that look for a colliding pair
// between two object trees or between one object and the rest of its
// world, the delivery of "COLLISION" events to the objects that asked for
// them, and the distance between two objects. Nothing here runs by itself:
// scripts and the sound scheduler call it.
// It does not own the handlers that receive the events (scripting, reached
// through core/hooks.h), nor the boxes (core/bounds.h).
//
// Roles: every walk tests a "me" object or tree against a "you" object or
// tree. Objects take part in the geometry tests with ZM_OBJ_COLLISION and
// in the events with ZM_OBJ_SOLID (both must be solid to collide). An event
// goes to a side only when its notify flag is 1. `collided` is 0 at the
// start of every walk and 1 once a pair of solid objects has met.
//
// Results of the walks: 0, or the non-zero result of a failed delivery
// (which ends the walk at once), or -1 for a misplaced argument.
#ifndef LUMENFOLD_CORE_COLLISION_H
#define LUMENFOLD_CORE_COLLISION_H

#include <cstdint>

#include "core/vecmath.h"

struct ZmObj;

// ---- Boxes ----------------------------------------------------------------

// 1 when a corner of box A, taken into B's frame by M, lies inside box B or
// an edge of A crosses B; else 0.
int zmBoxPenetratesBox(const ZmRT* M, const ZmVec3* aMin, const ZmVec3* aMax, const ZmVec3* bMin,
                       const ZmVec3* bMax);
// 1 when two oriented boxes, each in the frame of its matrix, meet.
int zmIntersectBoxes(const ZmRT* mA, const ZmVec3* aMin, const ZmVec3* aMax, const ZmRT* mB, const ZmVec3* bMin,
                     const ZmVec3* bMax);
// A box against the object's own box placed by its world matrix; 0 when the
// object has no box.
int zmIntersectBoxAndObj(const ZmRT* M, const ZmVec3* min, const ZmVec3* max, ZmObj* obj);
// The two objects' own boxes in world space; 0 when either has none.
int zmIntersectObjBoxes(ZmObj* a, ZmObj* b);
// The box test, refined by you's faces when you is a face set: then me's
// box collides only when one of its edges crosses a face.
int zmIntersectObjAndObj(ZmObj* me, ZmObj* you);
// 1 when the parent-frame boxes overlap (touching within 1e-5 counts);
// 0 otherwise or when either has no box.
int zmOverlapTopObjBoxes(ZmObj* a, ZmObj* b);

// ---- Events ---------------------------------------------------------------

// Delivers a "COLLISION" event naming `other` to `target` (or up to its
// ancestors); the delivery's result.
int zmSendCollisionEvent(ZmObj* target, ZmObj* other);
// The pair itself: when both are solid, collided = 1 and the events go out
// (me first). Geometry is not looked at: callers have tested it.
int zmEvalCollisionObjs(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided);

// ---- Walks ----------------------------------------------------------------

// me against the tree under you: a you with the collision bit is passed
// over, subtree and all, when me misses it; leaves of the tree are paired
// with me.
int zmEvalCollisionObjAndTree(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided);
// The same from scratch; 0 when you is me or me lacks the collision bit.
int zmEvalCollisionObjAndObj(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided);
// me against a top object; -1 with "sub object is specified as top_obj"
// when `top` has a parent.
int zmEvalCollisionObjAndTopObj(ZmObj* me, ZmObj* top, int32_t notifyMe, int32_t notifyYou, int32_t* collided);
// me (when it has the collision bit), then one level of me's children,
// against the tree under you.
int zmEvalCollisionTreeAndObj(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided);
// Two top objects; -1 for a sub-object argument ("sub object is specified
// as me" / "... as you") and -1 when their boxes do not overlap.
int zmEvalCollisionTopObjs(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided);
// A sub-object against every top object of its world but its own.
int zmEvalCollisionSubObjAndWorld(ZmObj* me, int32_t notifyMe, int32_t notifyYou, int32_t* collided);
// An object against every other top object of its world (a sub-object goes
// to zmEvalCollisionSubObjAndWorld).
int zmEvalCollisionTopObjAndWorld(ZmObj* me, int32_t notifyMe, int32_t notifyYou, int32_t* collided);

// ---- Distance -------------------------------------------------------------

// Distance between the world-space centres of the two own boxes; an object
// without a box stands at its own origin.
double zmCalcObjDistance(ZmObj* a, ZmObj* b);

#endif
