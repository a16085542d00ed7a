// core/leaf.cpp -- leaf records, builders and searches; see leaf.h.
#include "core/leaf.h"

#include "core/hooks.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"

size_t zmGetLeafSize(int32_t kind) {
  switch (kind) {
    case ZM_LEAF_ASCII_TEXT: return sizeof(ZmAsciiText);
    case ZM_LEAF_CONE_SIDE: return sizeof(ZmConeSide);
    case ZM_LEAF_CONE_BOTTOM:
    case ZM_LEAF_CYLINDER_BOTTOM:
    case ZM_LEAF_CYLINDER_TOP:
    case ZM_LEAF_DISC: return sizeof(ZmCircle);
    case ZM_LEAF_CYLINDER_SIDE: return sizeof(ZmCylinderSide);
    case ZM_LEAF_FACE: return sizeof(ZmFace);
    case ZM_LEAF_LINE: return sizeof(ZmLine);
    case ZM_LEAF_POINT_SET: return sizeof(ZmPointSet);
    case ZM_LEAF_SPHERE: return sizeof(ZmSphere);
    case ZM_LEAF_POINT_LIGHT:
    case ZM_LEAF_DIRECTIONAL_LIGHT: return sizeof(ZmLight);
    case ZM_LEAF_SPOT_LIGHT: return sizeof(ZmSpotLight);
    case ZM_LEAF_ORTHOGRAPHIC_CAMERA: return sizeof(ZmOrthographicCamera);
    case ZM_LEAF_PERSPECTIVE_CAMERA: return sizeof(ZmPerspectiveCamera);
    case ZM_LEAF_SOUND: return sizeof(ZmSoundLeaf);
    default:
      zmReportMessageInt("Undefined ZM leaf", kind);
      return 0;
  }
}

static bool isShapeKind(int32_t kind) { return kind >= ZM_LEAF_ASCII_TEXT && kind <= ZM_LEAF_SPHERE; }

ZmLeaf* zmNewShape(int32_t kind) {
  size_t size = zmGetLeafSize(kind);
  ZmShape* shape = size ? static_cast<ZmShape*>(zmSlabMalloc(size)) : nullptr;
  if (shape == nullptr) {
    zmFatalErrorInt("zmNewShape: zmMalloc failed\n", kind);
    return nullptr;
  }
  shape->kind = kind;
  shape->leafFlags = ZM_LEAF_GOURAUD;
  shape->texture.image = &zmNoTextureImage;
  coreViewer().initTexture(&shape->texture);
  shape->material = &zmNoMaterial;
  return shape;
}

ZmAsciiText* zmNewAsciiTextLeaf() {
  ZmAsciiText* text = static_cast<ZmAsciiText*>(zmNewShape(ZM_LEAF_ASCII_TEXT));
  if (text == nullptr) return nullptr;
  text->textSize = 10.0f;
  text->textWord1 = 0;
  text->textWord2 = 1;
  text->spacing = 1.0f;
  return text;
}

ZmCircle* zmNewDiscLeaf() { return static_cast<ZmCircle*>(zmNewShape(ZM_LEAF_DISC)); }
ZmConeSide* zmNewConeSideLeaf() { return static_cast<ZmConeSide*>(zmNewShape(ZM_LEAF_CONE_SIDE)); }
ZmCylinderSide* zmNewCylinderSideLeaf() {
  return static_cast<ZmCylinderSide*>(zmNewShape(ZM_LEAF_CYLINDER_SIDE));
}
ZmLine* zmNewLineLeaf() { return static_cast<ZmLine*>(zmNewShape(ZM_LEAF_LINE)); }
ZmPointSet* zmNewPointSetLeaf() { return static_cast<ZmPointSet*>(zmNewShape(ZM_LEAF_POINT_SET)); }

ZmFace* zmNewFaceLeaf() {
  ZmFace* face = static_cast<ZmFace*>(zmNewShape(ZM_LEAF_FACE));
  if (face != nullptr) face->face_type = 1;
  return face;
}

ZmSphere* zmNewSphereLeaf() {
  ZmSphere* sphere = static_cast<ZmSphere*>(zmNewShape(ZM_LEAF_SPHERE));
  if (sphere != nullptr) sphere->radius = 1.0f;
  return sphere;
}

// Chains `leaf` after `*last` (or as the first) for the builders.
static void chainLeaf(ZmLeaf** first, ZmLeaf** last, ZmLeaf* leaf) {
  if (*first == nullptr) *first = leaf; else (*last)->next = leaf;
  *last = leaf;
}

// Corner signs (x, y, z) of the six cube faces, counter-clockwise from
// outside, with each face's outward normal.
struct CubeFace {
  ZmVec3 normal;
  ZmVec3 corners[4];
};
static constexpr CubeFace kCubeFaces[6] = {
    {{0, 0, 1}, {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}},
    {{0, 0, -1}, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},
    {{-1, 0, 0}, {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}},
    {{1, 0, 0}, {{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}}},
    {{0, 1, 0}, {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}},
    {{0, -1, 0}, {{1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}}},
};

// A face leaf (face_type left 0) for one cube face with half sizes w, h, d.
static ZmFace* newCubeFace(const CubeFace& pattern, float w, float h, float d) {
  ZmFace* face = static_cast<ZmFace*>(zmNewShape(ZM_LEAF_FACE));
  if (face == nullptr) return nullptr;
  face->normal.values = static_cast<ZmVec3*>(zmSlabMalloc(sizeof(ZmVec3)));
  face->vertex.values = static_cast<ZmVec3*>(zmSlabMalloc(4 * sizeof(ZmVec3)));
  if (face->normal.values == nullptr || face->vertex.values == nullptr) {
    zmDeleteLeaf(face);
    return nullptr;
  }
  face->normal.count = 1;
  face->normal.values[0] = pattern.normal;
  face->vertex.count = 4;
  for (int i = 0; i < 4; ++i) {
    const ZmVec3& sign = pattern.corners[i];
    face->vertex.values[i] = {sign.x * w, sign.y * h, sign.z * d};
  }
  face->orthogonalNormal = pattern.normal;
  face->orthogonal_normal_valid = 1;
  return face;
}

ZmLeaf* zmNewCubeLeaf(float width, float height, float depth) {
  ZmLeaf* first = nullptr;
  ZmLeaf* last = nullptr;
  for (const CubeFace& pattern : kCubeFaces) {
    ZmFace* face = newCubeFace(pattern, width / 2, height / 2, depth / 2);
    if (face == nullptr) {
      if (first != nullptr) zmDeleteAllLeaf(first);
      return nullptr;
    }
    chainLeaf(&first, &last, face);
  }
  return first;
}

static ZmCircle* newDisc(int32_t kind, float radius, float height) {
  ZmCircle* disc = zmNewDiscLeaf();
  if (disc == nullptr) return nullptr;
  disc->kind = kind;
  disc->radius = radius;
  disc->height = height;
  return disc;
}

static bool wants(int parts, int part) { return (parts & ZM_PARTS_ALL) || (parts & part); }

// Appends a freshly made leaf, or frees what was made when it is null.
static bool keepOrUndo(ZmLeaf** first, ZmLeaf** last, ZmLeaf* leaf) {
  if (leaf == nullptr) {
    if (*first != nullptr) zmDeleteAllLeaf(*first);
    *first = nullptr;
    return false;
  }
  chainLeaf(first, last, leaf);
  return true;
}

ZmLeaf* zmNewConeLeaf(int parts, float bottomRadius, float height) {
  ZmLeaf* first = nullptr;
  ZmLeaf* last = nullptr;
  if (wants(parts, ZM_PARTS_SIDES)) {
    ZmConeSide* side = zmNewConeSideLeaf();
    if (side != nullptr) {
      side->bottom_radius = bottomRadius;
      side->height = height;
    }
    if (!keepOrUndo(&first, &last, side)) return nullptr;
  }
  if (wants(parts, ZM_PARTS_BOTTOM) &&
      !keepOrUndo(&first, &last, newDisc(ZM_LEAF_CONE_BOTTOM, bottomRadius, height))) {
    return nullptr;
  }
  return first;
}

ZmLeaf* zmNewCylinderLeaf(int parts, float topRadius, float bottomRadius, float height) {
  ZmLeaf* first = nullptr;
  ZmLeaf* last = nullptr;
  if (wants(parts, ZM_PARTS_SIDES)) {
    ZmCylinderSide* side = zmNewCylinderSideLeaf();
    if (side != nullptr) {
      side->top_radius = topRadius;
      side->bottom_radius = bottomRadius;
      side->height = height;
    }
    if (!keepOrUndo(&first, &last, side)) return nullptr;
  }
  if (wants(parts, ZM_PARTS_TOP) &&
      !keepOrUndo(&first, &last, newDisc(ZM_LEAF_CYLINDER_TOP, topRadius, height))) {
    return nullptr;
  }
  if (wants(parts, ZM_PARTS_BOTTOM) &&
      !keepOrUndo(&first, &last, newDisc(ZM_LEAF_CYLINDER_BOTTOM, bottomRadius, height))) {
    return nullptr;
  }
  return first;
}

// ---- Lights and cameras ---------------------------------------------------

static ZmLight* newLight(int32_t kind, size_t size, const char* failure) {
  ZmLight* light = static_cast<ZmLight*>(zmSlabMalloc(size));
  if (light == nullptr) {
    zmReportError("%s", failure);
    return nullptr;
  }
  light->kind = kind;
  light->on = 1;
  light->intensity = 1.0f;
  light->color[0] = light->color[1] = light->color[2] = 1.0f;
  return light;
}

ZmLight* zmNewPointLight() {
  return newLight(ZM_LEAF_POINT_LIGHT, sizeof(ZmLight), "zmNewPointLight: zmMalloc failed\n");
}

ZmSpotLight* zmNewSpotLight() {
  ZmSpotLight* spot = static_cast<ZmSpotLight*>(
      newLight(ZM_LEAF_SPOT_LIGHT, sizeof(ZmSpotLight), "zmNewSpotLight: zmMalloc failed\n"));
  if (spot != nullptr) spot->cutOffAngle = ZM_DEFAULT_ANGLE;
  return spot;
}

ZmLight* zmNewDirectionalLight() {
  return newLight(ZM_LEAF_DIRECTIONAL_LIGHT, sizeof(ZmLight), "ZmNewSpotLight: ZmMalloc failed\n");
}

static ZmCamera* newCamera(int32_t kind, size_t size) {
  ZmCamera* camera = static_cast<ZmCamera*>(zmSlabMalloc(size));
  if (camera == nullptr) {
    zmReportError("ZmNewOrthographicCamera: ZmMalloc failed\n");
    return nullptr;
  }
  camera->kind = kind;
  camera->focalDistance = 5.0f;
  return camera;
}

ZmOrthographicCamera* ZmNewOrthographicCamera() {
  ZmOrthographicCamera* camera = static_cast<ZmOrthographicCamera*>(
      newCamera(ZM_LEAF_ORTHOGRAPHIC_CAMERA, sizeof(ZmOrthographicCamera)));
  if (camera != nullptr) camera->height = 2.0f;
  return camera;
}

ZmPerspectiveCamera* zmNewPerspectiveCameraLeaf() {
  ZmPerspectiveCamera* camera = static_cast<ZmPerspectiveCamera*>(
      newCamera(ZM_LEAF_PERSPECTIVE_CAMERA, sizeof(ZmPerspectiveCamera)));
  if (camera != nullptr) camera->heightAngle = ZM_DEFAULT_ANGLE;
  return camera;
}

// ---- Chains ---------------------------------------------------------------

void zmAddLeaf(ZmObj* object, int list, ZmLeaf* chain) {
  if (chain == nullptr) return;
  ZmLeaf* last = chain;
  for (ZmLeaf* leaf = chain; leaf; leaf = leaf->next) {
    leaf->owner = object;
    last = leaf;
  }
  if (object->leaf == nullptr) {
    object->leaf = chain;
  } else {
    object->leafTail->next = chain;
  }
  object->leafTail = last;
}

// What a shape leaf owns, the upper layers told first.
static void freeShapeContents(ZmShape* shape) {
  zmReleaseMaterialRecord(shape->material);
  shape->material = &zmNoMaterial;
  // The movie hangs on the first leaf's texture; once that leaf is gone the
  // owner's leaf pointer is stale until the chain is emptied, so only the
  // first leaf's deletion pauses it.
  if (shape->owner != nullptr && shape->owner->leaf == shape) coreMedia().pause3DMovie(shape->owner);
  coreViewer().deleteTexture(&shape->texture);
  shape->texture.uv = {};
}

static void freeKindData(ZmLeaf* leaf) {
  switch (leaf->kind) {
    case ZM_LEAF_ASCII_TEXT:
      zmFree(static_cast<ZmAsciiText*>(leaf)->string);
      break;
    case ZM_LEAF_FACE: {
      ZmFace* face = static_cast<ZmFace*>(leaf);
      zmFree(face->normal.values);
      zmFree(face->vertex.values);
      break;
    }
    case ZM_LEAF_LINE: {
      ZmLine* line = static_cast<ZmLine*>(leaf);
      zmFree(line->normal.values);
      zmFree(line->vertex.values);
      break;
    }
    case ZM_LEAF_POINT_SET: {
      ZmPointSet* points = static_cast<ZmPointSet*>(leaf);
      zmFree(points->normal.values);
      zmFree(points->vertex.values);
      break;
    }
    default:
      break;
  }
}

ZmLeaf* zmDeleteLeaf(ZmLeaf* leaf) {
  if (leaf == nullptr) {
    zmReportWarning("zmDeleteLeaf: NULL leaf pointer argument.\n");
    return nullptr;
  }
  ZmLeaf* next = leaf->next;
  if (isShapeKind(leaf->kind)) {
    freeShapeContents(static_cast<ZmShape*>(leaf));
    freeKindData(leaf);
  } else if (leaf->kind == ZM_LEAF_SOUND) {
    coreMedia().deleteSoundLeaf(leaf);
    freeShapeContents(static_cast<ZmShape*>(leaf));
  } else if (zmIsLightLeaf(leaf) || zmIsCameraLeaf(leaf)) {
    // The renderer dropped its light or camera with the object's renderer
    // part, so nothing refers to the record any more.
  } else {
    zmReportWarning("zmDeleteLeaf: unknown leaf type.\n");
    return next;
  }
  zmFree(leaf);
  return next;
}

void zmDeleteAllLeaf(ZmLeaf* first) {
  if (first == nullptr) {
    zmReportWarning("zmDeleteAllLeaf: NULL specified.\n");
    return;
  }
  while (first != nullptr) first = zmDeleteLeaf(first);
}

// ---- Predicates and searches ----------------------------------------------

int zmIsShapeLeaf(ZmLeaf* leaf) { return leaf != nullptr && isShapeKind(leaf->kind); }
int zmIsLightLeaf(ZmLeaf* leaf) {
  return leaf != nullptr && leaf->kind >= ZM_LEAF_POINT_LIGHT && leaf->kind <= ZM_LEAF_DIRECTIONAL_LIGHT;
}
int zmIsCameraLeaf(ZmLeaf* leaf) {
  return leaf != nullptr && leaf->kind >= ZM_LEAF_ORTHOGRAPHIC_CAMERA &&
         leaf->kind <= ZM_LEAF_PERSPECTIVE_CAMERA;
}
int zmIsShapeObj(ZmObj* object) { return zmIsShapeLeaf(object->leaf); }
int zmIsLightObj(ZmObj* object) { return zmIsLightLeaf(object->leaf); }
int zmIsCameraObj(ZmObj* object) { return zmIsCameraLeaf(object->leaf); }

ZmLeaf* zmFindLeafByType(ZmObj* object, int32_t kind) {
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    if (leaf->kind == kind) return leaf;
  }
  for (ZmChildList* node = object->child; node; node = node->next) {
    if (node->object == nullptr) continue;
    if (ZmLeaf* found = zmFindLeafByType(node->object, kind)) return found;
  }
  return nullptr;
}

ZmLeaf* zmFindLeafByNo(ZmObj* object, int32_t n) {
  if (n < 0) return nullptr;
  int32_t i = 0;
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next, ++i) {
    if (i == n) return leaf;
  }
  for (ZmChildList* node = object->child; node; node = node->next) {
    if (node->object == nullptr) continue;
    if (ZmLeaf* found = zmFindLeafByNo(node->object, n)) return found;
  }
  return nullptr;
}
