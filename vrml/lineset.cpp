// vrml/lineset.cpp -- IndexedLineSet leaves.
#include "vrml/lineset.h"

#include "core/leaf.h"
#include "core/report.h"
#include "vrml/facetable.h"
#include "vrml/qvnodes.h"
#include "vrml/texture.h"

namespace {

constexpr const char* kStepFailures[5] = {
    "QvIndexedLineSet::createAndAddLeaves(): State info is insufficient.",
    "QvIndexedLineSet::createAndAddLeaves(): Line info is invalid.",
    "QvIndexedLineSet::createAndAddLeaves(): Fails to set materials.",
    "QvIndexedLineSet::createAndAddLeaves(): Fails to set normals.",
    "QvIndexedLineSet::createAndAddLeaves(): Fails to set texture coords.",
};

// The leaf of polyline l, or null when it has no usable vertex or the
// record cannot be had (reported). The polylines share the texture image
// of `first`, the node's first polyline, when there is one.
ZmLine* createZmLine(QvState* state, QvLineTable& table, int32_t l, const ZmLine* first) {
  const QvLineTable::Polygon& line = table.polygons[l];
  if (!table.makesLeaf(line)) return nullptr;
  ZmLine* leaf = zmNewLineLeaf();
  if (leaf == nullptr) {
    zmReportMessage("%s : %s", "QvIndexedLineSet::createZmLine", "Couldn't allocate memory for ZmLine.");
    return nullptr;
  }
  setZmTextureImageOf(state, &leaf->texture, first != nullptr ? &first->texture : nullptr);
  table.fillUv(line, &leaf->texture.uv,
               "QvIndexedLineSet::setZmTextureUVForZmLine(): Couldn't allocate memory for uv of ZmMFVec2.");
  table.fillMaterial(line, leaf, "QvIndexedLineSet::initZmMaterial()");
  leaf->materialBinding = table.materialBinding;
  table.fillNormals(line, &leaf->normal,
                    "QvIndexedLineSet::initZmNormal(): Couldn't allocate memory for ZmNorm's contents.");
  leaf->normalBinding = table.normalBinding;
  table.fillVertices(line, &leaf->vertex,
                     "QvIndexedLineSet::setVerticesInZmLine(): Couldn't allocate memory for ZmMFVec3's contents.");
  return leaf;
}

}  // namespace

int createAndAddLineSetLeaves(const QvNode* node, QvState* state, ZmObj* object) {
  if (state == nullptr) {
    zmReportWarning("QvIndexedLineSet::createAndAddLeaves(): pState is NULL.");
    return -1;
  }
  if (object == nullptr) {
    zmReportWarning("QvIndexedLineSet::createAndAddLeaves(): pZmObj is NULL.");
    return -1;
  }
  const auto* lineSet = static_cast<const QvIndexedLineSet*>(node);
  const QvIndexLists lists = {lineSet->coordIndex, lineSet->materialIndex, lineSet->normalIndex,
                              lineSet->textureCoordIndex};
  QvLineTable table;
  int result = table.build(state, lists, kStepFailures);
  if (result != 0) return result;
  const ZmLine* first = nullptr;
  for (int32_t l = 0; l < table.numPolygons; ++l) {
    ZmLine* leaf = createZmLine(state, table, l, first);
    if (leaf == nullptr) continue;
    zmAddLeaf(object, 0, leaf);
    if (first == nullptr) first = leaf;
  }
  return 0;
}
