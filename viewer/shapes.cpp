// viewer/shapes.cpp -- engine clumps for shape and line-set leaves.
//
// Links: a leaf's engine handle holds its clump (a face its polygon), the
// clump's tag holds the leaf and its data word the owning object. Sub-clumps
// (glyphs, point markers, line segments) are children of the leaf's clump.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/ownmodule.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "engine/clump.h"
#include "engine/matrix.h"
#include "engine/modelling.h"
#include "engine/polygon.h"
#include "engine/primitives.h"
#include "engine/scene.h"
#include "engine/shapefile.h"
#include "viewer/builders.h"
#include "viewer/material.h"
#include "viewer/rendering.h"
#include "viewer/texture.h"

namespace {

constexpr intptr_t roundFacets = 10;      // cones, discs, cylinders
constexpr intptr_t sphereSubdivision = 10;
constexpr float pointMarkerRadius = 0.05f;
constexpr intptr_t pointMarkerSubdivision = 6;
constexpr float minimumNormalLength2 = 1e-5f;
constexpr float lineRadius = 0.05f;
constexpr intptr_t lineFacets = 6;
constexpr float textLineHeight = 1.0f;  // the glyphs' em: one line of text, before its spacing
constexpr double pi = 3.14159265358979323846;

bool report(const char* operation, const char* text) {
  zmReportError("%s : %s", operation, text);
  return false;
}

bool isVisible(ZmObj* object) { return (object->obj_flags & ZM_OBJ_VISIBLE) != 0; }

/*
 * modelClump --
 *   Runs one modelling: begin, `before` (steps outside the clump
 *   definition), clump begin, `shape`, clump end, model end. A step that
 *   fails reports its text and the modelling is closed again.
 * Results:
 *   The new clump, or null after the report.
 */
RwClump* modelClump(const char* operation, const std::function<bool()>& before,
                    const std::function<bool()>& shape) {
  if (!RwModelBegin()) {
    report(operation, "cannot begin modeling");
    return nullptr;
  }
  RwClump* clump = nullptr;
  bool built = before() && (RwClumpBegin() || report(operation, "cannot begin clump definition")) && shape() &&
               (RwClumpEnd(&clump) || report(operation, "cannot end clump definition"));
  if (!RwModelEnd()) {
    report(operation, "cannot end modeling");
    built = false;
  }
  if (!built && clump != nullptr) RwDestroyClump(clump);
  return built ? clump : nullptr;
}

std::function<bool()> step(const char* operation, const char* text, const std::function<int()>& call) {
  return [=] { return call() != 0 || report(operation, text); };
}

// The step before a clump that needs none.
bool nothing() { return true; }

std::function<bool()> both(const std::function<bool()>& first, const std::function<bool()>& second) {
  return [=] { return first() && second(); };
}

// Hides the clump of an invisible object, links it to its leaf and object.
bool linkClump(const char* operation, RwClump* clump, ZmLeaf* leaf, ZmObj* object) {
  if (!isVisible(object)) RwSetClumpState(clump, 1);
  leaf->rendering = clump;
  if (RwSetClumpTag(clump, reinterpret_cast<intptr_t>(leaf)) == nullptr)
    return report(operation, "cannot set tag to clump");
  if (RwSetClumpData(clump, reinterpret_cast<uintptr_t>(object)) == nullptr)
    return report(operation, "cannot set data to clump");
  return true;
}

// The engine's scratch matrix holding an object's world transform, popped
// when the builder ends however it ends.
class ScratchWRT {
 public:
  ScratchWRT(const char* operation, ZmObj* object) : operation_(operation) {
    matrix_ = RwPushScratchMatrix();
    if (matrix_ == nullptr) {
      report(operation, "cannot push scratch matrix");
      return;
    }
    filled_ = zmRwGetShapeWRT(object, matrix_) != 0;
  }
  ~ScratchWRT() {
    if (matrix_ != nullptr && RwPopScratchMatrix() == nullptr) report(operation_, "cannot pop scratch matrix");
  }
  ScratchWRT(const ScratchWRT&) = delete;
  ScratchWRT& operator=(const ScratchWRT&) = delete;
  bool ready() const { return matrix_ != nullptr && filled_; }
  const RwMatrix* matrix() const { return matrix_; }

 private:
  const char* operation_;
  RwMatrix* matrix_ = nullptr;
  bool filled_ = false;
};

// Places, colours and adds one clump of a cone or cylinder leaf.
bool finishRoundClump(const char* operation, RwClump* clump, ZmLeaf* leaf, ZmObj* object, const ScratchWRT& wrt,
                      RwScene* scene) {
  if (!linkClump(operation, clump, leaf, object)) return false;
  if (RwTransformClump(clump, wrt.matrix(), RwReplace) == nullptr) return report(operation, "cannot transform clump");
  if (zmRenderSetMaterial(leaf) != 0) return false;
  if (RwAddClumpToScene(scene, clump) == nullptr) return report(operation, "cannot add polyline to the world");
  return true;
}

// The clump of one cone or cylinder leaf, or null after its report.
RwClump* roundClump(const char* operation, ZmLeaf* leaf) {
  auto disc = [operation](float y, float radius) {
    return modelClump(operation, nothing, step(operation, "cannot create disc", [=] {
                        return RwDisc(y, radius, roundFacets);
                      }));
  };
  // Inside the clump definition, so that the shift reaches the vertices:
  // the CTM saved at clump begin becomes the clump's modelling matrix, which
  // the builder then replaces by the object's world transform.
  auto centred = [operation](float height) {
    return step(operation, "cannot translate CTM", [=] { return RwTranslateCTM(0.0f, -height / 2, 0.0f); });
  };
  switch (leaf->kind) {
    case ZM_LEAF_CONE_SIDE: {
      auto* side = static_cast<ZmConeSide*>(leaf);
      return modelClump(operation, nothing, both(centred(side->height), step(operation, "cannot create cone", [=] {
                          return RwCone(side->height, side->bottom_radius, roundFacets);
                        })));
    }
    case ZM_LEAF_CYLINDER_SIDE: {
      auto* side = static_cast<ZmCylinderSide*>(leaf);
      return modelClump(operation, nothing, both(centred(side->height), step(operation, "cannot create cylinder", [=] {
                          return RwCylinder(side->height, side->bottom_radius, side->top_radius, roundFacets);
                        })));
    }
    case ZM_LEAF_CONE_BOTTOM:
    case ZM_LEAF_CYLINDER_BOTTOM: {
      auto* circle = static_cast<ZmCircle*>(leaf);
      return disc(-circle->height / 2, -circle->radius);
    }
    case ZM_LEAF_CYLINDER_TOP: {
      auto* circle = static_cast<ZmCircle*>(leaf);
      return disc(circle->height / 2, circle->radius);
    }
    default:
      return nullptr;
  }
}

// The cone and cylinder builders: one clump per leaf of their kinds.
int buildRoundShape(ZmObj* object, const char* operation, bool (*accepts)(int32_t kind)) {
  RwScene* scene = zmRwGetScene(object->world);
  if (scene == nullptr) return -1;
  ScratchWRT wrt(operation, object);
  if (!wrt.ready()) return -1;
  for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
    if (!accepts(leaf->kind)) continue;
    RwClump* clump = roundClump(operation, leaf);
    if (clump == nullptr) return -1;
    if (!finishRoundClump(operation, clump, leaf, object, wrt, scene)) return -1;
  }
  return zmRenderSetObjTexture(object) == 0 ? 0 : -1;
}

// Transform and material of a clump built for the first leaf, then the scene.
int placeAndAdd(const char* operation, RwClump* clump, ZmLeaf* leaf, ZmObj* object, const char* sceneText) {
  if (zmRenderTransformZmShape(leaf) != 0 || zmRenderSetMaterial(leaf) != 0) return -1;
  RwScene* scene = zmRwGetScene(object->world);
  if (scene == nullptr) return -1;
  if (RwAddClumpToScene(scene, clump) == nullptr) {
    report(operation, sceneText);
    return -1;
  }
  return zmRenderSetObjTexture(object) == 0 ? 0 : -1;
}

bool setFaceNormals(const char* operation, RwClump* clump, ZmFace* face, const std::vector<int32_t>& indices) {
  auto setNormal = [&](int32_t j, const ZmVec3& n) {
    if (n.x * n.x + n.y * n.y + n.z * n.z <= minimumNormalLength2) return true;
    RwVector normal = {n.x, n.y, n.z};
    return RwSetVertexNormal(clump, indices[j], &normal) != nullptr ||
           report(operation, "cannot set normal to vertex");
  };
  const int32_t count = face->vertex.count;
  if (face->normalBinding >= 0 && face->normalBinding <= 5) {
    if (face->normal.count <= 0) return true;
    for (int32_t j = 0; j < count; j++)
      if (!setNormal(j, face->normal.values[0])) return false;
    return true;
  }
  if (face->normalBinding == 6 || face->normalBinding == 7) {
    if (face->normal.count != count) {
      // World-file data: the face keeps the normals the engine gives it.
      zmReportWarning("%s : %s", operation, "number of normal vectors isn't equal to number of vertices");
      return true;
    }
    for (int32_t j = 0; j < count; j++)
      if (!setNormal(j, face->normal.values[j])) return false;
    return true;
  }
  return report(operation, "wrong normal binding type");
}

// A polygon needs three corners; a face with fewer is world-file data that
// is warned about and left out.
bool isDrawableFace(const ZmFace* face) { return face->vertex.count >= 3; }

bool isLastDrawableFace(const ZmFace* face) {
  for (const ZmLeaf* later = face->next; later != nullptr; later = later->next)
    if (isDrawableFace(static_cast<const ZmFace*>(later))) return false;
  return true;
}

intptr_t faceTag(ZmFace* face, bool* first) {
  if (face->materialBinding != 0 && face->materialBinding != 1) return 0;
  if (*first) {
    *first = false;
    return 1;
  }
  return isLastDrawableFace(face) ? 3 : 2;
}

bool addFace(const char* operation, RwClump* clump, ZmFace* face, bool* first) {
  const int32_t count = face->vertex.count;
  if (!isDrawableFace(face)) {
    zmReportWarning("%s : %s", operation, "a face has fewer than three vertices");
    return true;
  }
  std::vector<int32_t> indices(count);
  for (int32_t j = 0; j < count; j++) {
    const ZmVec3& v = face->vertex.values[j];
    indices[j] = static_cast<int32_t>(RwAddVertexToClump(clump, v.x, v.y, v.z));
    if (indices[j] == 0) return report(operation, "cannot create vertex");
  }
  if (!setFaceNormals(operation, clump, face, indices)) return false;
  RwPolygon* polygon = RwAddPolygonToClump(clump, count, indices.data());
  if (polygon == nullptr) return report(operation, "cannot add polygon to clump");
  face->rendering = polygon;
  if (RwSetPolygonData(polygon, reinterpret_cast<uintptr_t>(face)) == nullptr)
    return report(operation, "cannot set data to polygon");
  if (RwSetPolygonTag(polygon, static_cast<int16_t>(faceTag(face, first))) == nullptr)
    return report(operation, "cannot set tag to polygon");
  return zmRenderSetMaterial(face) == 0;
}

// A face set that stops while being built may have parked its shared
// material in the clump's tag; the clump never reached the scene.
void discardUnfinishedFaceSet(RwClump* clump, ZmObj* object) {
  if (RwGetClumpData(clump) == 0) zmFree(reinterpret_cast<void*>(RwGetClumpTag(clump)));
  for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) leaf->rendering = nullptr;
  RwDestroyClump(clump);
}

std::string glyphPath(const std::string& directory, char c) {
  char name[16];
  std::snprintf(name, sizeof name, "/fonts/%03d.rwx", static_cast<int>(static_cast<signed char>(c)));
  return directory + name;
}

// The glyph of one character, unplaced; null after its report.
RwClump* readGlyph(const std::string& directory, char c) {
  const std::string path = glyphPath(directory, c);
  RwClump* glyph = RwReadShape(path.c_str());
  if (glyph == nullptr) zmReportWarning("%s : %s (%s)", "zmRwSetAsciiText()", "cannot create ascii text", path.c_str());
  return glyph;
}

// How far a glyph moves the pen along x: its clump tag, in hundredths.
float advanceOf(RwClump* glyph) { return static_cast<float>(RwGetClumpTag(glyph)) / 100.0f; }

// Moves the glyph to (x, y) of the text's plane; false after its report.
bool placeGlyph(RwClump* glyph, float x, float y) {
  const char* operation = "zmRwSetAsciiText()";
  RwMatrix* m = RwPushScratchMatrix();
  if (m == nullptr) return report(operation, "cannot create ascii text");
  const bool moved = RwTranslateMatrix(m, x, y, 0.0f, RwReplace) != nullptr &&
                     RwTransformClump(glyph, m, RwReplace) != nullptr;
  if (RwPopScratchMatrix() == nullptr) report(operation, "cannot pop scratch matrix");
  return moved;
}

// The lines of a text leaf, split at '\n'; an empty text is the one
// character of code 0, whose glyph the glyph files keep for it.
std::vector<std::string> textLines(const ZmAsciiText* text) {
  const std::string characters = text->string ? text->string : "";
  if (characters.empty()) return {std::string(1, '\0')};
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = characters.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(characters.substr(start, end - start));
  lines.push_back(characters.substr(start));
  return lines;
}

// Where a line of the given length starts along x: at the origin (LEFT),
// centred on it (CENTER), or ending at it (RIGHT).
float lineStart(int32_t justification, float length) {
  if (justification == 1) return -length / 2.0f;
  if (justification == 2) return -length;
  return 0.0f;
}

// Reads the glyphs of one line, places them from its justified start on
// the baseline y and adds them to the text's clump; false when a glyph
// cannot be had (the glyphs read are destroyed).
bool addLine(RwClump* parent, const std::string& directory, const std::string& line, int32_t justification, float y) {
  std::vector<RwClump*> glyphs;
  float length = 0.0f;
  for (char c : line) {
    RwClump* glyph = readGlyph(directory, c);
    if (glyph == nullptr) {
      for (RwClump* read : glyphs) RwDestroyClump(read);
      return false;
    }
    glyphs.push_back(glyph);
    length += advanceOf(glyph);
  }
  float x = lineStart(justification, length);
  bool placed = true;
  for (RwClump* glyph : glyphs) {
    placed = placed && placeGlyph(glyph, x, y);
    x += advanceOf(glyph);
    RwAddChildToClump(parent, glyph);
  }
  return placed;
}

// Segment i joins two equal points: world-file data, warned about and left out.
bool isEmptySegment(const ZmLine* line, int32_t i) {
  const ZmVec3& a = line->vertex.values[i];
  const ZmVec3& b = line->vertex.values[i + 1];
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

bool isConeKind(int32_t kind) { return kind == ZM_LEAF_CONE_SIDE || kind == ZM_LEAF_CONE_BOTTOM; }
bool isCylinderKind(int32_t kind) {
  return kind == ZM_LEAF_CYLINDER_SIDE || kind == ZM_LEAF_CYLINDER_BOTTOM || kind == ZM_LEAF_CYLINDER_TOP;
}

}  // namespace

int zmRwSetCone(ZmObj* object) { return buildRoundShape(object, "zmRwSetCone()", isConeKind); }

int zmRwSetCylinder(ZmObj* object) { return buildRoundShape(object, "zmRwSetCylinder()", isCylinderKind); }

int zmRwSetSphere(ZmObj* object) {
  const char* operation = "zmRwSetSphere()";
  ZmLeaf* leaf = object->leaf;
  auto* sphere = static_cast<ZmSphere*>(leaf);
  RwClump* clump = modelClump(operation, nothing, step(operation, "cannot create sphere", [=] {
                                return RwSphere(sphere->radius, sphereSubdivision);
                              }));
  if (clump == nullptr || !linkClump(operation, clump, leaf, object)) return -1;
  return placeAndAdd(operation, clump, leaf, object, "cannot add sphere to the world");
}

int zmRwSetPointSet(ZmObj* object) {
  const char* operation = "zmRwSetPointSet()";
  auto* points = static_cast<ZmPointSet*>(object->leaf);
  RwClump* parent = RwCreateClump(0, 0);
  if (parent == nullptr) {
    report(operation, "cannot create clump");
    return -1;
  }
  for (int32_t i = 0; i < points->vertex.count; i++) {
    const ZmVec3 p = points->vertex.values[i];
    RwClump* marker = modelClump(
        operation, step(operation, "cannot translate CTM", [=] { return RwTranslateCTM(p.x, p.y, p.z); }),
        step(operation, "cannot create point", [] { return RwSphere(pointMarkerRadius, pointMarkerSubdivision); }));
    if (marker == nullptr) return -1;
    if (RwSetClumpTag(marker, i) == nullptr) return report(operation, "cannot set tag to clump"), -1;
    if (RwSetClumpData(marker, reinterpret_cast<uintptr_t>(object)) == nullptr)
      return report(operation, "cannot set data to clump"), -1;
    if (RwAddChildToClump(parent, marker) == nullptr) return report(operation, "cannot add child to clump"), -1;
  }
  if (!isVisible(object)) RwSetClumpState(parent, 1);
  points->rendering = parent;
  if (RwSetClumpTag(parent, reinterpret_cast<intptr_t>(points)) == nullptr)
    return report(operation, "cannot set tag to clump"), -1;
  return placeAndAdd(operation, parent, points, object, "cannot add point set to the world");
}

int zmRwSetFace(ZmObj* object) {
  const char* operation = "zmRwSetFace()";
  // Room for every face's corners at once: growing the vertex array face by
  // face copies it and repoints every polygon again and again.
  intptr_t leafCount = 0, vertexCount = 0;
  for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
    leafCount++;
    vertexCount += std::max(static_cast<ZmFace*>(leaf)->vertex.count, 0);
  }
  RwClump* clump = RwCreateClump(vertexCount, leafCount);
  if (clump == nullptr) return report(operation, "cannot create clump"), -1;
  bool first = true;
  for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
    if (!addFace(operation, clump, static_cast<ZmFace*>(leaf), &first)) {
      discardUnfinishedFaceSet(clump, object);
      return -1;
    }
  }
  if (RwSetClumpTag(clump, reinterpret_cast<intptr_t>(object->leaf)) == nullptr)
    return report(operation, "cannot set tag to clump"), -1;
  if (RwSetClumpData(clump, reinterpret_cast<uintptr_t>(object)) == nullptr)
    return report(operation, "cannot set data to clump"), -1;
  if (zmRenderTransformZmShape(object->leaf) != 0) return -1;
  if (!isVisible(object)) RwSetClumpState(clump, 1);
  RwScene* scene = zmRwGetScene(object->world);
  if (scene == nullptr) return -1;
  if (RwAddClumpToScene(scene, clump) == nullptr) return report(operation, "cannot add face to the world"), -1;
  return zmRenderSetObjTexture(object) == 0 ? 0 : -1;
}

/*
 * zmRwSetAsciiText --
 *   One glyph clump per character, all children of the text's clump. Each
 *   string of the node is a line of its own, the first on the baseline
 *   y = 0 and each next one a line height (one unit, the glyphs' size) times
 *   the spacing below it; along a line the glyphs follow at their advances,
 *   the line starting at x = 0 (LEFT), centred on x = 0 (CENTER) or ending
 *   there (RIGHT).
 * Results:
 *   0, or -1. A missing glyph file is a warning (the glyph shapes may not be
 *   installed): the text is then left out of the scene entirely.
 */
int zmRwSetAsciiText(ZmObj* object) {
  auto* text = static_cast<ZmAsciiText*>(object->leaf);
  RwClump* parent = RwCreateClump(0, 0);
  if (parent == nullptr) return report("zmRwSetAsciiText()", "cannot create ascii text"), -1;
  const std::string directory = platform::programLibraryFolder();
  float baseline = 0.0f;
  for (const std::string& line : textLines(text)) {
    if (!addLine(parent, directory, line, text->justification, baseline)) {
      RwDestroyClump(parent);
      return -1;
    }
    baseline -= textLineHeight * text->spacing;
  }
  const char* operation = "zmRwSetAscii()";
  if (!linkClump(operation, parent, text, object)) return -1;
  return placeAndAdd(operation, parent, text, object, "cannot add ascii to the world");
}

RwClump* zmRwSetLineSegment(ZmLeaf* leaf, int32_t i) {
  const char* operation = "zmRwSetLineSegment()";
  auto* line = static_cast<ZmLine*>(leaf);
  const RwVector a = {line->vertex.values[i].x, line->vertex.values[i].y, line->vertex.values[i].z};
  const RwVector b = {line->vertex.values[i + 1].x, line->vertex.values[i + 1].y, line->vertex.values[i + 1].z};
  RwVector d;
  if (RwSubtractVector(&b, &a, &d) == nullptr) return report(operation, "cannot subtract vector"), nullptr;
  const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  if (length == 0.0f) return report(operation, "the length of the line is zero"), nullptr;
  if (RwNormalize(&d) == nullptr) return report(operation, "cannot normalize vector"), nullptr;
  const RwVector up = {0.0f, 1.0f, 0.0f};
  RwVector axis;
  if (RwCrossProduct(&up, &d, &axis) == nullptr) return report(operation, "cannot calculate cross product"), nullptr;
  double s = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
  s = s > 1.0 ? 1.0 : (s < -1.0 ? -1.0 : s);
  double theta = std::asin(s) * 180.0 / pi;
  if (d.y < 0.0f) theta = 180.0 - theta;
  if (theta == 180.0) axis = {1.0f, 0.0f, 0.0f};
  RwClump* segment = modelClump(
      operation, step(operation, "cannot translate CTM", [=] { return RwTranslateCTM(a.x, a.y, a.z); }), [=] {
        if (theta != 0.0 && !RwRotateCTM(axis.x, axis.y, axis.z, static_cast<float>(theta)))
          return report(operation, "cannot rotate CTM");
        return RwCylinder(length, lineRadius, lineRadius, lineFacets) != 0 || report(operation, "cannot create line");
      });
  if (segment == nullptr) return nullptr;
  if (RwSetClumpTag(segment, i) == nullptr) return report(operation, "cannot set tag to clump"), nullptr;
  if (RwSetClumpData(segment, reinterpret_cast<uintptr_t>(leaf->owner)) == nullptr)
    return report(operation, "cannot set data to clump"), nullptr;
  return segment;
}

int zmRwSetLine(ZmObj* object) {
  const char* operation = "zmRwSetLine()";
  RwScene* scene = zmRwGetScene(object->world);
  if (scene == nullptr) return -1;
  ScratchWRT wrt(operation, object);
  if (!wrt.ready()) return -1;
  for (ZmLeaf* leaf = object->leaf; leaf != nullptr; leaf = leaf->next) {
    RwClump* polyline = RwCreateClump(0, 0);
    if (polyline == nullptr) return report(operation, "cannot create clump"), -1;
    const int32_t points = static_cast<ZmLine*>(leaf)->vertex.count;
    for (int32_t i = 0; i < points - 1; i++) {
      if (isEmptySegment(static_cast<ZmLine*>(leaf), i)) {
        zmReportWarning("%s : %s", "zmRwSetLineSegment()", "the length of the line is zero");
        continue;  // the other segments keep their numbers
      }
      RwClump* segment = zmRwSetLineSegment(leaf, i);
      if (segment == nullptr) return RwDestroyClump(polyline), -1;
      if (RwAddChildToClump(polyline, segment) == nullptr) return report(operation, "cannot add child to clump"), -1;
    }
    if (!isVisible(object)) RwSetClumpState(polyline, 1);
    leaf->rendering = polyline;
    if (RwSetClumpTag(polyline, reinterpret_cast<intptr_t>(leaf)) == nullptr)
      return report(operation, "cannot set tag to clump"), -1;
    if (RwTransformClump(polyline, wrt.matrix(), RwReplace) == nullptr)
      return report(operation, "cannot transform clump"), -1;
    if (zmRenderSetMaterial(leaf) != 0) return -1;
    if (RwAddClumpToScene(scene, polyline) == nullptr) return report(operation, "cannot add polyline to the world"), -1;
  }
  return zmRenderSetObjTexture(object) == 0 ? 0 : -1;
}
