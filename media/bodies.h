// media/bodies.h -- articulated bodies in the scene: loading a body file
// into a tree of scene objects and moving that tree through its frames.
//
// Owns: the object tree of a body (one object per segment reached from the
// root, each with a bone object or a part taken from a VRML skin), the
// body's extensions on those objects (0: the ZmKinBody on the top object, 1:
// the segment on every segment object, not owned, 2: the ZmKinPosition on
// the top object), and postures: setting a frame, stepping to the next or
// previous one. It does not own the body records and file readers
// (media/bodyfile.h), nor the objects' transforms and deletion (core).
//
// A failed load leaves nothing behind: the file is closed and the top
// object (also one passed in), the skin object and the body are each freed
// exactly once. Failures caused by the file or by a caller's argument (a
// frame out of range) are warnings; running out of memory is an error.
#ifndef LUMENFOLD_MEDIA_BODIES_H
#define LUMENFOLD_MEDIA_BODIES_H

#include <cstdint>

#include "media/bodyfile.h"

struct ZmObj;
struct ZmWorld;

struct ZmKinPosition {
  int32_t frame;          // the frame last set; -1 until the first
  ZmKinMatrix placement;  // transpose of the root rotation the last frame gave
};

/*
 * zmKinNew --
 *   Loads a body. Without a skin it builds into *object, which the caller
 *   made; with a skin URL it makes the top object itself, takes each
 *   segment's part from the skin file and frees what no segment took.
 *   A call made while another body loads (the skin file naming its own
 *   body) is refused at once, freeing nothing, so that file is read as a
 *   plain world.
 * Results:
 *   0 with the top object in *object, or -1 (everything this call made or
 *   was given freed, *object included, and *object cleared).
 */
int zmKinNew(ZmWorld* world, const char* bodyUrl, const char* skinUrl, ZmObj** object);
// A new top object of the world holding the body, built in the viewer; 0,
// -1 when no object can be made, else the first failing step's result.
int zmKinNewTopObject(ZmWorld* world, const char* bodyUrl, const char* skinUrl, ZmObj** object);
// Builds the segment objects under `top` and hangs the body and a new
// position on it; on failure `top` keeps no body (the caller frees both).
int zmKinObjHierarchy(ZmWorld* world, ZmKinBody* body, ZmObj* skin, ZmObj* top);
// The object of one segment and, depth first, of those hanging from it.
// With a parent a new child object is made (and deleted on failure); the
// root uses *object as it is.
int zmKinObjectTreeRec(ZmWorld* world, ZmKinSegment* segment, ZmObj* skin, ZmObj* parent, ZmObj** object);
int MakeBone(ZmObj* object, ZmKinSegment* segment);
int MakeKinLeaf(ZmKinSegment* segment, ZmObj* bone);
int MakeSkin(ZmObj* object, ZmObj* skin);

/*
 * KinSetFrame --
 *   Turns the body's root and every segment to frame `frame`. Mode 0 keeps
 *   the root where it is, 1 moves it by the frame's root step, 2 back by
 *   it; steps follow any turn given to the top object since the last frame.
 * Results:
 *   0; -1 without a body; -4 (warned, nothing moved) for a frame outside
 *   0 .. frame count - 1.
 */
int KinSetFrame(ZmObj* top, int32_t frame, int mode);
int zmKinObjMoveRecursive(ZmObj* object, int32_t frame);
int zmKinSetFrame(ZmObj* top, int32_t frame);
// One frame on (after the last: the first) moving forward, or one back
// (before the first: the last) moving backward.
int zmKinNextPosture(ZmObj* top);
int zmKinPrevPosture(ZmObj* top);
int zmKinGetFrame(ZmObj* top, int32_t* frame);
int zmKinGetMaxFrame(ZmObj* top, int32_t* frameCount);
int zmKinGetBodyAndPos(ZmObj* top, ZmKinBody** body, ZmKinPosition** position);
// Frees the body and position the object carries (extensions 0 and 2) and
// removes those extensions. 0, or -1 for a null object.
int zmKinDeleteBodyAndPos(ZmObj* object);

#endif
