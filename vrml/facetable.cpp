// vrml/facetable.cpp -- the face and line tables.
#include "vrml/facetable.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "core/fields.h"
#include "core/material.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/vecmath.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"

// The words of one table class. Warnings go through zmReportWarning,
// messages through zmReportMessage; a null text means the case is not
// reported by that class.
struct QvTableTexts {
  const char* materialBindingInvalid;      // warning: NONE
  const char* normalBindingInvalid;        // warning: NONE
  const char* materialBindingNoNode;       // message and failure
  const char* normalBindingNoNode;         // message and failure
  const char* shapeHintsNoNode;            // message and failure
  const char* noCoordinate3;               // warning
  const char* coordinate3NoNode;           // message
  const char* noCoordinates;               // warning
  const char* coordsNoMemory;              // message
  const char* normalNoNode;                // warning
  const char* normalsNoMemory;             // message
  const char* materialNoNode;              // warning
  const char* materialsNoMemory;           // message
  const char* defaultMaterialNoMemory;     // message
  const char* texCoordNoNode;              // warning
  const char* texCoordsNoMemory;           // message
  const char* defaultTexCoordNoMemory;     // message
  const char* noPolygons;                  // warning
  const char* polygonsNoMemory;            // message
  const char* verticesNoMemory;            // message
  const char* invalidCoordIndex;           // warning
  const char* unsupportedMaterialBinding;  // warning
  const char* notEnoughMaterials;          // warning
  const char* runOutOfMaterialIndex;       // warning
  const char* noOverallNormal;             // warning
  const char* shortPolygonNormal;          // warning
};

namespace {

constexpr QvTableTexts kFaceTexts = {
    "QvFaceTable::setInfoInQvMaterialBinding(): invalid value.",
    "QvFaceTable::setInfoInQvNormalBinding(): invalid value.",
    nullptr,
    nullptr,
    nullptr,
    "QvFaceTable::setCoords(): no Coordinate3 is defined.",
    "QvFaceTable::setCoords(): (QvCoordinate3 *)pElement->data is null.",
    "QvFaceTable::setCoords(): Coordinate3 has no coordinates.",
    "QvFaceTable::setCoords(): Couldn't allocate memory for coord.",
    "QvFaceTable::setNormals(): (QvNormal *)pElement->data is null.",
    "QvFaceTable::setNormals(): Couldn't allocate memory for norm.",
    "QvFaceTable::setMaterials(): (QvMaterial *)pElement->data is null.",
    "QvFaceTable::setMaterials(): Couldn't allocate memory for mat.",
    "QvFaceTable::setDefaultMaterial(): Couldn't allocate memory for mat.",
    "QvFaceTable::setTexCoords(): (QvTextureCoordinate2 *)pElement->data is null.",
    "QvFaceTable::setTexCoords(): Couldn't allocate memory for texture coords.",
    "QvFaceTable::setDefaultTexCoord(): Couldn't allocate memory for a texture coord.",
    "QvFaceTable::initFaces(): no faces?",
    "QvFaceTable::initFaces(): Couldn't allocate memory for faces.",
    "QvFaceTable::initFace(): Couldn't allocate memory for Vertex.",
    "QvFaceTable::initFace(): invalid coordinate index.",
    "QvFaceTable::setMaterialsOfFacesOrVertices(): non-supported material binding type.",
    "QvFaceTable::setMaterialsPerFaceIndexed(): not enough color info for all faces.",
    "QvFaceTable::setMaterialsPerVertexIndexedInFace(): run out of materialIndex.",
    "QvFaceTable::setNormalsOfFacesOrVertices(): no normal is defined when normalBinding = OVERALL.",
    "QvFaceTable::calcNormalOfFace(): a face has less than three vertices.",
};

constexpr QvTableTexts kLineTexts = {
    "QvLineTable::setInfoInQvMaterialBinding(): Invalid value.",
    "QvLineTable::setInfoInQvNormalBinding(): Invalid value.",
    "QvLineTable::setInfoInQvMaterialBinding(): (QvMaterialBinding *)pElement->data is null.",
    "QvLineTable::setInfoInQvNormalBinding(): (QvNormalBinding *)pElement->data is null.",
    "QvLineTable::setInfoInQvShapeHints(): (QvShapeHints *)pElement->data is null.",
    "QvLineTable::setCoords(): No Coordinate3 is defined.",
    "QvLineTable::setCoords(): (QvCoordinate3 *)pElement->data is null.",
    "QvLineTable::setCoords(): Coordinate3 has no coordinates.",
    "QvLineTable::setCoords(): Couldn't allocate memory for coord.",
    "QvLineTable::setNormals(): (QvNormal *)pElement->data is null.",
    "QvLineTable::setNormals(): Couldn't allocate memory for norm.",
    "QvLineTable::setMaterials(): (QvMaterial *)pElement->data is null.",
    "QvLineTable::setMaterials(): Couldn't allocate memory for mat.",
    "QvLineTable::setDefaultMaterial(): Couldn't allocate memory for mat.",
    "QvLineTable::setTexCoords(): (QvTextureCoordinate2 *)pElement->data is null.",
    "QvLineTable::setTexCoords(): Couldn't allocate memory for texture coords.",
    "QvLineTable::setDefaultTexCoord(): Couldn't allocate memory for a texture coord.",
    "QvLineTable::initLines(): no lines?",
    "QvLineTable::initLines(): Couldn't allocate memory for lines.",
    "QvLineTable::initLine(): Couldn't allocate memory for Vertex.",
    "QvLineTable::initLine(): Invalid coordinate index.",
    "QvLineTable::setMaterialsOfLinesOrVertices(): non-supported material binding type.",
    "QvLineTable::setMaterialsPerLineIndexed(): not enough color info for all lines.",
    "QvLineTable::setMaterialsPerVertexIndexedInLine(): run out of materialIndex.",
    "QvLineTable::setNormalsOfLinesOrVertices(): no normal is defined when normalBinding = OVERALL.",
    "QvLineTable::calcNormalOfLine(): a line has less than three vertices.",
};

void warn(const char* text) { zmReportWarning("%s", text); }
void message(const char* text) { zmReportMessage("%s", text); }

// A binding node's value as a table code; `fallback` for DEFAULT.
int32_t bindingCode(int32_t value, int32_t fallback) {
  switch (value) {
    case QvBinding::OVERALL: return QV_BIND_OVERALL;
    case QvBinding::PER_PART:
    case QvBinding::PER_FACE: return QV_BIND_PER_FACE;
    case QvBinding::PER_PART_INDEXED:
    case QvBinding::PER_FACE_INDEXED: return QV_BIND_PER_FACE_INDEXED;
    case QvBinding::PER_VERTEX: return QV_BIND_PER_VERTEX;
    case QvBinding::PER_VERTEX_INDEXED: return QV_BIND_PER_VERTEX_INDEXED;
    default: return fallback;
  }
}

// An index list left at its default: empty, or starting with -1.
bool isDefaultIndexList(const QvMFLong& list) { return list.num == 0 || list.values[0] == -1; }

template <class T> QvTableArray<T> allocate(int32_t n) {
  static_assert(std::is_trivially_destructible_v<T>, "the arrays are freed without destructors");
  T* items = static_cast<T*>(zmMalloc(sizeof(T) * static_cast<size_t>(std::max(n, 1))));
  if (items != nullptr) std::uninitialized_default_construct_n(items, n);
  return QvTableArray<T>(items);
}

// Copies n tuples of `width` floats; false when memory runs out.
bool copyFloats(const float* source, int32_t n, int width, QvTableArray<float>* out) {
  *out = allocate<float>(n * width);
  if (*out == nullptr) return false;
  std::copy(source, source + n * width, out->get());
  return true;
}

// Element i of a list, its last element past the end, else the fallback.
template <int N> void pick(const QvMFieldOf<float, N>& list, int32_t i, const float* fallback, float* out) {
  const float* source = list.num > 0 ? &list.values[N * std::min(i, list.num - 1)] : fallback;
  std::copy(source, source + N, out);
}

template <class T> T* zmAllocate(int32_t n) { return static_cast<T*>(zmSlabMalloc(n * sizeof(T))); }

void setColor(ZmSFColor* to, const float from[3]) { *to = {from[0], from[1], from[2]}; }

}  // namespace

// ------------------------------------------------------------------ setup

QvGeometryTable::QvGeometryTable(const QvTableTexts& tableTexts) : texts(tableTexts) {}
QvGeometryTable::~QvGeometryTable() {
  zmFree(lastUv);
  if (sharedMaterials == nullptr) return;
  for (int32_t m = 0; m < numMaterials; ++m) zmReleaseMaterialRecord(sharedMaterials[m]);
}

QvFaceTable::QvFaceTable() : QvGeometryTable(kFaceTexts) {}
QvLineTable::QvLineTable() : QvGeometryTable(kLineTexts) {}

int QvGeometryTable::init(QvState* state) {
  const int results[] = {setMaterialBindingFrom(state), setNormalBindingFrom(state), setShapeHintsFrom(state),
                         setCoords(state),   setNormals(state),           setMaterials(state),
                         setTexCoords(state)};
  for (int result : results)
    if (result != 0) return -1;
  return 0;
}

int QvGeometryTable::setMaterialBindingFrom(QvState* state) {
  QvElement* element = state->getTopElement(QV_MATERIAL_BINDING);
  materialBinding = QV_BIND_OVERALL;
  if (element == nullptr) return 0;
  const auto* node = static_cast<const QvMaterialBinding*>(element->node);
  if (node == nullptr) {
    if (texts.materialBindingNoNode == nullptr) return 0;
    message(texts.materialBindingNoNode);
    return -1;
  }
  if (node->value.value == QvBinding::NONE) {
    warn(texts.materialBindingInvalid);
    return 0;
  }
  // DEFAULT is the field's own default: one material for the whole shape.
  materialBinding = bindingCode(node->value.value, QV_BIND_OVERALL);
  return 0;
}

int QvGeometryTable::setNormalBindingFrom(QvState* state) {
  QvElement* element = state->getTopElement(QV_NORMAL_BINDING);
  normalBinding = QV_BIND_PER_VERTEX_INDEXED;
  if (element == nullptr) return 0;
  const auto* node = static_cast<const QvNormalBinding*>(element->node);
  if (node == nullptr) {
    if (texts.normalBindingNoNode == nullptr) return 0;
    message(texts.normalBindingNoNode);
    return -1;
  }
  if (node->value.value == QvBinding::NONE) {
    warn(texts.normalBindingInvalid);
    return 0;
  }
  normalBinding = bindingCode(node->value.value, QV_BIND_PER_VERTEX_INDEXED);
  return 0;
}

// shapeType and creaseAngle play no part: nothing is smoothed.
int QvGeometryTable::setShapeHintsFrom(QvState* state) {
  QvElement* element = state->getTopElement(QV_SHAPE_HINTS);
  if (element == nullptr) return 0;
  const auto* node = static_cast<const QvShapeHints*>(element->node);
  if (node == nullptr) {
    if (texts.shapeHintsNoNode == nullptr) return 0;
    message(texts.shapeHintsNoNode);
    return -1;
  }
  clockwise = node->vertexOrdering.value == QvShapeHints::CLOCKWISE ? 1 : 0;
  convex = node->faceType.value == QvShapeHints::CONVEX ? 1 : 0;
  return 0;
}

int QvGeometryTable::setCoords(QvState* state) {
  QvElement* element = state->getTopElement(QV_COORDINATE3);
  if (element == nullptr) {
    warn(texts.noCoordinate3);
    return -1;
  }
  const auto* node = static_cast<const QvCoordinate3*>(element->node);
  if (node == nullptr) {
    message(texts.coordinate3NoNode);
    return -1;
  }
  if (node->point.num <= 0) {
    warn(texts.noCoordinates);
    return -1;
  }
  if (!copyFloats(node->point.values, node->point.num, 3, &coords)) {
    message(texts.coordsNoMemory);
    return -5;
  }
  numCoords = node->point.num;
  return 0;
}

int QvGeometryTable::setNormals(QvState* state) {
  QvElement* element = state->getTopElement(QV_NORMAL);
  if (element == nullptr) return 0;
  const auto* node = static_cast<const QvNormal*>(element->node);
  if (node == nullptr) {
    warn(texts.normalNoNode);
    return 0;
  }
  if (node->vector.num <= 0) return 0;
  if (!copyFloats(node->vector.values, node->vector.num, 3, &normals)) {
    message(texts.normalsNoMemory);
    return -5;
  }
  numNormals = node->vector.num;
  return 0;
}

int QvGeometryTable::setMaterials(QvState* state) {
  QvElement* element = state->getTopElement(QV_MATERIAL);
  if (element == nullptr) return setDefaultMaterial();
  const auto* node = static_cast<const QvMaterial*>(element->node);
  if (node == nullptr) {
    warn(texts.materialNoNode);
    return setDefaultMaterial();
  }
  int32_t count = std::max({node->ambientColor.num, node->diffuseColor.num, node->specularColor.num,
                            node->emissiveColor.num, node->shininess.num, node->transparency.num, 1});
  materials = allocate<Material>(count);
  if (materials == nullptr) {
    message(texts.materialsNoMemory);
    return -5;
  }
  numMaterials = count;
  const Material defaults;
  for (int32_t i = 0; i < count; ++i) {
    Material& m = materials[i];
    pick(node->ambientColor, i, defaults.ambient, m.ambient);
    pick(node->diffuseColor, i, defaults.diffuse, m.diffuse);
    pick(node->specularColor, i, defaults.specular, m.specular);
    pick(node->emissiveColor, i, defaults.emissive, m.emissive);
    pick(node->shininess, i, &defaults.shininess, &m.shininess);
    pick(node->transparency, i, &defaults.transparency, &m.transparency);
  }
  return 0;
}

int QvGeometryTable::setDefaultMaterial() {
  materials = allocate<Material>(1);
  if (materials == nullptr) {
    message(texts.defaultMaterialNoMemory);
    return -5;
  }
  numMaterials = 1;
  return 0;
}

int QvGeometryTable::setTexCoords(QvState* state) {
  QvElement* element = state->getTopElement(QV_TEXTURE_COORDINATE2);
  if (element == nullptr) return setDefaultTexCoord();
  const auto* node = static_cast<const QvTextureCoordinate2*>(element->node);
  if (node == nullptr) {
    warn(texts.texCoordNoNode);
    return setDefaultTexCoord();
  }
  if (node->point.num <= 0) return setDefaultTexCoord();
  if (!copyFloats(node->point.values, node->point.num, 2, &texCoords)) {
    message(texts.texCoordsNoMemory);
    return -5;
  }
  numTexCoords = node->point.num;
  return 0;
}

int QvGeometryTable::setDefaultTexCoord() {
  texCoords = allocate<float>(2);
  if (texCoords == nullptr) {
    message(texts.defaultTexCoordNoMemory);
    return -5;
  }
  texCoords[0] = texCoords[1] = 0;
  numTexCoords = 1;
  return 0;
}

int QvGeometryTable::build(QvState* state, const QvIndexLists& lists, const char* const stepFailures[5]) {
  int result = init(state);
  int step = 0;
  if (result == 0 && (result = initPolygons(lists)) != 0) step = 1;
  if (result == 0 && (result = setMaterialsOfPolygonsOrVertices(lists)) != 0) step = 2;
  if (result == 0 && (result = setNormalsOfPolygonsOrVertices(lists)) != 0) step = 3;
  if (result == 0 && (result = setTexCoordIndices(lists)) != 0) step = 4;
  if (result != 0) warn(stepFailures[step]);
  return result;
}

// --------------------------------------------------------------- splitting

int32_t countPolygons(const QvMFLong& coordIndex) {
  int32_t count = 0;
  for (int32_t i = 0; i < coordIndex.num; ++i)
    if (coordIndex.values[i] == -1) ++count;
  if (coordIndex.num > 0 && coordIndex.values[coordIndex.num - 1] != -1) ++count;
  return count;
}

int32_t countVerticesAt(const QvMFLong& coordIndex, int32_t position) {
  int32_t end = position;
  while (end < coordIndex.num && coordIndex.values[end] != -1) ++end;
  return end - position;
}

int QvGeometryTable::initPolygons(const QvIndexLists& lists) {
  coordIndex = &lists.coordIndex;
  textureCoordIndex = &lists.textureCoordIndex;
  numPolygons = countPolygons(*coordIndex);
  if (numPolygons == 0) {
    warn(texts.noPolygons);
    return 0;
  }
  polygons = allocate<Polygon>(numPolygons);
  if (polygons == nullptr) {
    numPolygons = 0;
    message(texts.polygonsNoMemory);
    return -5;
  }
  int32_t position = 0;
  for (int32_t f = 0; f < numPolygons && position < coordIndex->num; ++f) {
    int32_t n = countVerticesAt(*coordIndex, position);
    if (n < 3 && isFaceTable())
      zmReportWarning("%s: %d %s", "QvFaceTable::initFaces()", n, "found a face with less than three vertices.");
    Polygon& polygon = polygons[f];
    polygon.start = position;
    polygon.numVertices = n;
    checkCoordIndices(polygon);
    position += n + 1;
  }
  return 0;
}

void QvGeometryTable::checkCoordIndices(const Polygon& polygon) {
  for (int32_t i = 0; i < polygon.numVertices; ++i)
    if (coordOf(polygon, i) < 0) warn(texts.invalidCoordIndex);
}

int32_t QvGeometryTable::coordOf(const Polygon& polygon, int32_t i) const {
  int32_t k = coordIndex->values[positionOf(polygon, i)];
  return k >= 0 && k < numCoords ? k : -1;
}

int32_t QvGeometryTable::ownOffset(const Polygon& polygon, int32_t i) const {
  return clockwise ? polygon.numVertices - 1 - i : i;
}

// ---------------------------------------------------------------- materials

int QvGeometryTable::setMaterialsOfPolygonsOrVertices(const QvIndexLists& lists) {
  const bool defaultList = isDefaultIndexList(lists.materialIndex);
  switch (materialBinding) {
    case QV_BIND_OVERALL: return 0;
    case QV_BIND_PER_FACE_INDEXED:
      if (!defaultList) {
        setMaterialsPerFaceIndexed(lists.materialIndex);
        return 0;
      }
      [[fallthrough]];  // the default list means the faces in order
    case QV_BIND_PER_FACE:
      for (int32_t f = 0; f < numPolygons; ++f) polygons[f].materialIndex = f;
      materialBinding = QV_BIND_PER_FACE_INDEXED;
      return 0;
    case QV_BIND_PER_VERTEX:
      materialBinding = QV_BIND_PER_VERTEX_INDEXED;
      return setMaterialsPerVertex();
    case QV_BIND_PER_VERTEX_INDEXED:
      // The default list means the coordinate indices themselves.
      return setMaterialsPerVertexIndexed(defaultList ? lists.coordIndex : lists.materialIndex);
    default: warn(texts.unsupportedMaterialBinding); return -1;
  }
}

// A list shorter than the faces is read round again, after one warning.
void QvGeometryTable::setMaterialsPerFaceIndexed(const QvMFLong& materialIndex) {
  if (numPolygons > materialIndex.num) warn(texts.notEnoughMaterials);
  for (int32_t f = 0; f < numPolygons; ++f) polygons[f].materialIndex = materialIndex.values[f % materialIndex.num];
}

// Vertices are numbered in file order across polygons, separators left out.
int QvGeometryTable::setMaterialsPerVertex() {
  if (!allocateVertexMaterials()) return -5;
  int32_t running = 0;
  for (int32_t f = 0; f < numPolygons; ++f) {
    Polygon& polygon = polygons[f];
    for (int32_t i = 0; i < polygon.numVertices; ++i)
      vertexMaterials[positionOf(polygon, i)] = running + ownOffset(polygon, i);
    running += polygon.numVertices;
  }
  return 0;
}

// Each vertex takes the entry at its own position in coordIndex; a list that
// ends before the last vertex is read round again, after one warning.
int QvGeometryTable::setMaterialsPerVertexIndexed(const QvMFLong& materialIndex) {
  if (!allocateVertexMaterials()) return -5;
  bool warned = false;
  for (int32_t f = 0; f < numPolygons; ++f) {
    Polygon& polygon = polygons[f];
    if (!warned && polygon.start + polygon.numVertices > materialIndex.num) {
      warn(texts.runOutOfMaterialIndex);
      warned = true;
    }
    for (int32_t i = 0; i < polygon.numVertices; ++i) {
      int32_t position = positionOf(polygon, i);
      vertexMaterials[position] = materialIndex.values[position % materialIndex.num];
    }
  }
  return 0;
}

bool QvGeometryTable::allocateVertexMaterials() {
  vertexMaterials = allocate<int32_t>(std::max(coordIndex->num, 1));
  if (vertexMaterials == nullptr) message(texts.verticesNoMemory);
  return vertexMaterials != nullptr;
}

const QvGeometryTable::Material& QvGeometryTable::getMaterial(int32_t index) const {
  return materials[index < 0 ? 0 : index % numMaterials];
}

// ------------------------------------------------------------------ normals

int QvGeometryTable::setNormalsOfPolygonsOrVertices(const QvIndexLists& lists) {
  switch (normalBinding) {
    case QV_BIND_OVERALL:
      if (numNormals > 0) return 0;
      warn(texts.noOverallNormal);
      return -1;
    case QV_BIND_PER_FACE: {
      int result = setNormalsPerFace();
      normalBinding = QV_BIND_PER_FACE_INDEXED;
      return result;
    }
    case QV_BIND_PER_FACE_INDEXED: return setNormalsPerFaceIndexed(lists.normalIndex);
    case QV_BIND_PER_VERTEX:
      normalBinding = QV_BIND_PER_VERTEX_INDEXED;
      return setNormalsPerVertex(lists.normalIndex, false);
    default: return setNormalsPerVertex(lists.normalIndex, true);
  }
}

int QvGeometryTable::setNormalsPerFace() {
  int result = 0;
  for (int32_t f = 0; f < numPolygons; ++f) {
    Polygon& polygon = polygons[f];
    if (f < numNormals) {
      polygon.normal = f;
    } else if (!checkCalculableNormal(polygon)) {
      result = -1;
    }
  }
  return result;
}

int QvGeometryTable::setNormalsPerFaceIndexed(const QvMFLong& normalIndex) {
  int result = 0;
  for (int32_t f = 0; f < numPolygons; ++f) {
    Polygon& polygon = polygons[f];
    if (f < normalIndex.num) {
      int32_t k = normalIndex.values[f];
      if (k >= 0 && k < numNormals) {
        polygon.normal = k;
      } else {
        checkCalculableNormal(polygon);  // a failure here leaves (0, 0, 0) and is not counted
      }
    } else if (!checkCalculableNormal(polygon)) {
      result = -1;
    }
  }
  return result;
}

// Polygons that start inside normalIndex take the listed normals: by the
// vertex's own position (PER_VERTEX) or through the index found there
// (PER_VERTEX_INDEXED); every other vertex its polygon's calculated normal.
int QvGeometryTable::setNormalsPerVertex(const QvMFLong& normalIndex, bool indexed) {
  // Without a normal list no vertex can name one: nothing is kept by vertex.
  if (numNormals > 0) {
    vertexNormals = allocate<int32_t>(std::max(coordIndex->num, 1));
    if (vertexNormals == nullptr) {
      message(texts.verticesNoMemory);
      return -5;
    }
  }
  for (int32_t f = 0; f < numPolygons; ++f) {
    Polygon& polygon = polygons[f];
    bool listed = polygon.start < normalIndex.num;
    bool calculated = false;
    for (int32_t i = 0; i < polygon.numVertices; ++i) {
      int32_t position = positionOf(polygon, i);
      int32_t k = -1;
      if (listed && !indexed) k = position < numNormals ? position : -1;
      if (listed && indexed && position < normalIndex.num) k = normalIndex.values[position];
      bool named = k >= 0 && k < numNormals;
      if (vertexNormals != nullptr) vertexNormals[position] = named ? k : -1;
      if (named || calculated) continue;
      checkCalculableNormal(polygon);
      calculated = true;
    }
  }
  return 0;
}

const float* QvGeometryTable::vertexNormalOf(const Polygon& polygon, int32_t i, const float* calculated) const {
  int32_t k = vertexNormals != nullptr ? vertexNormals[positionOf(polygon, i)] : -1;
  return k >= 0 ? normalAt(k) : calculated;
}

bool QvFaceTable::checkCalculableNormal(const Polygon& face) const {
  if (countUsableVertices(face) >= 3) return true;
  warn(texts.shortPolygonNormal);
  return false;
}

void QvFaceTable::calcNormal(const Polygon& face, float out[3]) const {
  ZmVec3 corners[3];
  int found = 0;
  for (int32_t i = 0; i < face.numVertices && found < 3; ++i) {
    int32_t k = coordOf(face, i);
    if (k >= 0) corners[found++] = {coords[3 * k], coords[3 * k + 1], coords[3 * k + 2]};
  }
  ZmVec3 normal = {0, 0, 0};
  if (found == 3) zmCalcPolygonNormal(&corners[0], &corners[1], &corners[2], &normal);
  out[0] = normal.x;
  out[1] = normal.y;
  out[2] = normal.z;
}

bool QvLineTable::checkCalculableNormal(const Polygon& line) const {
  if (line.numVertices < 2) warn(texts.shortPolygonNormal);
  return true;
}

void QvLineTable::calcNormal(const Polygon&, float out[3]) const { out[0] = out[1] = out[2] = 1; }

// ------------------------------------------------------ texture coordinates

int QvGeometryTable::setTexCoordIndices(const QvIndexLists& lists) {
  useTexCoordIndices = lists.textureCoordIndex.num > 0 && lists.textureCoordIndex.values[0] != -1;
  return 0;
}

int32_t QvGeometryTable::texCoordIndexOf(const Polygon& polygon, int32_t i) const {
  int32_t position = positionOf(polygon, i);
  int32_t t = position < textureCoordIndex->num ? textureCoordIndex->values[position] : -1;
  return t >= 0 && t < numTexCoords ? t : 0;
}

int32_t QvGeometryTable::clampTexCoord(int32_t index) const { return std::clamp(index, 0, numTexCoords - 1); }

// -------------------------------------------------------- what leaves get

int32_t QvGeometryTable::countUsableVertices(const Polygon& polygon) const {
  int32_t usable = 0;
  for (int32_t i = 0; i < polygon.numVertices; ++i)
    if (coordOf(polygon, i) >= 0) ++usable;
  return usable;
}

bool QvGeometryTable::makesLeaf(const Polygon& polygon) const {
  return countUsableVertices(polygon) >= (isFaceTable() ? 3 : 1);
}

ZmSFVec2f QvGeometryTable::uvOf(const Polygon& polygon, int32_t i, int32_t k) const {
  int32_t t = clampTexCoord(useTexCoordIndices ? texCoordIndexOf(polygon, i) : k);
  return {texCoords[2 * t], texCoords[2 * t + 1]};
}

bool QvGeometryTable::repeatsLastUv(const Polygon& polygon, int32_t n) const {
  if (lastUv == nullptr || n != lastUvCount) return false;
  const ZmSFVec2f* last = lastUv;
  for (int32_t i = 0; i < polygon.numVertices; ++i) {
    int32_t k = coordOf(polygon, i);
    if (k < 0) continue;
    const ZmSFVec2f pair = uvOf(polygon, i, k);
    if (std::memcmp(&pair, last++, sizeof pair) != 0) return false;
  }
  return true;
}

void QvGeometryTable::fillUv(const Polygon& polygon, ZmMFVec2f* uv, const char* failText) {
  // Lists up to this many pairs are offered to the next polygon: they are
  // carved from the slab, where a share costs no copy.
  constexpr int32_t kLargestSharedUv = 16;
  int32_t n = countUsableVertices(polygon);
  zmFree(uv->values);
  *uv = {};
  if (repeatsLastUv(polygon, n)) {
    uv->values = static_cast<ZmSFVec2f*>(zmShareBlock(lastUv, n * sizeof(ZmSFVec2f)));
    if (uv->values != nullptr) {
      uv->count = n;
      return;
    }
  }
  uv->values = zmAllocate<ZmSFVec2f>(n);
  if (uv->values == nullptr) {
    message(failText);
    return;
  }
  uv->count = n;
  ZmSFVec2f* out = uv->values;
  for (int32_t i = 0; i < polygon.numVertices; ++i) {
    int32_t k = coordOf(polygon, i);
    if (k >= 0) *out++ = uvOf(polygon, i, k);
  }
  zmFree(lastUv);
  lastUv = nullptr;
  if (n > kLargestSharedUv) return;
  lastUv = static_cast<ZmSFVec2f*>(zmShareBlock(uv->values, n * sizeof(ZmSFVec2f)));
  lastUvCount = lastUv != nullptr ? n : 0;
}

namespace {

// Points `values` at n new entries; false when memory runs out. Each list is
// set through its own type: a void** over the typed pointers would alias
// them, which optimised builds assume never happens.
template <typename Element>
bool allocateList(Element*& values, int32_t n) {
  values = static_cast<Element*>(zmSlabMalloc(n * sizeof(Element)));
  return values != nullptr;
}

// Gives the material n entries in each of its seven lists; false (the
// material left empty) when memory runs out.
bool initZmMaterial(ZmMaterial* material, int32_t n, const char* fn) {
  zmDeleteMaterial(material);
  zmInitMaterial(material);
  const char* failure = nullptr;
  if (!allocateList(material->ambient_color.values, n)) {
    failure = "Couldn't allocate memory for zmMat.ambient_color.colors.";
  } else if (!allocateList(material->diffuse_color.values, n)) {
    failure = "Couldn't allocate memory for zmMat.diffuse_color.colors.";
  } else if (!allocateList(material->specular_color.values, n)) {
    failure = "Couldn't allocate memory for zmMat.specular_color.colors.";
  } else if (!allocateList(material->emmisive_color.values, n)) {
    failure = "Couldn't allocate memory for zmMat.emissive_color.colors.";
  } else if (!allocateList(material->shininess.values, n)) {
    failure = "Couldn't allocate memory for zmMat.shininess.scalars.";
  } else if (!allocateList(material->transparency.values, n)) {
    failure = "Couldn't allocate memory for zmMat.transparency.scalars.";
  } else if (!allocateList(material->specularpower.values, n)) {
    failure = "Couldn't allocate memory for zmMat.specularpower.scalars.";
  }
  if (failure != nullptr) {
    zmReportMessage("%s: %s", fn, failure);
    zmDeleteMaterial(material);  // the counts are still 0: no list is warned about
    zmInitMaterial(material);
    return false;
  }
  material->count = n;
  for (int32_t* count : {&material->ambient_color.count, &material->diffuse_color.count,
                         &material->specular_color.count, &material->emmisive_color.count,
                         &material->shininess.count, &material->transparency.count,
                         &material->specularpower.count})
    *count = n;
  return true;
}

void copyMaterial(const QvGeometryTable::Material& from, ZmMaterial* to, int32_t i) {
  setColor(&to->ambient_color.values[i], from.ambient);
  setColor(&to->diffuse_color.values[i], from.diffuse);
  setColor(&to->specular_color.values[i], from.specular);
  setColor(&to->emmisive_color.values[i], from.emissive);
  to->shininess.values[i] = from.shininess;
  to->transparency.values[i] = from.transparency;
  to->specularpower.values[i] = from.specularPower;
}

}  // namespace

void QvGeometryTable::fillMaterial(const Polygon& polygon, ZmShape* leaf, const char* fn) {
  if (materialBinding != QV_BIND_PER_VERTEX_INDEXED) {
    const ZmMaterial* shared = sharedMaterial(materialBinding == QV_BIND_PER_FACE_INDEXED ? polygon.materialIndex : 0, fn);
    if (shared != nullptr && zmSetLeafMaterialRecord(leaf, shared) != 0)
      zmReportMessage("%s: %s", fn, "Couldn't allocate memory for zmMat.ambient_color.colors.");
    return;
  }
  ZmMaterial* material = zmOwnLeafMaterial(leaf);
  if (material == nullptr) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for zmMat.ambient_color.colors.");
    return;
  }
  if (!initZmMaterial(material, countUsableVertices(polygon), fn)) return;
  int32_t entry = 0;
  for (int32_t i = 0; i < polygon.numVertices; ++i)
    if (coordOf(polygon, i) >= 0) copyMaterial(getMaterial(vertexMaterials[positionOf(polygon, i)]), material, entry++);
}

const ZmMaterial* QvGeometryTable::sharedMaterial(int32_t index, const char* fn) {
  auto outOfMemory = [fn]() -> const ZmMaterial* {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for zmMat.ambient_color.colors.");
    return nullptr;
  };
  if (sharedMaterials == nullptr) {
    sharedMaterials = allocate<ZmMaterial*>(numMaterials);
    if (sharedMaterials == nullptr) return outOfMemory();
    std::fill_n(sharedMaterials.get(), numMaterials, nullptr);
  }
  int32_t record = index < 0 ? 0 : index % numMaterials;
  ZmMaterial*& material = sharedMaterials[record];
  if (material == nullptr) {
    material = zmNewMaterialRecord();
    if (material == nullptr) return outOfMemory();
    if (!initZmMaterial(material, 1, fn)) {
      zmReleaseMaterialRecord(material);
      material = nullptr;
      return nullptr;
    }
    copyMaterial(materials[record], material, 0);
  }
  return material;
}

void QvGeometryTable::fillNormals(const Polygon& polygon, ZmMFVec3f* list, const char* failText) const {
  bool perVertex = normalBinding == QV_BIND_PER_VERTEX_INDEXED;
  int32_t n = perVertex ? countUsableVertices(polygon) : 1;
  list->values = zmAllocate<ZmSFVec3f>(n);
  if (list->values == nullptr) {
    message(failText);
    return;
  }
  list->count = n;
  auto put = [](ZmSFVec3f* to, const float* from) { *to = {from[0], from[1], from[2]}; };
  float calculated[3] = {0, 0, 0};
  const bool listed = normalBinding == QV_BIND_OVERALL || (!perVertex && polygon.normal >= 0);
  if (!listed) calcNormal(polygon, calculated);
  if (!perVertex) {
    put(list->values, !listed ? calculated : normalAt(normalBinding == QV_BIND_OVERALL ? 0 : polygon.normal));
    return;
  }
  ZmSFVec3f* out = list->values;
  for (int32_t i = 0; i < polygon.numVertices; ++i)
    if (coordOf(polygon, i) >= 0) put(out++, vertexNormalOf(polygon, i, calculated));
}

void QvGeometryTable::fillVertices(const Polygon& polygon, ZmMFVec3f* list, const char* failText) const {
  int32_t n = countUsableVertices(polygon);
  list->values = zmAllocate<ZmSFVec3f>(n);
  if (list->values == nullptr) {
    message(failText);
    return;
  }
  list->count = n;
  ZmSFVec3f* out = list->values;
  for (int32_t i = 0; i < polygon.numVertices; ++i) {
    int32_t k = coordOf(polygon, i);
    if (k >= 0) *out++ = {coords[3 * k], coords[3 * k + 1], coords[3 * k + 2]};
  }
}
