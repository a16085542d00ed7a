// vrml/objcreate.h -- scene objects made from parsed nodes.
//
// Owns: the making of a node's ZmObj (createZmObj: matrices, type code,
// name, flags) and the discarding of one whose conversion failed, the
// materials and material binding given to shape leaves, and the small
// matrix builders of the transform, light and camera nodes.
// It does not own the traversal order (vrml/traverse.h), the attachments
// that consume the pending behaviour nodes (vrml/attachments.h), nor the
// textures of shape leaves (vrml/texture.h).
//
// These are the node operations that the builder gives every node class;
// they take the node as their first argument because the parsed node
// classes carry no conversion of their own.
#ifndef LUMENFOLD_VRML_OBJCREATE_H
#define LUMENFOLD_VRML_OBJCREATE_H

#include <cstdint>

#include "core/vecmath.h"
#include "vrml/attachments.h"  // the attachments every made object receives

class QvNode;
class QvState;
class QvSFRotation;
class QvSFVec2f;
class QvSFVec3f;
struct ZmLeaf;
struct ZmMaterial;
struct ZmObj;
struct ZmShape;

/*
 * createZmObj --
 *   A new object of the type name in the state's world: rigid world and
 *   local matrices from the tops of the matrix stacks (placeZmObj; what
 *   they hold beyond is the caller's to carry, vrml/placement.h), the
 *   node-type code, the node's DEF name, the valid world matrix mark, and
 *   the unit box of lights.
 * Results:
 *   The object, or null ("QvNode::createZmObj(): Couldn't allocate memory
 *   for ZmObj.").
 */
ZmObj* createZmObj(const QvNode* node, QvState* state, const char* typeName);
// createZmObj for the conversion named fn, which adds its own report of a
// failure: "<fn>: Couldn't allocate memory for ZmObj.".
ZmObj* createZmObjFor(const QvNode* node, QvState* state, const char* typeName, const char* fn);
// Deletes an object whose conversion failed, reporting "<fn>: zmDeleteZmObj()
// failed." when the deletion fails too. Always null, the result a failed
// setZmSpecialNode gives.
ZmObj* discardZmObj(ZmObj* object, const char* fn);

// The material of a shape leaf from the top Material element, or the
// default. An empty list in the node gives that attribute's default value.
void setZmMaterial(QvState* state, ZmMaterial* material);
// setZmMaterial into a shape leaf's own record (it may have shared one);
// when no record of its own can be had the leaf keeps its material and
// "QvNode::setZmMaterial(): Couldn't allocate memory for material." is
// reported.
void setZmLeafMaterial(QvState* state, ZmShape* shape);
// 0, or -5 when memory runs out (reported).
int setZmMaterialDefault(ZmMaterial* material);
// The leaf binding code of the top MaterialBinding element (unchanged when
// there is none): OVERALL 1 ... PER_VERTEX_INDEXED 7, DEFAULT and NONE 0.
void setZmMaterialBinding(QvState* state, int32_t* binding);

// Matrix builders. A rotation with a zero axis is the identity.
void setZmTranslationRT(const QvSFVec3f& translation, ZmRT* out);
void setZmRotationRT(const QvSFRotation& rotation, ZmRT* out);
void setZmScaleVector(const QvSFVec3f& scale, ZmVec3* out);
// The rotation that turns the local -z axis onto the direction.
void setZmDirectionRT(const QvSFVec3f& direction, ZmRT* out);
void setZmTranslationRT2(const QvSFVec2f& translation, ZmRT2* out);
void setZmRotationRT2(float angle, ZmRT2* out);
void setZmScaleRT2(const QvSFVec2f& scale, ZmRT2* out);

#endif
