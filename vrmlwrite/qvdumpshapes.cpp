// vrmlwrite/qvdumpshapes.cpp -- the shape node writers: Cone, Cube,
// Cylinder, Sphere, IndexedFaceSet and IndexedLineSet, each a run of
// property nodes from its leaves followed by the shape node.
#include <string>
#include <vector>

#include "core/leaf.h"
#include "core/material.h"
#include "core/report.h"
#include "vrmlwrite/qvdumpframe.h"

namespace {

enum : int32_t { kDefault = 0, kOverall = 1, kPerFaceIndexed = 5, kPerVertexIndexed = 7 };

void dumpShapePrelude(ZmLeaf* first) {
  auto* shape = static_cast<ZmShape*>(first);
  zmDumpTexture2(&shape->texture);
  zmDumpMaterial(shape->material);
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

// The materials of a face set bound per face or per vertex, gathered from
// its faces into one list in the order of the face-set index lines: one
// entry per face, or one per point. A face short of entries repeats its
// last one (or the default material when it has none).
class FaceSetMaterials {
 public:
  FaceSetMaterials(ZmLeaf* firstFace, bool perVertex) {
    for (ZmLeaf* leaf = firstFace; leaf != nullptr; leaf = leaf->next) {
      auto* face = static_cast<ZmFace*>(leaf);
      int32_t entries = perVertex ? face->vertex.count : 1;
      for (int32_t i = 0; i < entries; i++) add(*face->material, i);
    }
    material.count = static_cast<int32_t>(diffuse.size());
    material.ambient_color = {material.count, ambient.data()};
    material.diffuse_color = {material.count, diffuse.data()};
    material.specular_color = {material.count, specular.data()};
    material.emmisive_color = {material.count, emissive.data()};
    material.shininess = {material.count, shininess.data()};
    material.transparency = {material.count, transparency.data()};
    material.specularpower = {0, nullptr};
  }
  ZmMaterial* get() { return &material; }

 private:
  template <typename T>
  static T entry(const T* values, int32_t count, int32_t i, T fallback) {
    return count > 0 ? values[i < count ? i : count - 1] : fallback;
  }
  void add(const ZmMaterial& from, int32_t i) {
    ambient.push_back(entry(from.ambient_color.values, from.ambient_color.count, i, ZmSFColor{0.2f, 0.2f, 0.2f}));
    diffuse.push_back(entry(from.diffuse_color.values, from.diffuse_color.count, i, ZmSFColor{0.8f, 0.8f, 0.8f}));
    specular.push_back(entry(from.specular_color.values, from.specular_color.count, i, ZmSFColor{0, 0, 0}));
    emissive.push_back(entry(from.emmisive_color.values, from.emmisive_color.count, i, ZmSFColor{0, 0, 0}));
    shininess.push_back(entry(from.shininess.values, from.shininess.count, i, 0.2f));
    transparency.push_back(entry(from.transparency.values, from.transparency.count, i, 0.0f));
  }
  std::vector<ZmSFColor> ambient, diffuse, specular, emissive;
  std::vector<ZmSFFloat> shininess, transparency;
  ZmMaterial material{};
};

// "materialIndex [0, 1, ...]" with one number per face.
void dumpPerFaceMaterialIndex(ZmLeaf* firstFace) {
  int32_t faces = 0;
  for (ZmLeaf* leaf = firstFace; leaf != nullptr; leaf = leaf->next) faces++;
  dumpPrintf("%s", indexList("materialIndex [", faces).c_str());
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

// A text in double quotes, its own double quotes escaped as the reader
// expects them.
std::string quotedText(const char* text) {
  std::string quoted = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '"') quoted += '\\';
    quoted += *p;
  }
  return quoted + "\"";
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
    // Bound per face or per vertex, every face's own materials are written,
    // with the index list that hands them back to their faces.
    const int32_t binding = face->materialBinding;
    const bool indexed = binding == kPerFaceIndexed || binding == kPerVertexIndexed;
    if (indexed)
      zmDumpMaterial(FaceSetMaterials(first, binding == kPerVertexIndexed).get());
    else
      zmDumpMaterial(face->material);
    zmDumpMaterialBinding(binding, kOverall);
    zmDumpTextureCoordinate2(&face->texture.uv);
    zmDumpNormal(&face->normal);
    zmDumpNormalBinding(face->normalBinding, kPerVertexIndexed);
    zmDumpCoordinate3(first);
    dumpObjNode(object, [first, binding] {
      zmDumpIndexedFaceSetCoordIndex(first);
      if (binding == kPerFaceIndexed) dumpPerFaceMaterialIndex(first);
      // Per point, the materials are numbered as the points are.
      if (binding == kPerVertexIndexed) dumpFaceSetIndexLines(first, "materialIndex [");
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
      zmDumpMaterial(line->material);
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
    dumpPrintf("%s", indexList("materialIndex     [", l->material->count).c_str());
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

int zmDumpAsciiText(ZmObj* object) {
  return dumpInFrame(object, [object] {
    auto* text = static_cast<ZmAsciiText*>(object->leaf);
    if (text == nullptr) return;
    static const char* const justifications[] = {nullptr, "CENTER", "RIGHT"};
    const char* justification =
        text->justification > 0 && text->justification < 3 ? justifications[text->justification] : nullptr;
    bool hasText = text->string != nullptr && text->string[0] != '\0';
    QvTdouble spacing = dumpToDouble(text->spacing);
    QvTdouble width = dumpToDouble(text->width);
    bool spaced = dumpIsNotEqual(spacing, 1.0, "%.3f");
    bool wide = dumpIsNotEqual(width, 0.0, "%.3f");
    if (!hasText && justification == nullptr && !spaced && !wide) {
      zmDumpEmptyNode(dumpObjName(object), "AsciiText");
      return;
    }
    dumpObjNode(object, [&] {
      if (hasText) dumpPrintf("string        %s", quotedText(text->string).c_str());
      if (spaced) zmDumpSFFloat("spacing       ", "%.3f", spacing);
      if (justification != nullptr) dumpPrintf("justification %s", justification);
      if (wide) zmDumpSFFloat("width         ", "%.3f", width);
    });
  });
}
