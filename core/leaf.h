// core/leaf.h -- leaves: the typed contents hung under a scene object.
//
// Owns: the leaf kinds with their record layouts and defaults, the
// constructors (with the builders that make a cube, cone or cylinder of
// several leaves), appending a chain to an object, the destructor, the kind
// predicates and the searches for a leaf by kind or number in a subtree.
// A leaf owns its texture coordinates and geometry arrays, and a share of
// its material record and texture image part (core/material.h,
// core/texture.h). It does not own the engine counterparts (the renderer
// keeps them in `rendering`), the texture image entries (the URL table),
// nor the sound and movie state (media), which it hands back through
// core/hooks.h.
#ifndef LUMENFOLD_CORE_LEAF_H
#define LUMENFOLD_CORE_LEAF_H

#include <cstddef>
#include <cstdint>

#include "core/fields.h"
#include "core/material.h"
#include "core/texture.h"
#include "core/vecmath.h"

struct ZmObj;

// Leaf kinds. 12, 13, 17, 18 and 21 are not used.
enum {
  ZM_LEAF_ASCII_TEXT = 1,
  ZM_LEAF_CONE_SIDE = 2,
  ZM_LEAF_CONE_BOTTOM = 3,
  ZM_LEAF_CYLINDER_SIDE = 4,
  ZM_LEAF_CYLINDER_BOTTOM = 5,
  ZM_LEAF_CYLINDER_TOP = 6,
  ZM_LEAF_DISC = 7,
  ZM_LEAF_FACE = 8,
  ZM_LEAF_LINE = 9,
  ZM_LEAF_POINT_SET = 10,
  ZM_LEAF_SPHERE = 11,
  ZM_LEAF_POINT_LIGHT = 14,
  ZM_LEAF_SPOT_LIGHT = 15,
  ZM_LEAF_DIRECTIONAL_LIGHT = 16,
  ZM_LEAF_ORTHOGRAPHIC_CAMERA = 19,
  ZM_LEAF_PERSPECTIVE_CAMERA = 20,
  ZM_LEAF_SOUND = 22,
};

// Which surfaces the cone and cylinder builders make (or-ed together).
enum {
  ZM_PARTS_ALL = 1,
  ZM_PARTS_SIDES = 2,
  ZM_PARTS_TOP = 4,
  ZM_PARTS_BOTTOM = 8,
};

// Leaf flags of shapes.
enum : uint32_t {
  ZM_LEAF_GOURAUD = 0x40,
  ZM_LEAF_BACKFACE = 0x80,
};

// The default cone cut-off and camera height angle: the float nearest
// 0.785398, slightly below pi/4.
constexpr float ZM_DEFAULT_ANGLE = 0.785398f;

// The header every leaf starts with.
struct ZmLeaf {
  int32_t kind;
  ZmObj* owner;      // set when added to an object
  ZmLeaf* next;      // next leaf of the owner's chain
  void* rendering;   // the engine clump, polygon, light or camera
};

// Shapes (kinds 1 to 11) and the sound leaf.
// The texture's image part and the material record may be shared with
// other leaves (the faces of one face set): both are read-only through the
// leaf, which writes only into parts it has made its own
// (zmOwnTextureImage, zmOwnLeafMaterial).
struct ZmShape : ZmLeaf {
  uint32_t leafFlags;  // ZM_LEAF_GOURAUD, ZM_LEAF_BACKFACE
  ZmTexture texture;
  const ZmMaterial* material;  // never null; zmNoMaterial until set
};

struct ZmAsciiText : ZmShape {
  float textSize;        // 10.0
  int32_t textWord1;     // 0
  int32_t textWord2;     // 1
  int32_t justification; // 0 left, 1 center, 2 right
  char* string;          // owned; lines separated by '\n'
  float spacing;         // 1.0: the distance from one line to the next
  float width;
};

struct ZmConeSide : ZmShape {
  float bottom_radius;
  float height;
};

// Cone bottom, cylinder caps, discs.
struct ZmCircle : ZmShape {
  float radius;
  float height;  // of the cone or cylinder that the disc closes
};

struct ZmCylinderSide : ZmShape {
  float top_radius;
  float bottom_radius;
  float height;
};

// Material and normal bindings: 1 one entry, 5 per face, 7 per vertex.
struct ZmFace : ZmShape {
  int32_t materialBinding;
  ZmMFVec3f normal;
  int32_t normalBinding;
  int32_t orthogonal_normal_valid;
  ZmVec3 orthogonalNormal;
  int32_t face_type;  // 1 convex
  ZmMFVec3f vertex;
};

struct ZmLine : ZmShape {
  int32_t materialBinding;
  ZmMFVec3f normal;
  int32_t normalBinding;
  ZmMFVec3f vertex;
};

struct ZmPointSet : ZmShape {
  int32_t materialBinding;
  ZmMFVec3f normal;
  int32_t normalBinding;
  ZmMFVec3f vertex;
};

struct ZmSphere : ZmShape {
  float radius;
};

// Kind 22, made by media through zmNewShape(22); media owns its meaning.
struct ZmSoundLeaf : ZmShape {
  ZmLeaf* nextCandidate;   // links of the scheduler's lists
  ZmLeaf* nextSelected;
  ZmLeaf* nextPlaying;
  int32_t channelType;     // 0 none, 1 wave, 2 MIDI, 3 sound set
  ZmUrlHash* file;         // the sound file's URL entry
  int32_t autoPlay;
  int32_t loop;
  int32_t state;           // 0 stopped, 1 audible, 2 outside, 3 paused
  int32_t unattenuated;
  uint32_t startTick;
  int32_t device;
  int32_t volume;
  int32_t effectiveVolume;
  int32_t appliedVolume;
  int32_t note;
  int32_t velocity;
  float range;
};

struct ZmLight : ZmLeaf {
  int32_t on;
  float intensity;
  float color[3];
};
typedef ZmLight ZmPointLight;
typedef ZmLight ZmDirectionalLight;

struct ZmSpotLight : ZmLight {
  float dropOffRate;
  float cutOffAngle;  // radians
};

struct ZmCamera : ZmLeaf {
  float focalDistance;
};

struct ZmOrthographicCamera : ZmCamera {
  float height;
};

struct ZmPerspectiveCamera : ZmCamera {
  float heightAngle;  // radians
};

// The record size of a kind; "Undefined ZM leaf" and 0 for others.
size_t zmGetLeafSize(int32_t kind);
// A zero-filled shape record of the kind with its shape defaults; null with
// the fatal "zmNewShape: zmMalloc failed\n".
ZmLeaf* zmNewShape(int32_t kind);

ZmAsciiText* zmNewAsciiTextLeaf();
ZmCircle* zmNewDiscLeaf();
ZmConeSide* zmNewConeSideLeaf();
ZmCylinderSide* zmNewCylinderSideLeaf();
ZmFace* zmNewFaceLeaf();
ZmLine* zmNewLineLeaf();
ZmPointSet* zmNewPointSetLeaf();
ZmSphere* zmNewSphereLeaf();

// Six faces of a box centred on the origin, normals outwards and corners
// counter-clockwise seen from outside; the first face, or null.
ZmLeaf* zmNewCubeLeaf(float width, float height, float depth);
// Side first, then bottom (parts: ZM_PARTS_*); the first leaf or null.
ZmLeaf* zmNewConeLeaf(int parts, float bottomRadius, float height);
// Side, top cap, bottom cap, as the parts ask; the first leaf or null.
ZmLeaf* zmNewCylinderLeaf(int parts, float topRadius, float bottomRadius, float height);

ZmLight* zmNewPointLight();
ZmSpotLight* zmNewSpotLight();
ZmLight* zmNewDirectionalLight();
ZmOrthographicCamera* ZmNewOrthographicCamera();
ZmPerspectiveCamera* zmNewPerspectiveCameraLeaf();

// Makes `object` the owner of every leaf of `chain` and appends the chain to
// the object's (`list` is always 0).
void zmAddLeaf(ZmObj* object, int list, ZmLeaf* chain);
/*
 * zmDeleteLeaf --
 *   Frees one leaf with what it owns; media and the viewer are told first.
 * Results:
 *   The next leaf of its chain. Null with "zmDeleteLeaf: NULL leaf pointer
 *   argument.\n"; an unknown kind warns "zmDeleteLeaf: unknown leaf
 *   type.\n", frees nothing and gives the next leaf.
 */
ZmLeaf* zmDeleteLeaf(ZmLeaf* leaf);
// Deletes a whole chain; null warns "zmDeleteAllLeaf: NULL specified.\n".
void zmDeleteAllLeaf(ZmLeaf* first);

int zmIsShapeLeaf(ZmLeaf* leaf);
int zmIsLightLeaf(ZmLeaf* leaf);
int zmIsCameraLeaf(ZmLeaf* leaf);
int zmIsShapeObj(ZmObj* object);
int zmIsLightObj(ZmObj* object);
int zmIsCameraObj(ZmObj* object);

// The first leaf of that kind in the object's chain, else in its children's
// subtrees depth first; null when none.
ZmLeaf* zmFindLeafByType(ZmObj* object, int32_t kind);
// Leaf n (0 = first) of the object's chain when it is long enough, else the
// same search below; null for n < 0 or when no object has that many.
ZmLeaf* zmFindLeafByNo(ZmObj* object, int32_t n);

#endif
