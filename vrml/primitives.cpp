// vrml/primitives.cpp -- Cube, Cone, Cylinder and Sphere leaves.
#include "vrml/primitives.h"

#include "core/leaf.h"
#include "core/memory.h"
#include "core/report.h"
#include "vrml/objcreate.h"
#include "vrml/qvnodes.h"
#include "vrml/texture.h"

namespace {

// Every leaf the builder made for the parts gets the state's texture and
// material; the chain holds exactly the parts asked for, whatever bits
// (ALL among them) the mask carried.
void setPartsTextureAndMaterial(QvState* state, ZmLeaf* first) {
  for (ZmLeaf* leaf = first; leaf; leaf = leaf->next) {
    auto* shape = static_cast<ZmShape*>(leaf);
    setZmTexture(state, &shape->texture);
    setZmMaterial(state, &shape->material);
  }
}

}  // namespace

int setDefaultTextureUVForCube(ZmMFVec2f* uv) {
  if (uv->count != 1 || uv->values[0].x != 0 || uv->values[0].y != 0) return 0;
  zmFree(uv->values);
  uv->count = 0;
  uv->values = static_cast<ZmVec2*>(zmSlabMalloc(4 * sizeof(ZmVec2)));
  if (uv->values == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for uv.vecs", "setDefaultTextureUVForCube");
    return -5;
  }
  uv->count = 4;
  uv->values[0] = {0, 0};
  uv->values[1] = {1, 0};
  uv->values[2] = {1, 1};
  uv->values[3] = {0, 1};
  return 0;
}

ZmLeaf* createZmCubeLeaf(const QvNode* node, QvState* state) {
  const char* fn = "QvCube::createZmLeaf";
  const auto* cube = static_cast<const QvCube*>(node);
  ZmLeaf* first = zmNewCubeLeaf(cube->width.value, cube->height.value, cube->depth.value);
  if (first == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for ZmFace.", fn);
    return nullptr;
  }
  int faces = 0;
  for (ZmLeaf* leaf = first; leaf && faces < 6; leaf = leaf->next, ++faces) {
    auto* face = static_cast<ZmFace*>(leaf);
    setZmTexture(state, &face->texture);
    if (setDefaultTextureUVForCube(&face->texture.uv) != 0) {
      zmDeleteAllLeaf(first);
      zmReportMessage("%s: setDefaultTextureUVForCube() failed.", fn);
      return nullptr;
    }
    setZmMaterial(state, &face->material);
    setZmMaterialBinding(state, &face->materialBinding);
  }
  return first;
}

int getConeLeafParts(int32_t parts) {
  int mask = 0;
  if (parts & QvCone::SIDES) mask |= ZM_PARTS_SIDES;
  if (parts & QvCone::BOTTOM) mask |= ZM_PARTS_BOTTOM;
  if (parts & QvCone::ALL) mask |= ZM_PARTS_ALL;
  return mask;
}

int getCylinderLeafParts(int32_t parts) {
  int mask = 0;
  if (parts & QvCylinder::SIDES) mask |= ZM_PARTS_SIDES;
  if (parts & QvCylinder::TOP) mask |= ZM_PARTS_TOP;
  if (parts & QvCylinder::BOTTOM) mask |= ZM_PARTS_BOTTOM;
  if (parts & QvCylinder::ALL) mask |= ZM_PARTS_ALL;
  return mask;
}

ZmLeaf* createZmConeLeaf(const QvNode* node, QvState* state) {
  const auto* cone = static_cast<const QvCone*>(node);
  ZmLeaf* first = zmNewConeLeaf(getConeLeafParts(cone->parts.value), cone->bottomRadius.value, cone->height.value);
  if (first == nullptr) {
    zmReportMessage("%s: %s", "QvCone::createZmLeaf()", "Couldn't allocate memory for ZmLeaf.");
    return nullptr;
  }
  setPartsTextureAndMaterial(state, first);
  return first;
}

ZmLeaf* createZmCylinderLeaf(const QvNode* node, QvState* state) {
  const auto* cylinder = static_cast<const QvCylinder*>(node);
  ZmLeaf* first = zmNewCylinderLeaf(getCylinderLeafParts(cylinder->parts.value), cylinder->radius.value,
                                    cylinder->radius.value, cylinder->height.value);
  if (first == nullptr) {
    zmReportMessage("%s: %s", "QvCylinder::createZmLeaf()", "Couldn't allocate memory for ZmLeaf.");
    return nullptr;
  }
  setPartsTextureAndMaterial(state, first);
  return first;
}

ZmLeaf* createZmSphereLeaf(const QvNode* node, QvState* state) {
  ZmSphere* sphere = zmNewSphereLeaf();
  if (sphere == nullptr) {
    zmReportMessage("%s : %s", "QvSphere::createZmLeaf()", "Couldn't allocate memory for ZmSphere.");
    return nullptr;
  }
  setZmTexture(state, &sphere->texture);
  setZmMaterial(state, &sphere->material);
  sphere->radius = static_cast<const QvSphere*>(node)->radius.value;
  return sphere;
}
