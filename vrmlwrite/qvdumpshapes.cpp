// vrmlwrite/qvdumpshapes.cpp -- the shape node writers: Cone, Cube,
// Cylinder, Sphere, IndexedFaceSet and IndexedLineSet, each a run of
// property nodes from its leaves followed by the shape node.
#include <string>

#include "core/leaf.h"
#include "core/report.h"
#include "vrmlwrite/qvdumpframe.h"

namespace {

enum : int32_t { kDefault = 0, kOverall = 1, kPerFaceIndexed = 5, kPerVertexIndexed = 7 };

void dumpShapePrelude(ZmLeaf* first) {
  auto* shape = static_cast<ZmShape*>(first);
  zmDumpTexture2(&shape->texture);
  zmDumpMaterial(&shape->material);
}

// A size field, left out when it prints as its default at "%.3f".
void dumpSizeField(const char* label, float value, double defaultValue) {
  QvTdouble converted = dumpToDouble(value);
  if (dumpIsNotEqual(converted, defaultValue, "%.3f")) zmDumpSFFloat(label, "%.3f", converted);
}

// "[0, 1, ... count-1]" after the opening text; "[]" for an empty list.
std::string indexList(const char* opening, int32_t count) {
  std::string text = opening;
  for (int32_t i = 0; i < count; i++) text += std::to_string(i) + (i + 1 < count ? ", " : "");
  return text + "]";
}

const char* cylinderPartsLine(ZmLeaf* first) {
  ZmLeaf* second = first->next;
  int32_t next = second != nullptr ? second->kind : 0;
  switch (first->kind) {
    case ZM_LEAF_CYLINDER_SIDE:
      if (second == nullptr) return "parts  SIDES";
      if (second->next != nullptr) return nullptr;
      if (next == ZM_LEAF_CYLINDER_TOP) return "parts  ( SIDES | TOP )";
      if (next == ZM_LEAF_CYLINDER_BOTTOM) return "parts  ( SIDES | BOTTOM )";
      return nullptr;
    case ZM_LEAF_CYLINDER_TOP:
      if (second == nullptr) return "parts  TOP";
      return next == ZM_LEAF_CYLINDER_BOTTOM ? "parts  ( TOP | BOTTOM )" : nullptr;
    default:
      if (second == nullptr) return "parts  BOTTOM";
      return next == ZM_LEAF_CYLINDER_TOP ? "parts  ( BOTTOM | TOP )" : nullptr;
  }
}

void cylinderSize(ZmLeaf* first, float* radius, float* height) {
  if (first->kind == ZM_LEAF_CYLINDER_SIDE) {
    *radius = static_cast<ZmCylinderSide*>(first)->bottom_radius;
    *height = static_cast<ZmCylinderSide*>(first)->height;
  } else {
    *radius = static_cast<ZmCircle*>(first)->radius;
    *height = static_cast<ZmCircle*>(first)->height;
  }
}

// One face-set index line per face, the points numbered over all faces.
void dumpFaceSetIndexLines(ZmLeaf* firstFace, const char* opening) {
  int32_t counter = 0;
  for (ZmLeaf* leaf = firstFace; leaf != nullptr; leaf = leaf->next) {
    std::string line = counter == 0 ? opening : "";
    int32_t points = static_cast<ZmFace*>(leaf)->vertex.count;
    for (int32_t i = 0; i < points; i++) line += std::to_string(counter++) + ", ";
    line += leaf->next != nullptr ? "-1," : "-1 ]";
    dumpPrintf("%s", line.c_str());
  }
}

}  // namespace

int zmDumpCone(ZmObj* object) {
  return dumpInFrame(object, [object] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    dumpShapePrelude(first);
    if (dumpIsDefaultCone(first)) {
      zmDumpEmptyNode(dumpObjName(object), "Cone");
      return;
    }
    float radius = first->kind == ZM_LEAF_CONE_SIDE ? static_cast<ZmConeSide*>(first)->bottom_radius
                                                    : static_cast<ZmCircle*>(first)->radius;
    float height = first->kind == ZM_LEAF_CONE_SIDE ? static_cast<ZmConeSide*>(first)->height
                                                    : static_cast<ZmCircle*>(first)->height;
    dumpObjNode(object, [&] {
      if (first->next == nullptr)
        dumpPrintf(first->kind == ZM_LEAF_CONE_SIDE ? "parts        SIDES" : "parts        BOTTOM");
      dumpSizeField("bottomRadius ", radius, 1.0);
      dumpSizeField("height       ", height, 2.0);
    });
  });
}

int zmDumpCylinder(ZmObj* object) {
  return dumpInFrame(object, [object] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    int32_t kind = first->kind;
    if (kind != ZM_LEAF_CYLINDER_SIDE && kind != ZM_LEAF_CYLINDER_TOP && kind != ZM_LEAF_CYLINDER_BOTTOM) return;
    dumpShapePrelude(first);
    if (kind == ZM_LEAF_CYLINDER_SIDE && dumpIsDefaultCylinder(first)) {
      zmDumpEmptyNode(dumpObjName(object), "Cylinder");
      return;
    }
    float radius, height;
    cylinderSize(first, &radius, &height);
    dumpObjNode(object, [&] {
      if (const char* parts = cylinderPartsLine(first)) dumpPrintf("%s", parts);
      dumpSizeField("radius ", radius, 1.0);
      dumpSizeField("height ", height, 2.0);
    });
  });
}

int zmDumpCube(ZmObj* object) {
  return dumpInFrame(object, [object] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    auto* face = static_cast<ZmFace*>(first);
    dumpShapePrelude(first);
    zmDumpMaterialBinding(face->materialBinding, kDefault);
    if (dumpIsDefaultCube(first)) {
      zmDumpEmptyNode(dumpObjName(object), "Cube");
      return;
    }
    ZmVec3 corner = face->vertex.count >= 3 ? face->vertex.values[2] : ZmVec3{0, 0, 0};
    dumpObjNode(object, [&] {
      auto size = [](const char* label, float half) {
        QvTdouble full = 2.0 * dumpToDouble(half);
        if (dumpIsNotEqual(full, 2.0, "%.3f")) zmDumpSFFloat(label, "%.3f", full);
      };
      size("width  ", corner.x);
      size("height ", corner.y);
      size("depth  ", corner.z);
    });
  });
}

int zmDumpSphere(ZmObj* object) {
  return dumpInFrame(object, [object] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    dumpShapePrelude(first);
    if (dumpIsDefaultSphere(first)) {
      zmDumpEmptyNode(dumpObjName(object), "Sphere");
      return;
    }
    dumpObjNode(object, [first] {
      zmDumpSFFloat("radius ", "%.3f", dumpToDouble(static_cast<ZmSphere*>(first)->radius));
    });
  });
}

int zmDumpIndexedFaceSet(ZmObj* object) {
  return dumpInFrame(object, [object] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    auto* face = static_cast<ZmFace*>(first);
    zmDumpTexture2(&face->texture);
    zmDumpMaterial(&face->material);
    zmDumpMaterialBinding(face->materialBinding, kOverall);
    zmDumpTextureCoordinate2(&face->texture.uv);
    zmDumpNormal(&face->normal);
    zmDumpNormalBinding(face->normalBinding, kPerVertexIndexed);
    zmDumpCoordinate3(first);
    dumpObjNode(object, [first] {
      zmDumpIndexedFaceSetCoordIndex(first);
      zmDumpIndexedFaceSetTextureCoordIndex(first);
    });
  });
}

void zmDumpIndexedFaceSetCoordIndex(ZmLeaf* firstFace) { dumpFaceSetIndexLines(firstFace, "coordIndex ["); }

void zmDumpIndexedFaceSetTextureCoordIndex(ZmLeaf* firstFace) {
  dumpFaceSetIndexLines(firstFace, "textureCoordIndex [");
}

int zmDumpIndexedLineSet(ZmObj* object) {
  return dumpInFrame(object, [object] {
    for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
      auto* line = static_cast<ZmLine*>(leaf);
      zmDumpTexture2(&line->texture);
      zmDumpTextureCoordinate2(&line->texture.uv);
      zmDumpMaterial(&line->material);
      zmDumpMaterialBinding(line->materialBinding, kDefault);
      zmDumpNormal(&line->normal);
      zmDumpNormalBinding(line->normalBinding, kDefault);
      dumpCoordinate3OfLine(leaf);
      dumpObjNode(object, [leaf] {
        zmDumpIndexedLineSetCoordIndex(leaf);
        zmDumpIndexedLineSetMaterialIndex(leaf);
        zmDumpIndexedLineSetNormalIndex(leaf);
        zmDumpIndexedLineSetTextureCoordIndex(leaf);
      });
    }
  });
}

void zmDumpIndexedLineSetCoordIndex(ZmLeaf* line) {
  dumpPrintf("%s", indexList("coordIndex        [", static_cast<ZmLine*>(line)->vertex.count).c_str());
}

void zmDumpIndexedLineSetMaterialIndex(ZmLeaf* line) {
  auto* l = static_cast<ZmLine*>(line);
  if (l->materialBinding == kOverall || l->materialBinding == kPerFaceIndexed)
    dumpPrintf("materialIndex      0");
  else if (l->materialBinding == kPerVertexIndexed)
    dumpPrintf("%s", indexList("materialIndex     [", l->material.count).c_str());
  else
    zmReportWarning("%s: %s", "zmDumpIndexedLineSetMaterialIndex()", "invalid material binding.");
}

void zmDumpIndexedLineSetNormalIndex(ZmLeaf* line) {
  auto* l = static_cast<ZmLine*>(line);
  if (l->normalBinding == kOverall || l->normalBinding == kPerFaceIndexed)
    dumpPrintf("normalIndex       0");
  else if (l->normalBinding == kPerVertexIndexed)
    dumpPrintf("%s", indexList("normalIndex       [", l->normal.count).c_str());
  else
    zmReportWarning("%s : %s", "zmDumpIndexedLineSetNormalIndex()", "invalid normal binding.");
}

void zmDumpIndexedLineSetTextureCoordIndex(ZmLeaf* line) {
  dumpPrintf("%s", indexList("textureCoordIndex [", static_cast<ZmLine*>(line)->vertex.count).c_str());
}
