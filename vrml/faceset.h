// vrml/faceset.h -- the leaves of an IndexedFaceSet node.
//
// Owns: the conversion of one IndexedFaceSet into one face-set leaf per
// face with at least three usable vertices (texture, UVs, material,
// normals, convex flag and points), appended in face order to the node's
// object. The matching of faces with the state's lists is the face table's
// (vrml/facetable.h); the object and the traversal belong to
// vrml/traverse.h, the leaf record to core/leaf.h.
#ifndef LUMENFOLD_VRML_FACESET_H
#define LUMENFOLD_VRML_FACESET_H

class QvNode;
class QvState;
struct ZmObj;

/*
 * createAndAddFaceSetLeaves --
 *   Builds the face table for the node and appends a leaf per face.
 * Results:
 *   0, or the negative code of the table step that failed (warned; then
 *   nothing is appended). A face of fewer than three usable vertices makes
 *   no leaf; the table has warned about it.
 */
int createAndAddFaceSetLeaves(const QvNode* node, QvState* state, ZmObj* object);

#endif
