// vrml/primitives.h -- the leaves of the primitive shape nodes.
//
// Owns: the leaf chains of Cube, Cone, Cylinder and Sphere nodes (sizes from
// the node's fields, the parts of cones and cylinders, every leaf's texture
// and material from the traversal state, the cube faces' default texture
// coordinates and material binding), and the point-set leaf of a PointSet
// (its run of the state's coordinates and the state's material).
// It does not own the geometry records (core/leaf.h) nor the object the
// chain is hung on (vrml/traverse.h).
#ifndef LUMENFOLD_VRML_PRIMITIVES_H
#define LUMENFOLD_VRML_PRIMITIVES_H

#include <cstdint>

class QvNode;
class QvState;
struct ZmLeaf;
struct ZmMFVec2f;

// The first leaf of a new chain for the node, or null (reported).
ZmLeaf* createZmCubeLeaf(const QvNode* node, QvState* state);
ZmLeaf* createZmConeLeaf(const QvNode* node, QvState* state);
ZmLeaf* createZmCylinderLeaf(const QvNode* node, QvState* state);
ZmLeaf* createZmSphereLeaf(const QvNode* node, QvState* state);
// The points from startIndex on, numPoints of them (-1: to the end of the
// coordinates), clipped to the coordinates; one material per point when the
// binding is per part, face or vertex (indexed or not), else one for all.
// With no point left the leaf is empty, after the warning
// "QvPointSet::createZmLeaf(): no points in the coordinates.".
ZmLeaf* createZmPointSetLeaf(const QvNode* node, QvState* state);

// The node's parts as a leaf-builder mask (ZM_PARTS_*).
int getConeLeafParts(int32_t parts);
int getCylinderLeafParts(int32_t parts);

// The default single (0, 0) becomes the four corners (0,0) (1,0) (1,1)
// (0,1) of a cube face; other lists stay. 0, or -5 (the list emptied).
int setDefaultTextureUVForCube(ZmMFVec2f* uv);

#endif
