// vrml/switchlod.h -- Switch and LOD objects, and the LOD record.
//
// Owns: what makes a Switch or LOD object more than a Separator: the Switch
// child number kept as the object's extension 4 (and the Switch entered as
// a camera when it holds cameras directly), the LOD object's ranges and
// centre kept as a ZmLOD record in extension 8 and the object entered in
// the world's LOD list; and the ZmLOD record's small copy-and-set interface.
// Every child is converted whatever the child number or ranges say: the
// viewer chooses what to show.
// It does not own the shared child loop (vrml/traverse.h) nor the choice of
// the child shown (the viewer).
#ifndef LUMENFOLD_VRML_SWITCHLOD_H
#define LUMENFOLD_VRML_SWITCHLOD_H

#include "core/fields.h"
#include "core/object.h"

class QvNode;
class QvState;
struct ZmLeaf;

// The Switch object finished: the camera entry (id 3) when a direct child
// is a camera, then the child number. The object, or null after deleting it.
ZmObj* setZmSwitchSpecialNode(const QvNode* node, QvState* state, ZmObj* object, ZmLeaf* leaf);

/*
 * traverseLOD --
 *   A LOD node's object: no attachments (pending ones pass through to the
 *   first object inside or after it), the children, the LOD record, and the
 *   entry in the world's LOD list.
 * Results:
 *   0 with the object in *object, or -1 with nothing left behind.
 */
int traverseLOD(QvNode* node, QvState* state, ZmObj** object);

// ---- The LOD record ---------------------------------------------------------
// Results: 0; -1 for a null argument ("<name>: Invalid argument."); -5 when
// memory runs out.

// No range, centre (1, 1, 1); null when memory runs out (reported).
ZmLOD* zmNewLODNode();
// Frees the record and its ranges, and nulls the pointer; null is accepted.
void zmDeleteLODNode(ZmLOD** lod);
int zmCpyRangeInZmLOD(ZmLOD* destination, const ZmLOD* source);
int zmCpyCenterInZmLOD(ZmLOD* destination, const ZmLOD* source);
int zmCpyLODNode(ZmLOD* destination, const ZmLOD* source);
// Keeps the range array itself (the record then owns it) and the centre.
int zmSetLODNode(ZmLOD* lod, ZmMFFloat range, const float center[3]);
// *copy := a deep copy of the object's LOD record (free it with
// zmDeleteLODNode); -1 with a warning when the object has none.
int zmGetLODNode(ZmObj* object, ZmLOD** copy);
// A deep copy of lod replaces the object's LOD record. The object is not
// entered in the world's LOD list.
int zmAddLODNode(ZmObj* object, const ZmLOD* lod);

#endif
