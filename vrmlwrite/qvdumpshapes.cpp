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

void dumpShapePrelude(DumpContext& dump, ZmLeaf* first) {
  auto* shape = static_cast<ZmShape*>(first);
  zmDumpTexture2(dump, &shape->texture);
  zmDumpMaterial(dump, shape->material);
}

// A size field, left out when it holds its default.
void dumpSizeField(DumpContext& dump, const char* label, float value, double defaultValue) {
  QvTdouble converted = dumpToDouble(value);
  if (dumpIsNotEqual(converted, defaultValue)) zmDumpSFFloat(dump, label, converted);
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

// The points of a face or line leaf.
int32_t pointCount(ZmLeaf* leaf) {
  return leaf->kind == ZM_LEAF_LINE ? static_cast<ZmLine*>(leaf)->vertex.count
                                    : static_cast<ZmFace*>(leaf)->vertex.count;
}

// The materials of a face or line set bound per face (per polyline) or per
// vertex, gathered from its leaves into one list in the order of the
// set's index lines: one entry per leaf, or one per point. A leaf short of
// entries repeats its last one (or the default material when it has none).
class SetMaterials {
 public:
  SetMaterials(ZmLeaf* first, bool perVertex) {
    for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
      int32_t entries = perVertex ? pointCount(leaf) : 1;
      for (int32_t i = 0; i < entries; i++) add(*static_cast<ZmShape*>(leaf)->material, i);
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

// The material of a set: every leaf's own, with the index list that hands
// them back, when they are bound per face or per vertex; else the first's.
void dumpSetMaterial(DumpContext& dump, ZmLeaf* first, int32_t binding) {
  if (binding == kPerFaceIndexed || binding == kPerVertexIndexed)
    zmDumpMaterial(dump, SetMaterials(first, binding == kPerVertexIndexed).get());
  else
    zmDumpMaterial(dump, static_cast<ZmShape*>(first)->material);
}

// "[0, 1, ...]" with one number per leaf after the opening text.
void dumpPerLeafIndex(DumpContext& dump, ZmLeaf* first, const char* opening) {
  int32_t leaves = 0;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) leaves++;
  dumpPrintf(dump, "%s", indexList(opening, leaves).c_str());
}

// One index line per leaf, the points numbered over all leaves, each line
// ended by -1.
void dumpSetIndexLines(DumpContext& dump, ZmLeaf* first, const char* opening) {
  int32_t counter = 0;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    std::string line = counter == 0 ? opening : "";
    int32_t points = pointCount(leaf);
    for (int32_t i = 0; i < points; i++) line += std::to_string(counter++) + ", ";
    line += leaf->next != nullptr ? "-1," : "-1 ]";
    dumpPrintf(dump, "%s", line.c_str());
  }
}

// One list made of each line leaf's own list, in chain order.
ZmMFVec3f joinedLists(ZmLeaf* firstLine, std::vector<ZmVec3>& storage, ZmMFVec3f ZmLine::*list) {
  for (ZmLeaf* leaf = firstLine; leaf != nullptr; leaf = leaf->next) {
    const ZmMFVec3f& own = static_cast<ZmLine*>(leaf)->*list;
    storage.insert(storage.end(), own.values, own.values + own.count);
  }
  return {static_cast<int32_t>(storage.size()), storage.data()};
}

// The reader gives a polyline without normals of its own the stand-in
// 1 1 1 at each point (lines are drawn unlit); those are not the world's
// and are not written.
bool hasOwnNormals(ZmLeaf* firstLine) {
  for (ZmLeaf* leaf = firstLine; leaf != nullptr; leaf = leaf->next) {
    const ZmMFVec3f& normals = static_cast<ZmLine*>(leaf)->normal;
    for (int32_t i = 0; i < normals.count; i++)
      if (normals.values[i].x != 1.0f || normals.values[i].y != 1.0f || normals.values[i].z != 1.0f) return true;
  }
  return false;
}

// Texture points a polyline set can write back: one per point of every
// polyline, not all 0 0 (what the reader gives without any).
bool hasOwnTexturePoints(ZmLeaf* firstLine) {
  bool any = false;
  for (ZmLeaf* leaf = firstLine; leaf != nullptr; leaf = leaf->next) {
    const auto* line = static_cast<ZmLine*>(leaf);
    if (line->texture.uv.count != line->vertex.count) return false;
    for (int32_t i = 0; i < line->texture.uv.count; i++)
      any = any || line->texture.uv.values[i].x != 0.0f || line->texture.uv.values[i].y != 0.0f;
  }
  return any;
}

void dumpLineSetTexturePoints(DumpContext& dump, ZmLeaf* firstLine) {
  std::vector<ZmVec2> storage;
  for (ZmLeaf* leaf = firstLine; leaf != nullptr; leaf = leaf->next) {
    const ZmMFVec2f& own = static_cast<ZmLine*>(leaf)->texture.uv;
    storage.insert(storage.end(), own.values, own.values + own.count);
  }
  ZmMFVec2f joined = {static_cast<int32_t>(storage.size()), storage.data()};
  zmDumpTextureCoordinate2(dump, &joined);
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

// The text's lines (the node's strings) in double quotes, a bracketed list
// when there are several.
std::string stringField(const char* text) {
  const std::string all = text;
  if (all.find('\n') == std::string::npos) return quotedText(text);
  std::string list = "[ ";
  size_t start = 0;
  for (size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
    list += quotedText(all.substr(start, end - start).c_str()) + ", ";
  return list + quotedText(all.substr(start).c_str()) + " ]";
}

}  // namespace

int zmDumpCone(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    dumpShapePrelude(dump, first);
    if (dumpIsDefaultCone(first)) {
      zmDumpEmptyNode(dump, dumpObjName(object), "Cone");
      return;
    }
    float radius = first->kind == ZM_LEAF_CONE_SIDE ? static_cast<ZmConeSide*>(first)->bottom_radius
                                                    : static_cast<ZmCircle*>(first)->radius;
    float height = first->kind == ZM_LEAF_CONE_SIDE ? static_cast<ZmConeSide*>(first)->height
                                                    : static_cast<ZmCircle*>(first)->height;
    dumpObjNode(dump, object, [&] {
      if (first->next == nullptr)
        dumpPrintf(dump, first->kind == ZM_LEAF_CONE_SIDE ? "parts        SIDES" : "parts        BOTTOM");
      dumpSizeField(dump, "bottomRadius ", radius, 1.0);
      dumpSizeField(dump, "height       ", height, 2.0);
    });
  });
}

int zmDumpCylinder(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    int32_t kind = first->kind;
    if (kind != ZM_LEAF_CYLINDER_SIDE && kind != ZM_LEAF_CYLINDER_TOP && kind != ZM_LEAF_CYLINDER_BOTTOM) return;
    dumpShapePrelude(dump, first);
    if (kind == ZM_LEAF_CYLINDER_SIDE && dumpIsDefaultCylinder(first)) {
      zmDumpEmptyNode(dump, dumpObjName(object), "Cylinder");
      return;
    }
    float radius, height;
    cylinderSize(first, &radius, &height);
    dumpObjNode(dump, object, [&] {
      if (const char* parts = cylinderPartsLine(first)) dumpPrintf(dump, "%s", parts);
      dumpSizeField(dump, "radius ", radius, 1.0);
      dumpSizeField(dump, "height ", height, 2.0);
    });
  });
}

int zmDumpCube(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    auto* face = static_cast<ZmFace*>(first);
    dumpShapePrelude(dump, first);
    zmDumpMaterialBinding(dump, face->materialBinding, kDefault);
    if (dumpIsDefaultCube(first)) {
      zmDumpEmptyNode(dump, dumpObjName(object), "Cube");
      return;
    }
    ZmVec3 corner = face->vertex.count >= 3 ? face->vertex.values[2] : ZmVec3{0, 0, 0};
    dumpObjNode(dump, object, [&] {
      auto size = [&](const char* label, float half) {
        QvTdouble full = 2.0 * dumpToDouble(half);
        if (dumpIsNotEqual(full, 2.0)) zmDumpSFFloat(dump, label, full);
      };
      size("width  ", corner.x);
      size("height ", corner.y);
      size("depth  ", corner.z);
    });
  });
}

int zmDumpSphere(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    dumpShapePrelude(dump, first);
    if (dumpIsDefaultSphere(first)) {
      zmDumpEmptyNode(dump, dumpObjName(object), "Sphere");
      return;
    }
    dumpObjNode(dump, object, [&] {
      zmDumpSFFloat(dump, "radius ", dumpToDouble(static_cast<ZmSphere*>(first)->radius));
    });
  });
}

int zmDumpIndexedFaceSet(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    auto* face = static_cast<ZmFace*>(first);
    zmDumpTexture2(dump, &face->texture);
    const int32_t binding = face->materialBinding;
    dumpSetMaterial(dump, first, binding);
    zmDumpMaterialBinding(dump, binding, kOverall);
    zmDumpTextureCoordinate2(dump, &face->texture.uv);
    zmDumpNormal(dump, &face->normal);
    zmDumpNormalBinding(dump, face->normalBinding, kPerVertexIndexed);
    zmDumpCoordinate3(dump, first);
    dumpObjNode(dump, object, [&] {
      zmDumpIndexedFaceSetCoordIndex(dump, first);
      if (binding == kPerFaceIndexed) dumpPerLeafIndex(dump, first, "materialIndex [");
      // Per point, the materials are numbered as the points are.
      if (binding == kPerVertexIndexed) dumpSetIndexLines(dump, first, "materialIndex [");
      zmDumpIndexedFaceSetTextureCoordIndex(dump, first);
    });
  });
}

void zmDumpIndexedFaceSetCoordIndex(DumpContext& dump, ZmLeaf* firstFace) {
  dumpSetIndexLines(dump, firstFace, "coordIndex [");
}

void zmDumpIndexedFaceSetTextureCoordIndex(DumpContext& dump, ZmLeaf* firstFace) {
  dumpSetIndexLines(dump, firstFace, "textureCoordIndex [");
}

// All polylines of the object in one node: written one node each, they
// would come back as as many objects.
int zmDumpIndexedLineSet(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    ZmLeaf* first = object->leaf;
    if (first == nullptr) return;
    auto* line = static_cast<ZmLine*>(first);
    zmDumpTexture2(dump, &line->texture);
    if (hasOwnTexturePoints(first)) dumpLineSetTexturePoints(dump, first);
    dumpSetMaterial(dump, first, line->materialBinding);
    zmDumpMaterialBinding(dump, line->materialBinding, kDefault);
    const bool normals = hasOwnNormals(first);
    if (normals) {
      std::vector<ZmVec3> storage;
      ZmMFVec3f joined = joinedLists(first, storage, &ZmLine::normal);
      zmDumpNormal(dump, &joined);
      zmDumpNormalBinding(dump, line->normalBinding, kDefault);
    }
    zmDumpCoordinate3(dump, first);
    dumpObjNode(dump, object, [&] {
      zmDumpIndexedLineSetCoordIndex(dump, first);
      zmDumpIndexedLineSetMaterialIndex(dump, first);
      if (normals) zmDumpIndexedLineSetNormalIndex(dump, first);
      if (hasOwnTexturePoints(first)) zmDumpIndexedLineSetTextureCoordIndex(dump, first);
    });
  });
}

void zmDumpIndexedLineSetCoordIndex(DumpContext& dump, ZmLeaf* firstLine) {
  dumpSetIndexLines(dump, firstLine, "coordIndex        [");
}

void zmDumpIndexedLineSetMaterialIndex(DumpContext& dump, ZmLeaf* firstLine) {
  const int32_t binding = static_cast<ZmLine*>(firstLine)->materialBinding;
  if (binding == kOverall)
    dumpPrintf(dump, "materialIndex      0");
  else if (binding == kPerFaceIndexed)
    dumpPerLeafIndex(dump, firstLine, "materialIndex     [");
  else if (binding == kPerVertexIndexed)
    dumpSetIndexLines(dump, firstLine, "materialIndex     [");
  else
    zmReportWarning("%s: %s", "zmDumpIndexedLineSetMaterialIndex()", "invalid material binding.");
}

void zmDumpIndexedLineSetNormalIndex(DumpContext& dump, ZmLeaf* firstLine) {
  const int32_t binding = static_cast<ZmLine*>(firstLine)->normalBinding;
  if (binding == kOverall)
    dumpPrintf(dump, "normalIndex       0");
  else if (binding == kPerFaceIndexed)
    dumpPerLeafIndex(dump, firstLine, "normalIndex       [");
  else if (binding == kPerVertexIndexed)
    dumpSetIndexLines(dump, firstLine, "normalIndex       [");
  else
    zmReportWarning("%s : %s", "zmDumpIndexedLineSetNormalIndex()", "invalid normal binding.");
}

void zmDumpIndexedLineSetTextureCoordIndex(DumpContext& dump, ZmLeaf* firstLine) {
  dumpSetIndexLines(dump, firstLine, "textureCoordIndex [");
}

// The points as a Coordinate3 of their own, and a PointSet that takes
// them all.
int zmDumpPointSet(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    auto* points = static_cast<ZmPointSet*>(object->leaf);
    if (points == nullptr) return;
    zmDumpMaterial(dump, points->material);
    zmDumpMaterialBinding(dump, points->materialBinding, kOverall);
    dumpCoordinate3OfPoints(dump, &points->vertex);
    zmDumpEmptyNode(dump, dumpObjName(object), "PointSet");
  });
}

int zmDumpAsciiText(DumpContext& dump, ZmObj* object) {
  return dumpInFrame(dump, object, [&] {
    auto* text = static_cast<ZmAsciiText*>(object->leaf);
    if (text == nullptr) return;
    static const char* const justifications[] = {nullptr, "CENTER", "RIGHT"};
    const char* justification =
        text->justification > 0 && text->justification < 3 ? justifications[text->justification] : nullptr;
    bool hasText = text->string != nullptr && text->string[0] != '\0';
    QvTdouble spacing = dumpToDouble(text->spacing);
    QvTdouble width = dumpToDouble(text->width);
    bool spaced = dumpIsNotEqual(spacing, 1.0);
    bool wide = dumpIsNotEqual(width, 0.0);
    if (!hasText && justification == nullptr && !spaced && !wide) {
      zmDumpEmptyNode(dump, dumpObjName(object), "AsciiText");
      return;
    }
    dumpObjNode(dump, object, [&] {
      if (hasText) dumpPrintf(dump, "string        %s", stringField(text->string).c_str());
      if (spaced) zmDumpSFFloat(dump, "spacing       ", spacing);
      if (justification != nullptr) dumpPrintf(dump, "justification %s", justification);
      if (wide) zmDumpSFFloat(dump, "width         ", width);
    });
  });
}
