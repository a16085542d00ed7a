// vrml/lineset.h -- the leaves of an IndexedLineSet node.
//
// Owns: the conversion of one IndexedLineSet into one line-set leaf per
// polyline with at least one usable vertex (texture, UVs, material, normals
// and points), appended in polyline order to the node's object. The
// matching of polylines with the state's lists is the line table's
// (vrml/facetable.h); the object and the traversal belong to
// vrml/traverse.h, the leaf record to core/leaf.h.
#ifndef LUMENFOLD_VRML_LINESET_H
#define LUMENFOLD_VRML_LINESET_H

class QvNode;
class QvState;
struct ZmObj;

/*
 * createAndAddLineSetLeaves --
 *   Builds the line table for the node and appends a leaf per polyline.
 * Results:
 *   0; -1 for a null state or object (warned); or the negative code of the
 *   table step that failed (warned; then nothing is appended). A polyline
 *   without a usable vertex makes no leaf.
 */
int createAndAddLineSetLeaves(const QvNode* node, QvState* state, ZmObj* object);

#endif
