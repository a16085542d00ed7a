// vrml/traverse.h -- the conversion of a parsed node tree into scene objects.
//
// Owns: `traverse`, which dispatches each node by its type name through one
// table (kTraversals in traverse.cpp) to the conversion of its class; the
// grouping nodes' level discipline (Group, Separator, Switch, TransformSeparator)
// and the shared child loop; the shape, light and camera procedure (object,
// leaf chain, attachments, placement, special registration); the pushing of
// property nodes; the transform nodes' matrices; and the program-wide stop
// flag with which an articulated-body Info node stops the enclosing group.
// Node types without a row in the table (and unknown nodes) make no object
// and change nothing; their conversions are added as rows.
// It does not own the state (vrml/qvstate.h), the making of objects and
// their attachments (vrml/objcreate.h, vrml/attachments.h), the leaves of
// particular node classes (vrml/primitives.h, vrml/lightcam.h,
// vrml/faceset.h, vrml/lineset.h, vrml/asciitext.h, vrml/sound.h), the
// Switch and LOD records (vrml/switchlod.h), anchors and inline worlds
// (vrml/wwwnodes.h), the Info settings (vrml/worldinfo.h), nor the parse
// entry points (vrml/parse.h).
#ifndef LUMENFOLD_VRML_TRAVERSE_H
#define LUMENFOLD_VRML_TRAVERSE_H

#include <cstdint>

class QvGroup;
class QvNode;
class QvState;
struct ZmObj;

/*
 * traverse --
 *   Converts one node (and what lies below it) with the state.
 * Results:
 *   0 on success, with the new object in *object (the caller owns it) or
 *   null when the node makes none; non-zero on failure, with *object null
 *   and nothing left behind.
 */
int traverse(QvNode* node, QvState* state, ZmObj** object);

// Puts the object's world matrix and, as the local matrix, what the
// state's transform holds beyond the object's rigid local matrix (its
// scale) on top of the state's matrix stacks, so that what follows is
// placed under the object. Call it right after the object was made from
// the same state. False when memory runs out, after "<fn>: Couldn't
// allocate memory for QvElement of worldRT." (or of localRT); nothing is
// pushed then.
bool pushMatrixElements(QvState* state, const ZmObj* object, const char* fn);

/*
 * traverseStacking --
 *   The child loop of Separator-like groups: opens a level with the
 *   matrix elements of parent (pushMatrixElements), appends each child's
 *   object to parent, and closes the level.
 * Results:
 *   0; 1 when stopped by the stop flag; -1 when a matrix element cannot be
 *   made or a child cannot be appended (the children appended so far stay).
 */
int traverseStacking(const QvGroup* group, QvState* state, ZmObj* parent);

// -1 when the object has neither child nor leaf; else refreshes its
// bounding cube and gives 0.
int zmSetBoundingCube(ZmObj* object);

#endif
