// viewer/builders.h -- engine clumps, lights and cameras for the leaves of a
// scene object.
//
// Owns: one builder per leaf kind, each making the engine counterparts of an
// object's leaves, linking clump and leaf both ways (leaf engine handle,
// clump tag, clump data word) and putting them into the world's engine
// scene. It does not own the world's scene (world construction) nor the
// textures of the leaves, nor the viewer's start (viewer/install.h).
// Each builder takes the object and returns 0, or -1 after its report.
#ifndef LUMENFOLD_VIEWER_BUILDERS_H
#define LUMENFOLD_VIEWER_BUILDERS_H

#include <cstdint>

struct RwCamera;
struct RwClump;
struct RwLight;
struct ZmLeaf;
struct ZmObj;

int zmRwSetAsciiText(ZmObj* object);  // fails with a warning when a glyph file is missing
int zmRwSetCone(ZmObj* object);
int zmRwSetCylinder(ZmObj* object);
int zmRwSetFace(ZmObj* object);
int zmRwSetPointSet(ZmObj* object);
int zmRwSetSphere(ZmObj* object);
int zmRwSetLine(ZmObj* object);
// The prism of segment i of a line leaf, tagged i, with the owner as data;
// null after its report.
RwClump* zmRwSetLineSegment(ZmLeaf* leaf, int32_t i);

int zmRwSetPointLight(ZmObj* object);
int zmRwSetSpotLight(ZmObj* object);
int zmRwSetDirectionalLight(ZmObj* object);
int zmRwSetOrthographicCamera(ZmObj* object);
int zmRwSetPerspectiveCamera(ZmObj* object);
int zmRwSetLight(RwLight* light, ZmLeaf* leaf);
int zmRwSetCamera(RwCamera* camera, ZmLeaf* leaf);

#endif
