// vrml/objcreate.cpp -- objects, materials and matrix builders.
#include "vrml/objcreate.h"

#include <cmath>

#include "core/leaf.h"
#include "core/material.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "vrml/attachments.h"
#include "vrml/placement.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"

namespace {

// ------------------------------------------------------------ materials

// Copies a colour list; an empty list gives the single default colour.
bool copyColors(const QvMFColor& field, const float fallback[3], ZmMFColor* out) {
  int32_t count = field.num > 0 ? field.num : 1;
  const float* source = field.num > 0 ? field.values : fallback;
  out->values = static_cast<ZmSFColor*>(zmSlabMalloc(count * sizeof(ZmSFColor)));
  if (out->values == nullptr) return false;
  out->count = count;
  for (int32_t i = 0; i < count; ++i) out->values[i] = {source[3 * i], source[3 * i + 1], source[3 * i + 2]};
  return true;
}

bool copyFloats(const QvMFFloat& field, float fallback, ZmMFFloat* out) {
  int32_t count = field.num > 0 ? field.num : 1;
  out->values = static_cast<ZmSFFloat*>(zmSlabMalloc(count * sizeof(ZmSFFloat)));
  if (out->values == nullptr) return false;
  out->count = count;
  for (int32_t i = 0; i < count; ++i) out->values[i] = field.num > 0 ? field.values[i] : fallback;
  return true;
}

bool setOneColor(ZmMFColor* list, float r, float g, float b) {
  list->values = static_cast<ZmSFColor*>(zmSlabMalloc(sizeof(ZmSFColor)));
  if (list->values == nullptr) return false;
  list->count = 1;
  list->values[0] = {r, g, b};
  return true;
}

bool setOneFloat(ZmMFFloat* list, float value) {
  list->values = static_cast<ZmSFFloat*>(zmSlabMalloc(sizeof(ZmSFFloat)));
  if (list->values == nullptr) return false;
  list->count = 1;
  list->values[0] = value;
  return true;
}

constexpr float kDefaultAmbient[3] = {0.2f, 0.2f, 0.2f};
constexpr float kDefaultDiffuse[3] = {0.8f, 0.8f, 0.8f};
constexpr float kBlack[3] = {0, 0, 0};
constexpr float kDefaultShininess = 0.2f;

void resetMaterial(ZmMaterial* material) {
  zmDeleteMaterial(material);
  zmInitMaterial(material);
}

}  // namespace

// ------------------------------------------------------------- objects

ZmObj* createZmObj(const QvNode* node, QvState* state, const char* typeName) {
  const char* fn = "QvNode::createZmObj()";
  ZmObj* object = nullptr;
  if (zmNewZmObj(state->getWorld(), &object, getZmAssignId(state)) != 0) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for ZmObj.");
    return nullptr;
  }
  placeZmObj(state, object, nullptr);
  if (typeName == nullptr) zmReportWarning("QvNode::createZmObj(): pointer to Node name is null.");
  object->vrmlType = zmGetVRMLTypeByName(typeName);
  object->comment[1] = zmStrdup(node->getName().getString());
  if (object->comment[1] == nullptr)
    zmReportWarning("%s: %s", fn, "Couldn't allocate memory for comment[1] of ZmObj.");
  object->comment[2] = nullptr;
  object->obj_flags |= ZM_OBJ_WRT_VALID;
  if (object->vrmlType == ZM_VRML_DIRECTIONAL_LIGHT || object->vrmlType == ZM_VRML_POINT_LIGHT ||
      object->vrmlType == ZM_VRML_SPOT_LIGHT) {
    ZmBoundingCube& cube = object->boundingCube;
    cube.local_min = cube.p_local_min = {-0.5f, -0.5f, -0.5f};
    cube.local_max = cube.p_local_max = {0.5f, 0.5f, 0.5f};
  }
  return object;
}

ZmObj* createZmObjFor(const QvNode* node, QvState* state, const char* typeName, const char* fn) {
  ZmObj* object = createZmObj(node, state, typeName);
  if (object == nullptr) zmReportMessage("%s: Couldn't allocate memory for ZmObj.", fn);
  return object;
}

ZmObj* discardZmObj(ZmObj* object, const char* fn) {
  if (zmDeleteZmObj(object) != 0) zmReportMessage("%s: zmDeleteZmObj() failed.", fn);
  return nullptr;
}

// ----------------------------------------------------------- materials

void setZmMaterial(QvState* state, ZmMaterial* material) {
  const char* fn = "QvNode::setZmMaterial()";
  QvElement* element = state->getTopElement(QV_MATERIAL);
  if (element == nullptr || element->node == nullptr) {
    setZmMaterialDefault(material);
    if (element) zmReportMessage("%s: %s", fn, "pElement->data is null.");
    return;
  }
  const auto* node = static_cast<const QvMaterial*>(element->node);
  resetMaterial(material);
  const char* colors = "for material.zmColorName.colors";
  const char* scalars = "for material.zmFloatName.scalars.";
  const char* failed = nullptr;
  if (!copyColors(node->ambientColor, kDefaultAmbient, &material->ambient_color) ||
      !copyColors(node->diffuseColor, kDefaultDiffuse, &material->diffuse_color) ||
      !copyColors(node->specularColor, kBlack, &material->specular_color) ||
      !copyColors(node->emissiveColor, kBlack, &material->emmisive_color)) {
    failed = colors;
  } else if (!copyFloats(node->shininess, kDefaultShininess, &material->shininess) ||
             !copyFloats(node->transparency, 0.0f, &material->transparency)) {
    failed = scalars;
  }
  if (failed) zmReportMessage("%s: %s%s", fn, "Couldn't allocate memory ", failed);
  const int32_t counts[] = {material->ambient_color.count, material->diffuse_color.count,
                            material->specular_color.count, material->emmisive_color.count,
                            material->shininess.count, material->transparency.count};
  material->count = 0;
  for (int32_t count : counts) material->count = count > material->count ? count : material->count;
}

void setZmLeafMaterial(QvState* state, ZmShape* shape) {
  ZmMaterial* material = zmOwnLeafMaterial(shape);
  if (material == nullptr) {
    zmReportMessage("%s: %s%s", "QvNode::setZmMaterial()", "Couldn't allocate memory ", "for material.");
    return;
  }
  setZmMaterial(state, material);
}

int setZmMaterialDefault(ZmMaterial* material) {
  const char* fn = "QvNode::setZmMaterialDefault()";
  resetMaterial(material);
  material->count = 1;
  if (!setOneColor(&material->ambient_color, 0.2f, 0.2f, 0.2f) ||
      !setOneColor(&material->diffuse_color, 0.8f, 0.8f, 0.8f) ||
      !setOneColor(&material->specular_color, 0, 0, 0) ||
      !setOneColor(&material->emmisive_color, 0, 0, 0)) {
    zmReportMessage("%s: %s%s", fn, "Couldn't allocate memory ", "for material.zmColorName.colors.");
    return -5;
  }
  if (!setOneFloat(&material->shininess, kDefaultShininess) || !setOneFloat(&material->transparency, 0) ||
      !setOneFloat(&material->specularpower, 0)) {
    zmReportMessage("%s: %s%s", fn, "Couldn't allocate memory ", "for material.zmFloatName.scalars.");
    return -5;
  }
  return 0;
}

void setZmMaterialBinding(QvState* state, int32_t* binding) {
  QvElement* element = state->getTopElement(QV_MATERIAL_BINDING);
  if (element == nullptr) return;
  const auto* node = static_cast<const QvMaterialBinding*>(element->node);
  if (node == nullptr) {
    zmReportMessage("%s: %s", "QvNode::setZmMaterialBinding()", "pElement->data is null.");
    return;
  }
  // The file's values from OVERALL (2) on are the leaf's codes plus one.
  int32_t value = node->value.value;
  *binding = value >= QvBinding::OVERALL && value <= QvBinding::PER_VERTEX_INDEXED ? value - 1 : 0;
}

// ------------------------------------------------------ matrix builders

void setZmTranslationRT(const QvSFVec3f& translation, ZmRT* out) {
  zmRTIdentity(out);
  out->t = {translation.value[0], translation.value[1], translation.value[2]};
}

void setZmRotationRT(const QvSFRotation& rotation, ZmRT* out) {
  zmRTIdentity(out);
  ZmVec3 axis = {rotation.axis[0], rotation.axis[1], rotation.axis[2]};
  if (zmVec3Length(&axis) == 0.0) return;
  zmVec3NormalizeSelf(&axis);
  zmMat3FromAxisAngle(&axis, rotation.angle, out->m);
}

void setZmScaleVector(const QvSFVec3f& scale, ZmVec3* out) {
  *out = {scale.value[0], scale.value[1], scale.value[2]};
}

void setZmDirectionRT(const QvSFVec3f& direction, ZmRT* out) {
  zmRTIdentity(out);
  ZmVec3 d = {direction.value[0], direction.value[1], direction.value[2]};
  double length = zmVec3Length(&d);
  if (length == 0.0) return;
  double x = d.x / length, y = d.y / length, z = d.z / length;
  double h = std::sqrt(x * x + z * z);
  if (h == 0.0) {
    zmMat3FromAngles(y < 0 ? -M_PI / 2 : M_PI / 2, 0, 0, out->m);
    return;
  }
  const double rows[9] = {-z / h, 0, x / h, -x * y / h, h, -y * z / h, -x, -y, -z};
  for (int i = 0; i < 9; ++i) out->m[i] = static_cast<float>(rows[i]);
}

void setZmTranslationRT2(const QvSFVec2f& translation, ZmRT2* out) {
  zmRT2Identity(out);
  out->t = {translation.value[0], translation.value[1]};
}

void setZmRotationRT2(float angle, ZmRT2* out) {
  zmRT2Identity(out);
  float c = std::cos(angle), s = std::sin(angle);
  out->m[0] = c;
  out->m[1] = s;
  out->m[2] = -s;
  out->m[3] = c;
}

void setZmScaleRT2(const QvSFVec2f& scale, ZmRT2* out) {
  zmRT2Identity(out);
  out->m[0] = scale.value[0];
  out->m[3] = scale.value[1];
}
