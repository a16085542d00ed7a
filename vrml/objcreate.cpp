// vrml/objcreate.cpp -- objects, attachments, materials and matrix builders.
#include "vrml/objcreate.h"

#include <cmath>

#include "core/event.h"
#include "core/hooks.h"
#include "core/leaf.h"
#include "core/material.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"

namespace {

// ------------------------------------------------ values of the extension nodes

// Handler script type: the file's ScriptType minus one (PYTHON 0 ... INLINE
// 5); -1, which no scripting language answers to, for an unknown type.
int scriptTypeOf(const QvSFEnum& field, const char* unknownMessage) {
  if (field.value >= QvScriptType::PYTHON && field.value <= QvScriptType::INLINE) return field.value - 1;
  zmReportMessage("%s", unknownMessage);
  return -1;
}

char* copyOf(const QvSFString& field) { return zmStrdup(field.value.getString()); }

// The handler's event mask: bits 0 to 21 of the node's mask, with
// RIGHT_BUTTON_DOWN handed out as PICK.
uint32_t eventMaskOf(const QvEventHandler* handler) {
  const uint32_t from = ZM_EVENT_RIGHT_BUTTON_DOWN, to = ZM_EVENT_PICK;
  uint32_t mask = 0;
  for (int bit = 0; bit <= 21; ++bit) {
    uint32_t b = 1u << bit;
    if ((static_cast<uint32_t>(handler->eventType.value) & b) == 0) continue;
    mask |= (b == from) ? to : b;
  }
  return mask;
}

// Frees each non-null text.
void freeAll(std::initializer_list<char*> texts) {
  for (char* t : texts) zmFree(t);
}

// --------------------------------------------------------------- tasks

struct TaskFields {
  const QvSFString *fileName, *userData, *function;
  const QvSFLong* millisecond;
  int scriptType;
};

TaskFields taskFieldsOf(QvNode* node) {
  if (auto* s = dynamic_cast<QvSporadicTask*>(node))
    return {&s->filename, &s->userData, &s->function, &s->millisecond,
            scriptTypeOf(s->scriptType, "QvSporadicTask::getZmScriptType() : Unknown scriptType.")};
  auto* p = static_cast<QvPeriodicTask*>(node);
  return {&p->filename, &p->userData, &p->function, &p->millisecond,
          scriptTypeOf(p->scriptType, "QvPeriodicTask::getZmScriptType() : Unknown scriptType.")};
}

// The SporadicTask and PeriodicTask loops: one time-out handler per pending
// node, most recent first.
void setZmTimeOutTasks(QvState* state, ZmObj* object, int32_t stack, int repeating, const char* fn) {
  while (QvElement* element = state->getTopElement(stack)) {
    if (element->node == nullptr) {
      zmReportMessage("%s: %s", fn, "pEltObj->data is null.");
      return;
    }
    TaskFields task = taskFieldsOf(element->node);
    char* fileName = copyOf(*task.fileName);
    char* function = fileName ? copyOf(*task.function) : nullptr;
    char* userData = function ? copyOf(*task.userData) : nullptr;
    if (userData == nullptr) {
      freeAll({fileName, function});
      return;
    }
    ZmTimeOutHandlerList* handler =
        zmCoreHooks.addTimeOutHandler
            ? zmCoreHooks.addTimeOutHandler(object, fileName, task.millisecond->value, task.scriptType,
                                            function, userData, repeating)
            : nullptr;
    freeAll({fileName, function, userData});
    if (handler == nullptr) {
      zmReportMessage("%s: %s", fn, "zmAddTimeOutHandler() failed.");
      return;
    }
    state->popElement(stack);
  }
}

// ------------------------------------------------------------ materials

// Copies a colour list; an empty list gives the single default colour.
bool copyColors(const QvMFColor& field, const float fallback[3], ZmMFColor* out) {
  int32_t count = field.num > 0 ? field.num : 1;
  const float* source = field.num > 0 ? field.values : fallback;
  out->values = static_cast<ZmSFColor*>(zmMalloc(count * sizeof(ZmSFColor)));
  if (out->values == nullptr) return false;
  out->count = count;
  for (int32_t i = 0; i < count; ++i) out->values[i] = {source[3 * i], source[3 * i + 1], source[3 * i + 2]};
  return true;
}

bool copyFloats(const QvMFFloat& field, float fallback, ZmMFFloat* out) {
  int32_t count = field.num > 0 ? field.num : 1;
  out->values = static_cast<ZmSFFloat*>(zmMalloc(count * sizeof(ZmSFFloat)));
  if (out->values == nullptr) return false;
  out->count = count;
  for (int32_t i = 0; i < count; ++i) out->values[i] = field.num > 0 ? field.values[i] : fallback;
  return true;
}

bool setOneColor(ZmMFColor* list, float r, float g, float b) {
  list->values = static_cast<ZmSFColor*>(zmMalloc(sizeof(ZmSFColor)));
  if (list->values == nullptr) return false;
  list->count = 1;
  list->values[0] = {r, g, b};
  return true;
}

bool setOneFloat(ZmMFFloat* list, float value) {
  list->values = static_cast<ZmSFFloat*>(zmMalloc(sizeof(ZmSFFloat)));
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
  const auto* attributes = static_cast<const QvAttributes*>(state->getTopNode(QV_ATTRIBUTES));
  int needId = attributes ? (attributes->assignId.value ? 1 : 0) : 0;
  ZmObj* object = nullptr;
  if (zmNewZmObj(state->getWorld(), &object, needId) != 0) {
    zmReportMessage("%s: %s", fn, "Couldn't allocate memory for ZmObj.");
    return nullptr;
  }
  object->worldRT = state->getTopElement(QV_WORLD_RT)->matrix;
  object->localRT = state->getTopElement(QV_LOCAL_RT)->matrix;
  if (const auto* scale = static_cast<const QvScale*>(state->getTopNode(QV_SCALE))) {
    for (int i = 0; i < 3; ++i) object->scale[i] = scale->scaleFactor.value[i];
    state->popElement(QV_SCALE);
  }
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

// --------------------------------------------------------- attachments

void setZmAttributes(QvState* state, ZmObj* object, ZmLeaf* chain) {
  const char* fn = "QvNode::setZmAttributes()";
  QvElement* element = state->getTopElement(QV_ATTRIBUTES);
  if (element == nullptr) return;
  const auto* node = static_cast<const QvAttributes*>(element->node);
  if (node == nullptr) {
    zmReportMessage("%s: %s", fn, "pEltObj->data is null.");
    return;
  }
  char* comment = copyOf(node->comment);
  if (comment == nullptr) return;
  if (zmNameObject(object, object->comment[1] ? object->comment[1] : "") == nullptr) {
    zmFree(comment);
    zmReportMessage("%s: %s", fn, "zmNameObject() failed.");
    return;
  }
  if (comment[0] != '\0') {
    zmFree(object->comment[3]);
    object->comment[3] = comment;
  } else {
    zmFree(comment);
  }
  const struct { const QvSFBool& field; uint32_t bit; } flags[] = {
      {node->visible, ZM_OBJ_VISIBLE}, {node->grasp, ZM_OBJ_GRASP}, {node->solid, ZM_OBJ_SOLID},
      {node->collision, ZM_OBJ_COLLISION}, {node->mobile, ZM_OBJ_MOBILE},
  };
  for (const auto& flag : flags) {
    if (flag.field.value == 1) object->obj_flags |= flag.bit; else object->obj_flags &= ~flag.bit;
  }
  for (ZmLeaf* leaf = chain; leaf; leaf = leaf->next) {
    if (!zmIsShapeLeaf(leaf) || leaf->kind == ZM_LEAF_SOUND) continue;
    auto* shape = static_cast<ZmShape*>(leaf);
    if (node->backface.value == 1) shape->leafFlags |= ZM_LEAF_BACKFACE; else shape->leafFlags &= ~ZM_LEAF_BACKFACE;
    if (node->gouraud.value == 1) shape->leafFlags |= ZM_LEAF_GOURAUD; else shape->leafFlags &= ~ZM_LEAF_GOURAUD;
  }
  state->popElement(QV_ATTRIBUTES);
}

void setZmScript(QvState* state, ZmObj* object) {
  const char* fn = "QvNode::setZmScript()";
  while (QvElement* element = state->getTopElement(QV_SCRIPT)) {
    const auto* node = static_cast<const QvScript*>(element->node);
    if (node == nullptr) {
      zmReportMessage("QvNode::setZmScript(): pEltObj->data is null.");
      return;
    }
    char* procedure = zmPFconvCR(node->procedure.value.getString());
    if (procedure == nullptr) return;
    int scriptType = scriptTypeOf(node->scriptType, "QvScript::getZmScriptType: Unknown script type.");
    if (procedure[0] == '\0') {
      zmFree(procedure);
      zmReportWarning("%s : %s", fn, "procedure is ignore for non-strings.");
      return;
    }
    char* result = nullptr;
    int evaluated = zmCoreHooks.scriptEvalStr
                        ? zmCoreHooks.scriptEvalStr(object->world, scriptType, procedure, &result)
                        : -1;
    zmFree(procedure);
    if (evaluated != 0) {
      zmReportMessage("QvNode::setZmScript(): zmScriptEvalStr() failed.");
      return;
    }
    state->popElement(QV_SCRIPT);
  }
}

void setZmEventHandler(QvState* state, ZmObj* object) {
  const char* fn = "QvNode::setZmEventHandler()";
  while (QvElement* element = state->getTopElement(QV_EVENT_HANDLER)) {
    const auto* node = static_cast<const QvEventHandler*>(element->node);
    if (node == nullptr) {
      zmReportMessage("QvNode::setZmEventHandler(): pEltObj->data is null.");
      return;
    }
    char* fileName = copyOf(node->filename);
    char* function = fileName ? copyOf(node->function) : nullptr;
    char* userData = function ? copyOf(node->userData) : nullptr;
    char* action = userData ? copyOf(node->actionObject) : nullptr;
    if (action == nullptr) {
      freeAll({fileName, function, userData});
      return;
    }
    int scriptType = scriptTypeOf(node->scriptType, "QvEventHandler::getZmScriptType: Unknown scriptType");
    int added = zmCoreHooks.addEventHandler
                    ? zmCoreHooks.addEventHandler(object, fileName, eventMaskOf(node), scriptType,
                                                  function, userData, action)
                    : -1;
    freeAll({fileName, function, userData, action});
    if (added != 0) {
      zmReportMessage("%s: %s", fn, "zmAddEventHandler() failed.");
      return;
    }
    state->popElement(QV_EVENT_HANDLER);
  }
  ZmEvent event = {};
  event.type = ZM_EVENT_CREATE_NOTIFY;
  if (zmCoreHooks.callEventHandler && zmCoreHooks.callEventHandler(object, &event) != 0)
    zmReportMessage("%s: %s", fn, "zmCallEventHandler() failed.");
}

void setZmSporadicTask(QvState* state, ZmObj* object) {
  setZmTimeOutTasks(state, object, QV_SPORADIC_TASK, 0, "QvNode::setZmSporadicTask()");
}

void setZmPeriodicTask(QvState* state, ZmObj* object) {
  setZmTimeOutTasks(state, object, QV_PERIODIC_TASK, 1, "QvNode::setZmPeriodicTask()");
}

// Calendar tasks never reach the object: each pending one is read, warned
// about and taken off.
void setZmCalendarTask(QvState* state, ZmObj*) {
  const char* fn = "QvNode::setZmCalendarTask()";
  while (QvElement* element = state->getTopElement(QV_CALENDAR_TASK)) {
    const auto* node = static_cast<const QvCalendarTask*>(element->node);
    if (node == nullptr) {
      zmReportMessage("%s: %s", fn, "pEltObj->data is null.");
      return;
    }
    char* fileName = copyOf(node->filename);
    char* date = fileName ? copyOf(node->date) : nullptr;
    char* userData = date ? copyOf(node->userData) : nullptr;
    char* function = userData ? copyOf(node->function) : nullptr;
    if (function == nullptr) {
      freeAll({fileName, date, userData});
      return;
    }
    scriptTypeOf(node->scriptType, "QvCalendarTask::getZmScriptType() : Unknown scriptType.");
    zmReportWarning("%s : %s", fn, "The CalendarTask cannot set in the ZmObj.");
    freeAll({fileName, date, userData, function});
    state->popElement(QV_CALENDAR_TASK);
  }
}

void applyZmAttachments(QvState* state, ZmObj* object, ZmLeaf* chain) {
  setZmAttributes(state, object, chain);
  setZmScript(state, object);
  setZmEventHandler(state, object);
  setZmSporadicTask(state, object);
  setZmPeriodicTask(state, object);
  setZmCalendarTask(state, object);
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
