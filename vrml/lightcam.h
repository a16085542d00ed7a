// vrml/lightcam.h -- the leaves and placement of light and camera nodes.
//
// Owns: the light and camera leaves made from DirectionalLight, PointLight,
// SpotLight, OrthographicCamera and PerspectiveCamera nodes, the placement
// of each node (location, direction, position, orientation) as a matrix,
// and the entry of camera objects in the world's camera table under id 3.
// It does not own the leaf records (core/leaf.h), the camera table
// (core/camera.h), nor the traversal that calls these (vrml/traverse.h).
#ifndef LUMENFOLD_VRML_LIGHTCAM_H
#define LUMENFOLD_VRML_LIGHTCAM_H

#include "core/vecmath.h"

class QvNode;
class QvState;
struct ZmLeaf;
struct ZmObj;

// The node's leaf, or null (reported).
ZmLeaf* createZmDirectionalLightLeaf(const QvNode* node, QvState* state);
ZmLeaf* createZmPointLightLeaf(const QvNode* node, QvState* state);
ZmLeaf* createZmSpotLightLeaf(const QvNode* node, QvState* state);
ZmLeaf* createZmOrthographicCameraLeaf(const QvNode* node, QvState* state);
ZmLeaf* createZmPerspectiveCameraLeaf(const QvNode* node, QvState* state);

// M := M after the node's placement (applied to a point first).
void setZmDirectionalLightLocalRT(const QvNode* node, ZmRT* m);
void setZmPointLightLocalRT(const QvNode* node, ZmRT* m);
void setZmSpotLightLocalRT(const QvNode* node, ZmRT* m);
void setZmCameraLocalRT(const QvNode* node, ZmRT* m);

// Registers the camera object under id 3; the object, or null after it was
// deleted because the registration failed.
ZmObj* setZmCameraSpecialNode(const QvNode* node, QvState* state, ZmObj* object, ZmLeaf* leaf);

#endif
