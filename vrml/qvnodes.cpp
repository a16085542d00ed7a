// vrml/qvnodes.cpp -- fields, defaults and enumerations of every node class,
// the node-type registry, and the reading and accessors that some classes
// add.
#include "vrml/qvnodes.h"

#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "vrml/qvinput.h"
#include "vrml/session.h"

#define QV_NODE_SOURCE(className, typeText)                                 \
  QvFieldData* className::fieldData = nullptr;                              \
  bool className::firstInstance = true;                                     \
  QvFieldData* className::getFieldData() const { return ownOr(fieldData); } \
  const char* className::getTypeName() const { return typeText; }           \
  className::~className() = default;

#define QV_BEGIN() const bool first = beginClass(fieldData, firstInstance)
#define QV_FIELD(member) registerField(fieldData, first, #member, &member)

namespace {

void set(QvSFVec2f& f, float x, float y) { f.value[0] = x, f.value[1] = y; }
void set(QvSFVec3f& f, float x, float y, float z) { f.value[0] = x, f.value[1] = y, f.value[2] = z; }
void set(QvSFColor& f, float r, float g, float b) { f.value[0] = r, f.value[1] = g, f.value[2] = b; }
void set(QvSFRotation& f, float x, float y, float z, float angle) {
  f.axis[0] = x, f.axis[1] = y, f.axis[2] = z, f.angle = angle;
}
// The default first element of a list. When the list's block could not be
// had (reported by the list), the list stays empty.
template <class F, class T> void setFirst(F& list, std::initializer_list<T> values) {
  if (list.values == nullptr) return;
  int i = 0;
  for (T v : values) list.values[i++] = v;
}

constexpr float kQuarterPi = 0.785398f;

constexpr QvEnumValue kConeParts[] = {{"SIDES", QvCone::SIDES}, {"BOTTOM", QvCone::BOTTOM}, {"ALL", QvCone::ALL}};
constexpr QvEnumValue kCylinderParts[] = {
    {"SIDES", QvCylinder::SIDES}, {"TOP", QvCylinder::TOP}, {"BOTTOM", QvCylinder::BOTTOM}, {"ALL", QvCylinder::ALL}};
constexpr QvEnumValue kJustification[] = {
    {"LEFT", QvAsciiText::LEFT}, {"CENTER", QvAsciiText::CENTER}, {"RIGHT", QvAsciiText::RIGHT}};
constexpr QvEnumValue kBinding[] = {
    {"DEFAULT", QvBinding::DEFAULT}, {"NONE", QvBinding::NONE}, {"OVERALL", QvBinding::OVERALL},
    {"PER_PART", QvBinding::PER_PART}, {"PER_PART_INDEXED", QvBinding::PER_PART_INDEXED},
    {"PER_FACE", QvBinding::PER_FACE}, {"PER_FACE_INDEXED", QvBinding::PER_FACE_INDEXED},
    {"PER_VERTEX", QvBinding::PER_VERTEX}, {"PER_VERTEX_INDEXED", QvBinding::PER_VERTEX_INDEXED}};
constexpr QvEnumValue kVertexOrdering[] = {{"UNKNOWN_ORDERING", QvShapeHints::UNKNOWN_ORDERING},
                                           {"CLOCKWISE", QvShapeHints::CLOCKWISE},
                                           {"COUNTERCLOCKWISE", QvShapeHints::COUNTERCLOCKWISE}};
constexpr QvEnumValue kShapeType[] = {{"UNKNOWN_SHAPE_TYPE", QvShapeHints::UNKNOWN_SHAPE_TYPE},
                                      {"SOLID", QvShapeHints::SOLID}};
constexpr QvEnumValue kFaceType[] = {{"UNKNOWN_FACE_TYPE", QvShapeHints::UNKNOWN_FACE_TYPE},
                                     {"CONVEX", QvShapeHints::CONVEX}};
constexpr QvEnumValue kWrap[] = {{"REPEAT", QvWrap::REPEAT}, {"CLAMP", QvWrap::CLAMP}};
constexpr QvEnumValue kCullEnabled[] = {
    {"ON", QvSeparator::ON}, {"OFF", QvSeparator::OFF}, {"AUTO", QvSeparator::AUTO}};
constexpr QvEnumValue kMap[] = {{"NONE", QvWWWAnchor::NONE}, {"POINT", QvWWWAnchor::POINT}};
constexpr QvEnumValue kScriptType[] = {
    {"UNKNOWN_SCRIPT", QvScriptType::UNKNOWN_SCRIPT}, {"PYTHON", QvScriptType::PYTHON},
    {"TCL", QvScriptType::TCL}, {"JAVA", QvScriptType::JAVA}, {"VB", QvScriptType::VB},
    {"C", QvScriptType::C}, {"INLINE", QvScriptType::INLINE}};
constexpr QvEnumValue kEventType[] = {
    {"NOEVENT", 0x0},           {"KEY_DOWN", 0x1},         {"KEY_UP", 0x2},
    {"COLLISION", 0x4},         {"LEFT_BUTTON_UP", 0x8},   {"LEFT_BUTTON_DOWN", 0x10},
    {"MIDDLE_BUTTON_UP", 0x20}, {"MIDDLE_BUTTON_DOWN", 0x40}, {"RIGHT_BUTTON_UP", 0x80},
    {"RIGHT_BUTTON_DOWN", 0x100}, {"BUTTON_UP", 0xA8},     {"BUTTON_DOWN", 0x150},
    {"BUTTON", 0x1F8},          {"WORLD_IN", 0x200},       {"WORLD_OUT", 0x400},
    {"CREATE_NOTIFY", 0x800},   {"DELETE_NOTIFY", 0x1000}, {"TIME_OUT", 0x2000},
    {"KEY", 0x3},               {"GRAB", 0x20000},         {"RELEASE", 0x40000},
    {"FRAME", 0x4000},          {"DRAG", 0x8000},          {"PICK", 0x10000},
    {"CREATE_WORLD", 0x80000},  {"DELETE_WORLD", 0x200000}};

}  // namespace

// -------------------------------------------------------- primitive shapes

QV_NODE_SOURCE(QvCube, "Cube")
QvCube::QvCube() {
  QV_BEGIN();
  QV_FIELD(width), QV_FIELD(height), QV_FIELD(depth);
  width.value = height.value = depth.value = 2.0f;
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvCone, "Cone")
QvCone::QvCone() {
  QV_BEGIN();
  QV_FIELD(parts), QV_FIELD(bottomRadius), QV_FIELD(height);
  parts.value = ALL;
  bottomRadius.value = 1.0f;
  height.value = 2.0f;
  registerEnums(fieldData, first, "Part", kConeParts, {&parts});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvCylinder, "Cylinder")
QvCylinder::QvCylinder() {
  QV_BEGIN();
  QV_FIELD(parts), QV_FIELD(radius), QV_FIELD(height);
  parts.value = ALL;
  radius.value = 1.0f;
  height.value = 2.0f;
  registerEnums(fieldData, first, "Part", kCylinderParts, {&parts});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvSphere, "Sphere")
QvSphere::QvSphere() {
  QV_BEGIN();
  QV_FIELD(radius);
  radius.value = 1.0f;
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvPointSet, "PointSet")
QvPointSet::QvPointSet() {
  QV_BEGIN();
  QV_FIELD(startIndex), QV_FIELD(numPoints);
  startIndex.value = 0;
  numPoints.value = -1;
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvIndexedFaceSet, "IndexedFaceSet")
QvIndexedFaceSet::QvIndexedFaceSet() {
  QV_BEGIN();
  QV_FIELD(coordIndex), QV_FIELD(materialIndex), QV_FIELD(normalIndex), QV_FIELD(textureCoordIndex);
  setFirst(coordIndex, {0});
  for (QvMFLong* list : {&materialIndex, &normalIndex, &textureCoordIndex}) setFirst(*list, {-1});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvIndexedLineSet, "IndexedLineSet")
QvIndexedLineSet::QvIndexedLineSet() {
  QV_BEGIN();
  QV_FIELD(coordIndex), QV_FIELD(materialIndex), QV_FIELD(normalIndex), QV_FIELD(textureCoordIndex);
  setFirst(coordIndex, {0});
  for (QvMFLong* list : {&materialIndex, &normalIndex, &textureCoordIndex}) setFirst(*list, {-1});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvAsciiText, "AsciiText")
QvAsciiText::QvAsciiText() {
  QV_BEGIN();
  QV_FIELD(string), QV_FIELD(spacing), QV_FIELD(justification), QV_FIELD(width);
  spacing.value = 1.0f;
  justification.value = LEFT;
  width.value = 0.0f;
  registerEnums(fieldData, first, "Justification", kJustification, {&justification});
  isBuiltIn = true;
}

// ------------------------------------------------- geometry property nodes

QV_NODE_SOURCE(QvCoordinate3, "Coordinate3")
QvCoordinate3::QvCoordinate3() {
  QV_BEGIN();
  QV_FIELD(point);
  setFirst(point, {0, 0, 0});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvNormal, "Normal")
QvNormal::QvNormal() {
  QV_BEGIN();
  QV_FIELD(vector);
  setFirst(vector, {0, 0, 1});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvTextureCoordinate2, "TextureCoordinate2")
QvTextureCoordinate2::QvTextureCoordinate2() {
  QV_BEGIN();
  QV_FIELD(point);
  setFirst(point, {0, 0});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvMaterialBinding, "MaterialBinding")
QvMaterialBinding::QvMaterialBinding() {
  QV_BEGIN();
  QV_FIELD(value);
  value.value = QvBinding::DEFAULT;
  registerEnums(fieldData, first, "Binding", kBinding, {&value});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvNormalBinding, "NormalBinding")
QvNormalBinding::QvNormalBinding() {
  QV_BEGIN();
  QV_FIELD(value);
  value.value = QvBinding::DEFAULT;
  registerEnums(fieldData, first, "Binding", kBinding, {&value});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvMaterial, "Material")
QvMaterial::QvMaterial() {
  QV_BEGIN();
  QV_FIELD(ambientColor), QV_FIELD(diffuseColor), QV_FIELD(specularColor);
  QV_FIELD(emissiveColor), QV_FIELD(shininess), QV_FIELD(transparency);
  setFirst(ambientColor, {0.2f, 0.2f, 0.2f});
  setFirst(diffuseColor, {0.8f, 0.8f, 0.8f});
  setFirst(specularColor, {0, 0, 0});
  setFirst(emissiveColor, {0, 0, 0});
  setFirst(shininess, {0.2f});
  setFirst(transparency, {0});
  isBuiltIn = true;
}

int32_t QvMaterial::getNumValues() const {
  int32_t most = 0;
  for (const QvMField* list : {static_cast<const QvMField*>(&ambientColor), static_cast<const QvMField*>(&diffuseColor),
                               static_cast<const QvMField*>(&specularColor), static_cast<const QvMField*>(&emissiveColor),
                               static_cast<const QvMField*>(&shininess), static_cast<const QvMField*>(&transparency)})
    if (list->num > most) most = list->num;
  return most;
}

QV_NODE_SOURCE(QvShapeHints, "ShapeHints")
QvShapeHints::QvShapeHints() {
  QV_BEGIN();
  QV_FIELD(vertexOrdering), QV_FIELD(shapeType), QV_FIELD(faceType), QV_FIELD(creaseAngle);
  vertexOrdering.value = UNKNOWN_ORDERING;
  shapeType.value = UNKNOWN_SHAPE_TYPE;
  faceType.value = CONVEX;
  creaseAngle.value = 0.5f;
  registerEnums(fieldData, first, "VertexOrdering", kVertexOrdering, {&vertexOrdering});
  registerEnums(fieldData, first, "ShapeType", kShapeType, {&shapeType});
  registerEnums(fieldData, first, "FaceType", kFaceType, {&faceType});
  isBuiltIn = true;
}

// -------------------------------------------------------- transform nodes

QV_NODE_SOURCE(QvTranslation, "Translation")
QvTranslation::QvTranslation() {
  QV_BEGIN();
  QV_FIELD(translation);
  set(translation, 0, 0, 0);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvRotation, "Rotation")
QvRotation::QvRotation() {
  QV_BEGIN();
  QV_FIELD(rotation);
  set(rotation, 0, 0, 1, 0);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvScale, "Scale")
QvScale::QvScale() {
  QV_BEGIN();
  QV_FIELD(scaleFactor);
  set(scaleFactor, 1, 1, 1);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvTransform, "Transform")
QvTransform::QvTransform() {
  QV_BEGIN();
  QV_FIELD(translation), QV_FIELD(rotation), QV_FIELD(scaleFactor);
  QV_FIELD(scaleOrientation), QV_FIELD(center);
  set(translation, 0, 0, 0);
  set(rotation, 0, 0, 1, 0);
  set(scaleFactor, 1, 1, 1);
  set(scaleOrientation, 0, 0, 1, 0);
  set(center, 0, 0, 0);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvMatrixTransform, "MatrixTransform")
QvMatrixTransform::QvMatrixTransform() {
  QV_BEGIN();
  QV_FIELD(matrix);
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) matrix.value[row][col] = row == col ? 1.0f : 0.0f;
  isBuiltIn = true;
}

// ------------------------------------------------------ lights and cameras

QV_NODE_SOURCE(QvDirectionalLight, "DirectionalLight")
QvDirectionalLight::QvDirectionalLight() {
  QV_BEGIN();
  QV_FIELD(on), QV_FIELD(intensity), QV_FIELD(color), QV_FIELD(direction);
  on.value = 1;
  intensity.value = 1;
  set(color, 1, 1, 1);
  set(direction, 0, 0, -1);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvPointLight, "PointLight")
QvPointLight::QvPointLight() {
  QV_BEGIN();
  QV_FIELD(on), QV_FIELD(intensity), QV_FIELD(color), QV_FIELD(location);
  on.value = 1;
  intensity.value = 1;
  set(color, 1, 1, 1);
  set(location, 0, 0, 1);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvSpotLight, "SpotLight")
QvSpotLight::QvSpotLight() {
  QV_BEGIN();
  QV_FIELD(on), QV_FIELD(intensity), QV_FIELD(color), QV_FIELD(location);
  QV_FIELD(direction), QV_FIELD(dropOffRate), QV_FIELD(cutOffAngle);
  on.value = 1;
  intensity.value = 1;
  set(color, 1, 1, 1);
  set(location, 0, 0, 1);
  set(direction, 0, 0, -1);
  dropOffRate.value = 0;
  cutOffAngle.value = kQuarterPi;
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvOrthographicCamera, "OrthographicCamera")
QvOrthographicCamera::QvOrthographicCamera() {
  QV_BEGIN();
  QV_FIELD(position), QV_FIELD(orientation), QV_FIELD(focalDistance);
  QV_FIELD(nearDistance), QV_FIELD(farDistance), QV_FIELD(height);
  set(position, 0, 0, 1);
  set(orientation, 0, 0, 1, 0);
  focalDistance.value = 5;
  nearDistance.value = farDistance.value = 0;
  height.value = 2;
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvPerspectiveCamera, "PerspectiveCamera")
QvPerspectiveCamera::QvPerspectiveCamera() {
  QV_BEGIN();
  QV_FIELD(position), QV_FIELD(orientation), QV_FIELD(focalDistance);
  QV_FIELD(nearDistance), QV_FIELD(farDistance), QV_FIELD(heightAngle);
  set(position, 0, 0, 1);
  set(orientation, 0, 0, 1, 0);
  focalDistance.value = 5;
  nearDistance.value = farDistance.value = 0;
  heightAngle.value = kQuarterPi;
  isBuiltIn = true;
}

// ---------------------------------------------------------- texture nodes

QV_NODE_SOURCE(QvTexture2, "Texture2")
QvTexture2::QvTexture2() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(image), QV_FIELD(wrapS), QV_FIELD(wrapT);
  wrapS.value = wrapT.value = QvWrap::REPEAT;
  registerEnums(fieldData, first, "Wrap", kWrap, {&wrapS, &wrapT});
  isBuiltIn = true;
}

// A file name wins over an inline image: the image is marked as not given.
bool QvTexture2::readContents(QvInput* in) {
  bool ok = QvNode::readContents(in);
  if (ok && !filename.isDefault()) image.setDefault(true);
  return ok;
}

QV_NODE_SOURCE(QvTransparentTexture2, "TransparentTexture2")
QvTransparentTexture2::QvTransparentTexture2() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(maskFilename), QV_FIELD(image), QV_FIELD(maskImage);
  QV_FIELD(wrapS), QV_FIELD(wrapT);
  wrapS.value = wrapT.value = QvWrap::REPEAT;
  registerEnums(fieldData, first, "Wrap", kWrap, {&wrapS, &wrapT});
  isBuiltIn = true;
}

bool QvTransparentTexture2::readContents(QvInput* in) {
  bool ok = QvNode::readContents(in);
  if (ok && !filename.isDefault()) image.setDefault(true);
  return ok;
}

QV_NODE_SOURCE(QvTexture2Transform, "Texture2Transform")
QvTexture2Transform::QvTexture2Transform() {
  QV_BEGIN();
  QV_FIELD(translation), QV_FIELD(rotation), QV_FIELD(scaleFactor), QV_FIELD(center);
  set(translation, 0, 0);
  rotation.value = 0;
  set(scaleFactor, 1, 1);
  set(center, 0, 0);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvMovie2, "Movie2")
QvMovie2::QvMovie2() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(autoPlay), QV_FIELD(option);
  autoPlay.value = 1;
  isBuiltIn = true;
}

char* QvMovie2::getFileNameField() const {
  char* copy = zmStrdup(filename.value.getString());
  if (copy == nullptr) zmReportMessage("QvMovie2::getFileNameField(): zmStrdup() failed.");
  return copy;
}

int QvMovie2::getAutoPlayField() const { return autoPlay.value != 0 ? 1 : 0; }

namespace {

locale_t cLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

int cb_framesPerSec(const char* value, Movie2Options* options) {
  char* end;
  double number = strtod_l(value, &end, cLocale());
  if (end == value) {
    zmReportWarning("%s: fails to get value.\n", "cb_framesPerSec");
    options->framesPerSec = 4.0f;
    return -1;
  }
  options->framesPerSec = static_cast<float>(number);
  return 0;
}

int readSize(const char* name, const char* value, int32_t* out) {
  char* end;
  long number = std::strtol(value, &end, 10);
  if (end == value) {
    zmReportWarning("%s: fails to get value.\n", name);
    *out = 128;
    return -1;
  }
  *out = number > INT32_MAX ? INT32_MAX : number < INT32_MIN ? INT32_MIN : static_cast<int32_t>(number);
  return 0;
}

int cb_width(const char* value, Movie2Options* options) { return readSize("cb_width", value, &options->width); }
int cb_height(const char* value, Movie2Options* options) { return readSize("cb_height", value, &options->height); }

int cb_sound(const char* value, Movie2Options* options) {
  size_t length = std::strlen(value);
  if (length && value[0] == '"') ++value, --length;
  if (length && value[length - 1] == '"') --length;
  char text[QvMovie2::kMaxOptionValue + 1];
  std::memcpy(text, value, length);
  text[length] = '\0';
  zmFree(options->sound);
  options->sound = zmStrdup(text);
  if (options->sound == nullptr) {
    std::fputs("cb_sound: zmStrdup() failed.\n", stderr);
    return -1;
  }
  return 0;
}

struct MovieOption {
  const char* name;
  int (*reader)(const char* value, Movie2Options* options);
};
constexpr MovieOption kMovieOptions[] = {
    {"framesPerSec", cb_framesPerSec}, {"width", cb_width}, {"height", cb_height}, {"sound", cb_sound}};

const char* skipBlanksAndEquals(const char* p) {
  while (*p == ' ' || *p == '=') ++p;
  return p;
}

// Cuts the value after a matched name into value (at most kMaxOptionValue
// characters); returns where the next setting starts, or null at the end.
const char* getOptionValue(const char* p, const char* name, char* value) {
  p = skipBlanksAndEquals(p + std::strlen(name));
  const char* comma = std::strchr(p, ',');
  size_t length = comma ? static_cast<size_t>(comma - p) : std::strlen(p);
  if (length > static_cast<size_t>(QvMovie2::kMaxOptionValue)) length = QvMovie2::kMaxOptionValue;
  std::memcpy(value, p, length);
  value[length] = '\0';
  return comma ? skipBlanksAndEquals(comma + 1) : nullptr;
}

}  // namespace

int QvMovie2::getOptionField(Movie2Options* options) const {
  *options = {4.0f, 128, 128, nullptr};
  for (const char* p = option.value.getString(); p;) {
    const MovieOption* matched = nullptr;
    for (const MovieOption& candidate : kMovieOptions) {
      if (std::strncmp(p, candidate.name, std::strlen(candidate.name)) == 0) {
        matched = &candidate;
        break;
      }
    }
    if (matched == nullptr) break;
    char value[kMaxOptionValue + 1];
    p = getOptionValue(p, matched->name, value);
    matched->reader(value, options);
  }
  return 0;
}

// ------------------------------------------------------------- other nodes

QV_NODE_SOURCE(QvInfo, "Info")
QvInfo::QvInfo() {
  QV_BEGIN();
  QV_FIELD(string);
  string.value = "<Undefined info>";
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvAmbientSound, "AmbientSound")
QvAmbientSound::QvAmbientSound() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(bboxSize), QV_FIELD(bboxCenter), QV_FIELD(autoPlay), QV_FIELD(loop);
  set(bboxSize, 0, 0, 0);
  set(bboxCenter, 0, 0, 0);
  autoPlay.value = loop.value = 1;
  isBuiltIn = true;
}

// ---------------------------------------------------------- grouping nodes

QV_NODE_SOURCE(QvSeparator, "Separator")
QvSeparator::QvSeparator() {
  QV_BEGIN();
  QV_FIELD(renderCulling);
  renderCulling.value = AUTO;
  registerEnums(fieldData, first, "CullEnabled", kCullEnabled, {&renderCulling});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvTransformSeparator, "TransformSeparator")
QvTransformSeparator::QvTransformSeparator() {
  beginClass(fieldData, firstInstance);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvSwitch, "Switch")
QvSwitch::QvSwitch() {
  QV_BEGIN();
  QV_FIELD(whichChild);
  whichChild.value = -1;
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvLOD, "LOD")
QvLOD::QvLOD() {
  QV_BEGIN();
  QV_FIELD(range), QV_FIELD(center);
  setFirst(range, {0});
  set(center, 0, 0, 0);
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvWWWAnchor, "WWWAnchor")
QvWWWAnchor::QvWWWAnchor() {
  QV_BEGIN();
  QV_FIELD(name), QV_FIELD(description), QV_FIELD(map);
  map.value = NONE;
  registerEnums(fieldData, first, "Map", kMap, {&map});
  isBuiltIn = true;
}

QV_NODE_SOURCE(QvWWWInline, "WWWInline")
QvWWWInline::QvWWWInline() : inlineNumber(qvSession().inlineCounter) {
  if (inlineNumber < INT32_MAX) ++qvSession().inlineCounter;
  QV_BEGIN();
  QV_FIELD(name), QV_FIELD(bboxSize), QV_FIELD(bboxCenter);
  set(bboxSize, 0, 0, 0);
  set(bboxCenter, 0, 0, 0);
  isBuiltIn = true;
}

// ---------------------------------------------------------- extension nodes

bool QvExtensionGroup::readContents(QvInput* in) { return readFieldsThenChildren(in, true, true); }

QV_NODE_SOURCE(QvAttributes, "Attributes")
QvAttributes::QvAttributes() {
  QV_BEGIN();
  QV_FIELD(visible), QV_FIELD(grasp), QV_FIELD(solid), QV_FIELD(collision), QV_FIELD(mobile);
  QV_FIELD(assignId), QV_FIELD(comment), QV_FIELD(backface), QV_FIELD(gouraud);
  visible.value = grasp.value = solid.value = collision.value = mobile.value = 1;
  assignId.value = 0;
  backface.value = gouraud.value = 1;
  isBuiltIn = false;
}

QV_NODE_SOURCE(QvScript, "Script")
QvScript::QvScript() {
  QV_BEGIN();
  QV_FIELD(procedure), QV_FIELD(scriptType);
  scriptType.value = QvScriptType::UNKNOWN_SCRIPT;
  registerEnums(fieldData, first, "ScriptType", kScriptType, {&scriptType});
  isBuiltIn = false;
}

QV_NODE_SOURCE(QvEventHandler, "EventHandler")
QvEventHandler::QvEventHandler() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(userData), QV_FIELD(function);
  QV_FIELD(eventType), QV_FIELD(scriptType), QV_FIELD(actionObject);
  eventType.value = 0;
  scriptType.value = QvScriptType::UNKNOWN_SCRIPT;
  registerEnums(fieldData, first, "EventType", kEventType, {&eventType});
  registerEnums(fieldData, first, "ScriptType", kScriptType, {&scriptType});
  isBuiltIn = false;
}

QV_NODE_SOURCE(QvSporadicTask, "SporadicTask")
QvSporadicTask::QvSporadicTask() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(millisecond), QV_FIELD(userData), QV_FIELD(function), QV_FIELD(scriptType);
  millisecond.value = 0;
  scriptType.value = QvScriptType::UNKNOWN_SCRIPT;
  registerEnums(fieldData, first, "ScriptType", kScriptType, {&scriptType});
  isBuiltIn = false;
}

QV_NODE_SOURCE(QvPeriodicTask, "PeriodicTask")
QvPeriodicTask::QvPeriodicTask() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(millisecond), QV_FIELD(userData), QV_FIELD(function), QV_FIELD(scriptType);
  millisecond.value = 0;
  scriptType.value = QvScriptType::UNKNOWN_SCRIPT;
  registerEnums(fieldData, first, "ScriptType", kScriptType, {&scriptType});
  isBuiltIn = false;
}

QV_NODE_SOURCE(QvCalendarTask, "CalendarTask")
QvCalendarTask::QvCalendarTask() {
  QV_BEGIN();
  QV_FIELD(filename), QV_FIELD(date), QV_FIELD(userData), QV_FIELD(function), QV_FIELD(scriptType);
  scriptType.value = QvScriptType::UNKNOWN_SCRIPT;
  registerEnums(fieldData, first, "ScriptType", kScriptType, {&scriptType});
  isBuiltIn = false;
}

// ---------------------------------------------------------------- registry

namespace {

template <class T> QvNode* makeNode() { return new (std::nothrow) T; }

struct NodeType {
  const char* name;
  QvNode* (*make)();
};

constexpr NodeType kNodeTypes[] = {
    {"Cone", makeNode<QvCone>},
    {"Coordinate3", makeNode<QvCoordinate3>},
    {"Cube", makeNode<QvCube>},
    {"Cylinder", makeNode<QvCylinder>},
    {"DirectionalLight", makeNode<QvDirectionalLight>},
    {"Group", makeNode<QvGroup>},
    {"IndexedFaceSet", makeNode<QvIndexedFaceSet>},
    {"IndexedLineSet", makeNode<QvIndexedLineSet>},
    {"Info", makeNode<QvInfo>},
    {"LOD", makeNode<QvLOD>},
    {"Material", makeNode<QvMaterial>},
    {"MaterialBinding", makeNode<QvMaterialBinding>},
    {"MatrixTransform", makeNode<QvMatrixTransform>},
    {"Normal", makeNode<QvNormal>},
    {"NormalBinding", makeNode<QvNormalBinding>},
    {"OrthographicCamera", makeNode<QvOrthographicCamera>},
    {"PerspectiveCamera", makeNode<QvPerspectiveCamera>},
    {"PointLight", makeNode<QvPointLight>},
    {"PointSet", makeNode<QvPointSet>},
    {"Rotation", makeNode<QvRotation>},
    {"Scale", makeNode<QvScale>},
    {"Separator", makeNode<QvSeparator>},
    {"ShapeHints", makeNode<QvShapeHints>},
    {"Sphere", makeNode<QvSphere>},
    {"SpotLight", makeNode<QvSpotLight>},
    {"Switch", makeNode<QvSwitch>},
    {"Texture2", makeNode<QvTexture2>},
    {"Texture2Transform", makeNode<QvTexture2Transform>},
    {"TextureCoordinate2", makeNode<QvTextureCoordinate2>},
    {"Transform", makeNode<QvTransform>},
    {"TransformSeparator", makeNode<QvTransformSeparator>},
    {"Translation", makeNode<QvTranslation>},
    {"WWWAnchor", makeNode<QvWWWAnchor>},
    {"WWWInline", makeNode<QvWWWInline>},
    {"Attributes", makeNode<QvAttributes>},
    {"Script", makeNode<QvScript>},
    {"EventHandler", makeNode<QvEventHandler>},
    {"SporadicTask", makeNode<QvSporadicTask>},
    {"PeriodicTask", makeNode<QvPeriodicTask>},
    {"CalendarTask", makeNode<QvCalendarTask>},
    {"TransparentTexture2", makeNode<QvTransparentTexture2>},
    {"AmbientSound", makeNode<QvAmbientSound>},
    {"Movie2", makeNode<QvMovie2>},
    {"AsciiText", makeNode<QvAsciiText>},
};

}  // namespace

QvNode* QvNode::newNodeOfType(const QvName& typeName) {
  for (const NodeType& type : kNodeTypes)
    if (typeName == type.name) return type.make();
  return nullptr;
}
