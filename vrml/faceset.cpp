// vrml/faceset.cpp -- IndexedFaceSet leaves.
#include "vrml/faceset.h"

#include "core/leaf.h"
#include "core/report.h"
#include "vrml/facetable.h"
#include "vrml/qvnodes.h"
#include "vrml/texture.h"

namespace {

constexpr const char* kStepFailures[5] = {
    "QvIndexedFaceSet::createAndAddLeaves(): state info is insufficient.",
    "QvIndexedFaceSet::createAndAddLeaves(): face info is invalid.",
    "QvIndexedFaceSet::createAndAddLeaves(): fails to set materials.",
    "QvIndexedFaceSet::createAndAddLeaves(): fails to set normals.",
    "QvIndexedFaceSet::createAndAddLeaves(): fails to set texture coords.",
};

// The leaf of face f, or null when it has too few usable vertices or the
// record cannot be had (reported). The faces share the texture image of
// `first`, the node's first face, when there is one.
ZmFace* createZmFace(QvState* state, QvFaceTable& table, int32_t f, const ZmFace* first) {
  const QvFaceTable::Polygon& face = table.polygons[f];
  if (!table.makesLeaf(face)) return nullptr;
  ZmFace* leaf = zmNewFaceLeaf();
  if (leaf == nullptr) {
    zmReportMessage("%s: %s", "QvIndexedFaceSet::createZmFace()", "Couldn't allocate memory for ZmFace.");
    return nullptr;
  }
  // The face makes its own UVs, so the state's texture coordinates are not
  // copied into the leaf first.
  setZmTextureImageOf(state, &leaf->texture, first != nullptr ? &first->texture : nullptr);
  table.fillUv(face, &leaf->texture.uv,
               "QvIndexedFaceSet::setZmTextureUVForZmFace(): Couldn't allocate memory for uv.");
  table.fillMaterial(face, leaf, "QvIndexedFaceSet::initZmMaterial()");
  leaf->materialBinding = table.materialBinding;
  table.fillNormals(face, &leaf->normal,
                    "QvIndexedFaceSet::initZmNormal(): Couldn't allocate memory for ZmMFVec3's contents.");
  leaf->normalBinding = table.normalBinding;
  leaf->face_type = table.convex;
  table.fillVertices(face, &leaf->vertex,
                     "QvIndexedFaceSet::setVerticesInZmFace(): Couldn't allocate memory for ZmMFVec3's contents.");
  return leaf;
}

}  // namespace

int createAndAddFaceSetLeaves(const QvNode* node, QvState* state, ZmObj* object) {
  const auto* faceSet = static_cast<const QvIndexedFaceSet*>(node);
  const QvIndexLists lists = {faceSet->coordIndex, faceSet->materialIndex, faceSet->normalIndex,
                              faceSet->textureCoordIndex};
  QvFaceTable table;
  int result = table.build(state, lists, kStepFailures);
  if (result != 0) return result;
  const ZmFace* first = nullptr;
  for (int32_t f = 0; f < table.numPolygons; ++f) {
    ZmFace* leaf = createZmFace(state, table, f, first);
    if (leaf == nullptr) continue;
    zmAddLeaf(object, 0, leaf);
    if (first == nullptr) first = leaf;
  }
  return 0;
}
