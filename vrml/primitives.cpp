// vrml/primitives.cpp -- Cube, Cone, Cylinder and Sphere leaves.
#include "vrml/primitives.h"

#include <algorithm>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/report.h"
#include "vrml/objcreate.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"
#include "vrml/texture.h"

namespace {

// Every leaf the builder made for the parts gets the state's texture and
// material; the chain holds exactly the parts asked for, whatever bits
// (ALL among them) the mask carried. ALL together with another part (3, 9,
// 11 for a cone, any odd mask above 1 for a cylinder) gets them too, with
// no warning: such a node asks for every part, and leaving its texture and
// material off would draw the shape in the default grey instead of as its
// author wrote it.
void setPartsTextureAndMaterial(QvState* state, ZmLeaf* first) {
  for (ZmLeaf* leaf = first; leaf; leaf = leaf->next) {
    auto* shape = static_cast<ZmShape*>(leaf);
    setZmTexture(state, &shape->texture);
    setZmLeafMaterial(state, shape);
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
    // The six faces hold one material: the first makes it, the others
    // share its record.
    auto* firstFace = static_cast<ZmFace*>(first);
    if (face == firstFace || zmSetLeafMaterialRecord(face, firstFace->material) != 0)
      setZmLeafMaterial(state, face);
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
  setZmLeafMaterial(state, sphere);
  sphere->radius = static_cast<const QvSphere*>(node)->radius.value;
  return sphere;
}

// ----------------------------------------------------------------- PointSet

namespace {

// The first point and the count of a PointSet's run inside n coordinates.
void pointRun(const QvPointSet* points, int32_t n, int32_t* first, int32_t* count) {
  *first = std::clamp(points->startIndex.value, 0, n);
  int32_t available = n - *first;
  int32_t wanted = points->numPoints.value;
  *count = wanted < 0 || wanted > available ? available : wanted;
}

// The leaf's material binding codes.
constexpr int32_t kOverallBinding = 1;
constexpr int32_t kPerVertexBinding = 6;

bool bindsPerPoint(QvState* state) {
  const auto* binding = static_cast<const QvMaterialBinding*>(state->getTopNode(QV_MATERIAL_BINDING));
  return binding != nullptr && binding->value.value >= QvBinding::PER_PART;
}

}  // namespace

ZmLeaf* createZmPointSetLeaf(const QvNode* node, QvState* state) {
  ZmPointSet* leaf = zmNewPointSetLeaf();
  if (leaf == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for ZmPointSet.", "QvPointSet::createZmLeaf");
    return nullptr;
  }
  setZmLeafMaterial(state, leaf);
  leaf->materialBinding = bindsPerPoint(state) ? kPerVertexBinding : kOverallBinding;
  const auto* coordinates = static_cast<const QvCoordinate3*>(state->getTopNode(QV_COORDINATE3));
  int32_t first = 0, count = 0;
  if (coordinates != nullptr) pointRun(static_cast<const QvPointSet*>(node), coordinates->point.num, &first, &count);
  if (count == 0) {
    zmReportWarning("QvPointSet::createZmLeaf(): no points in the coordinates.");
    return leaf;
  }
  leaf->vertex.values = static_cast<ZmSFVec3f*>(zmMalloc(count * sizeof(ZmSFVec3f)));
  if (leaf->vertex.values == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for ZmMFVec3's contents.", "QvPointSet::createZmLeaf");
    return leaf;
  }
  leaf->vertex.count = count;
  const float* p = coordinates->point.values + 3 * first;
  for (int32_t i = 0; i < count; ++i, p += 3) leaf->vertex.values[i] = {p[0], p[1], p[2]};
  return leaf;
}
