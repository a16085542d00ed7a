// script/cmdmaterial.cpp -- materials, colour lists, attributes and the
// active camera for scripts; see cmdmaterial.h.
#include "script/cmdmaterial.h"

#include <cstring>
#include <unordered_set>
#include <vector>

#include "core/camera.h"
#include "core/material.h"
#include "core/object.h"
#include "core/world.h"
#include "script/host.h"
#include "viewer/attributes.h"

namespace zmcmd {

namespace {

// What a material command acts on: one leaf, an object's own leaves, or
// the object's whole subtree.
enum class Scope { part, object, all };

bool takesFloats(int attribute) {
  return attribute == ZM_MATERIAL_SHININESS || attribute == ZM_MATERIAL_TRANSPARENCY;
}

// The resolved target of a material command.
struct Target {
  Scope scope;
  void* record;  // a ZmLeaf for part scope, else a ZmObj
};

bool resolveTarget(Tcl_Interp* interp, const char* command, Scope scope, const char* text, Target* target) {
  target->scope = scope;
  target->record = scope == Scope::part ? static_cast<void*>(leafArg(interp, command, text))
                                        : static_cast<void*>(objectArg(interp, command, text,
                                                                       "%s:bad Parts or ZmObj[%s]"));
  return target->record != nullptr;
}

int setOn(const Target& target, const void* list, int attribute) {
  switch (target.scope) {
    case Scope::part: return zmSetLeafMaterial(static_cast<ZmLeaf*>(target.record), list, attribute);
    case Scope::object: return zmSetObjLeafMaterial(static_cast<ZmObj*>(target.record), list, attribute);
    case Scope::all: return zmSetSubtreeLeafMaterial(static_cast<ZmObj*>(target.record), list, attribute);
  }
  return -1;
}

void* getFrom(const Target& target, int attribute) {
  switch (target.scope) {
    case Scope::part: return zmGetLeafMaterial(static_cast<ZmLeaf*>(target.record), attribute);
    case Scope::object: return zmGetObjLeafMaterial(static_cast<ZmObj*>(target.record), attribute);
    case Scope::all: return zmGetSubtreeLeafMaterial(static_cast<ZmObj*>(target.record), attribute);
  }
  return nullptr;
}

// Sets the attribute from `count` value words: triples for colours, single
// floats for shininess and transparency.
int setValues(Tcl_Interp* interp, const char* command, Scope scope, int attribute, const char* targetText,
              const char* const values[], int count) {
  bool part = scope == Scope::part;
  const char* first = count > 0 ? values[0] : "";
  if (takesFloats(attribute)) {
    if (count <= 0) return zmTclError(interp, command, part ? "Parts f ... fn" : "ZmObj f ... fn");
    if (count > kMaxMaterialValues) return zmScriptErrorResult(interp, "%s:bad num of float[%s]", command, first);
    std::vector<ZmSFFloat> floats(count);
    for (int i = 0; i < count; ++i) floats[i] = ZmSFFloat(floatWord(values[i]));
    Target target;
    if (!resolveTarget(interp, command, scope, targetText, &target)) return TCL_ERROR;
    ZmMFFloat list{count, floats.data()};
    return intResult(interp, setOn(target, &list, attribute));
  }
  if (count % 3 != 0) return zmTclError(interp, command, part ? "Parts r g b" : "ZmObj r g b ... rn gn bn");
  if (count == 0 || count / 3 > kMaxMaterialValues)
    return zmScriptErrorResult(interp, "%s:bad num of color[%s]", command, first);
  std::vector<ZmSFColor> colours(count / 3);
  for (int i = 0; i < count / 3; ++i) {
    colours[i] = {float(floatWord(values[3 * i])), float(floatWord(values[3 * i + 1])),
                  float(floatWord(values[3 * i + 2]))};
  }
  Target target;
  if (!resolveTarget(interp, command, scope, targetText, &target)) return TCL_ERROR;
  ZmMFColor list{count / 3, colours.data()};
  return intResult(interp, setOn(target, &list, attribute));
}

// Each colour's r g b (or each float) into the next names, while both last.
int getValues(Tcl_Interp* interp, const char* command, Scope scope, int attribute, const char* targetText,
              const char* const names[], int count) {
  Target target;
  if (!resolveTarget(interp, command, scope, targetText, &target)) return TCL_ERROR;
  void* list = getFrom(target, attribute);
  if (list != nullptr && takesFloats(attribute)) {
    const auto* floats = static_cast<const ZmMFFloat*>(list);
    for (int i = 0; i < floats->count && i < count; ++i) {
      if (!setFloatVar(interp, names[i], floats->values[i])) return TCL_ERROR;
    }
  } else if (list != nullptr) {
    const auto* colours = static_cast<const ZmMFColor*>(list);
    for (int i = 0; i < colours->count && 3 * i + 2 < count; ++i) {
      const ZmSFColor& c = colours->values[i];
      if (!setFloatVar(interp, names[3 * i], c.r) || !setFloatVar(interp, names[3 * i + 1], c.g) ||
          !setFloatVar(interp, names[3 * i + 2], c.b))
        return TCL_ERROR;
    }
  }
  return intResult(interp, 0);
}

Scope scopeOf(const char* command) {
  if (std::strstr(command, "Part") != nullptr) return Scope::part;
  return std::strstr(command, "All") != nullptr ? Scope::all : Scope::object;
}

// The attribute number a per-attribute command names after its prefix.
int attributeOf(const char* command) {
  static constexpr const char* kNames[] = {"Ambient", "Diffuse", "Specular", "Emissive", "Shininess", "Transparency"};
  const char* name = command + std::strlen("zmSetPart");
  for (int i = 0; i < 6; ++i) {
    if (std::strcmp(name, kNames[i]) == 0) return i + 1;
  }
  return 0;
}

constexpr const char* kObjMaterialUsage = "ZmObj {r g b ...rn gn bn}|{f ...fn} attribute";
constexpr const char* kPartMaterialUsage = "Parts {r g b ...rn gn bn}|{f ...fn} attribute";

// ---- Colour lists

// The colour lists an interpreter made and has not deleted; the rest go
// with the interpreter (its world), since no other script may delete them.
using ColourLists = std::unordered_set<ZmMFColor*>;
constexpr const char* kColourListsKey = "zmColorLists";

void freeColourLists(ClientData data, Tcl_Interp*) {
  auto* lists = static_cast<ColourLists*>(data);
  for (ZmMFColor* list : *lists) {
    zmScriptWithdrawAll(list);
    zmDeleteZmMFColorList(list);
  }
  delete lists;
}

ColourLists& colourListsOf(Tcl_Interp* interp) {
  auto* lists = static_cast<ColourLists*>(Tcl_GetAssocData(interp, kColourListsKey, nullptr));
  if (lists == nullptr) {
    lists = new ColourLists;
    Tcl_SetAssocData(interp, kColourListsKey, freeColourLists, lists);
  }
  return *lists;
}

// A live colour list of this interpreter; null with the command's message.
ZmMFColor* ownColours(Tcl_Interp* interp, const char* command, const char* text) {
  ZmMFColor* list = colorsArg(interp, command, text);
  if (list == nullptr || colourListsOf(interp).count(list) != 0) return list;
  zmScriptErrorResult(interp, "%s:bad ZmMFColor[%s]", command, text);
  return nullptr;
}

// ---- Attribute shapes

// How many value words an attribute of a light or camera takes: 1 or 3; 0
// for a number outside the command's table.
int lightValueCount(long attribute) {
  switch (attribute) {
    case zmLightAttrOn:
    case zmLightAttrIntensity:
    case zmLightAttrDropOffRate:
    case zmLightAttrCutOffAngle: return 1;
    case zmLightAttrColor:
    case zmLightAttrLocation:
    case zmLightAttrDirection: return 3;
    default: return 0;
  }
}

int cameraValueCount(long attribute) {
  switch (attribute) {
    case zmCameraAttrPosition:
    case zmCameraAttrLookAt:
    case zmCameraAttrBackgroundColor: return 3;
    case zmCameraAttrFocalDistance:
    case zmCameraAttrHeight:
    case zmCameraAttrHeightAngle: return 1;
    default: return 0;
  }
}

constexpr const char* kAttributeUsage = "ZmObj ZmObjAttribute val";

// Checks the attribute number and the word count of a light or camera
// command; the attribute number in *attribute.
bool attributeShape(Tcl_Interp* interp, int argc, const char* argv[], int (*valueCount)(long), const char* kind,
                    long* attribute, int* code) {
  if (argc != 4 && argc != 6) {
    *code = zmTclError(interp, argv[0], kAttributeUsage);
    return false;
  }
  *attribute = longWord(argv[2]);
  int values = valueCount(*attribute);
  if (values == 0) {
    *code = zmScriptErrorResult(interp, "%s:bad %s[%s]", argv[0], kind, argv[2]);
    return false;
  }
  if (argc - 3 != values) {
    *code = zmTclError(interp, argv[0], kAttributeUsage);
    return false;
  }
  return true;
}

// The values after the attribute number, read as floats.
void attributeValues(int argc, const char* argv[], float values[3]) {
  for (int i = 3; i < argc; ++i) values[i - 3] = float(floatWord(argv[i]));
}

// The values read back into the variables named after the attribute number.
int setAttributeVars(Tcl_Interp* interp, int argc, const char* argv[], const float values[3]) {
  for (int i = 3; i < argc; ++i) {
    if (!setFloatVar(interp, argv[i], values[i - 3])) return TCL_ERROR;
  }
  return emptyResult(interp);
}

}  // namespace

// ---- Materials -----------------------------------------------------------

ZM_COMMAND(setMaterial) {
  Scope scope = scopeOf(argv[0]);
  if (argc < 3) return zmTclError(interp, argv[0], scope == Scope::part ? kPartMaterialUsage : kObjMaterialUsage);
  return setValues(interp, argv[0], scope, int(longWord(argv[2])), argv[1], argv + 3, argc - 3);
}

ZM_COMMAND(getMaterial) {
  Scope scope = scopeOf(argv[0]);
  if (argc < 3) return zmTclError(interp, argv[0], scope == Scope::part ? kPartMaterialUsage : kObjMaterialUsage);
  return getValues(interp, argv[0], scope, int(longWord(argv[2])), argv[1], argv + 3, argc - 3);
}

ZM_COMMAND(setPartAttribute) {
  int attribute = attributeOf(argv[0]);
  if (argc < 2) return zmTclError(interp, argv[0], takesFloats(attribute) ? "Parts f ... fn" : "Parts r g b");
  return setValues(interp, argv[0], Scope::part, attribute, argv[1], argv + 2, argc - 2);
}

ZM_COMMAND(getPartAttribute) {
  int attribute = attributeOf(argv[0]);
  if (argc < 2) return zmTclError(interp, argv[0], takesFloats(attribute) ? "Parts f ... fn" : "Parts r g b");
  return getValues(interp, argv[0], Scope::part, attribute, argv[1], argv + 2, argc - 2);
}

// ---- Colour lists --------------------------------------------------------

ZM_COMMAND(newColorList) {
  constexpr long kMaxColours = 1 << 16;
  if (argc != 2) return zmTclError(interp, argv[0], "size");
  long size = longWord(argv[1]);
  ZmMFColor* list = size > 0 && size <= kMaxColours ? zmNewZmMFColor(int32_t(size)) : nullptr;
  if (list == nullptr) return zmScriptErrorResult(interp, "%s:zmNewZmMFColor faild", argv[0]);
  colourListsOf(interp).insert(list);
  zmScriptSetPtrResult(interp, ZM_HANDLE_COLORS, list);
  return TCL_OK;
}

ZM_COMMAND(deleteColorList) {
  if (argc != 2) return zmTclError(interp, argv[0], "ZmMFColor");
  ZmMFColor* list = ownColours(interp, argv[0], argv[1]);
  if (list == nullptr) return TCL_ERROR;
  colourListsOf(interp).erase(list);
  zmScriptWithdrawAll(list);
  zmDeleteZmMFColorList(list);
  return emptyResult(interp);
}

// The list and the position of a colour-list access; false with the
// command's message when either is wrong.
static bool colourAt(Tcl_Interp* interp, int argc, const char* argv[], ZmMFColor** list, int32_t* position,
                     int* code) {
  if (argc != 6) {
    *code = zmTclError(interp, argv[0], "ZmMFColor pos r g b");
    return false;
  }
  *list = ownColours(interp, argv[0], argv[1]);
  if (*list == nullptr) {
    *code = TCL_ERROR;
    return false;
  }
  auto index = static_cast<unsigned long>(longWord(argv[2]));
  if (index >= static_cast<unsigned long>((*list)->count)) {
    *code = zmScriptErrorResult(interp, "%s:%s too big.", argv[0], argv[2]);
    return false;
  }
  *position = int32_t(index);
  return true;
}

ZM_COMMAND(getColorListAt) {
  ZmMFColor* list = nullptr;
  int32_t position = 0;
  int code = TCL_OK;
  if (!colourAt(interp, argc, argv, &list, &position, &code)) return code;
  float rgb[3];
  zmGetZmMFColorAt(list, position, &rgb[0], &rgb[1], &rgb[2]);
  for (int i = 0; i < 3; ++i) setFloatVar(interp, argv[3 + i], rgb[i]);  // one that cannot be set is passed over
  return emptyResult(interp);
}

ZM_COMMAND(setColorListAt) {
  ZmMFColor* list = nullptr;
  int32_t position = 0;
  int code = TCL_OK;
  if (!colourAt(interp, argc, argv, &list, &position, &code)) return code;
  zmSetZmMFColorAt(list, position, float(floatWord(argv[3])), float(floatWord(argv[4])), float(floatWord(argv[5])));
  return emptyResult(interp);
}

// ---- Attributes ----------------------------------------------------------

static bool isTextAttribute(long attribute) { return attribute >= zmObjAttrNodeType && attribute <= zmObjAttrLabel; }

ZM_COMMAND(getObjAttribute) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmObj ZmObjAttribute valret");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  long attribute = longWord(argv[2]);
  const char* text = nullptr;
  int32_t number = 0;
  int status = isTextAttribute(attribute) ? zmGetObjAttribute(object, int32_t(attribute), &text)
                                          : zmGetObjAttribute(object, int32_t(attribute), &number);
  bool stored = status != 0                    ? setTextVar(interp, argv[3], "")
                : isTextAttribute(attribute) ? setTextVar(interp, argv[3], text ? text : "")
                                             : setLongVar(interp, argv[3], number);
  if (!stored) return TCL_ERROR;
  return intResult(interp, status);
}

ZM_COMMAND(setObjAttribute) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmObj ZmObjAttribute val");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  long attribute = longWord(argv[2]);
  if (isTextAttribute(attribute)) return intResult(interp, zmSetObjAttrbute(object, int32_t(attribute), argv[3]));
  auto number = int32_t(longWord(argv[3]));
  return intResult(interp, zmSetObjAttrbute(object, int32_t(attribute), &number));
}

ZM_COMMAND(setLightAttribute) {
  long attribute = 0;
  int code = TCL_OK;
  if (!attributeShape(interp, argc, argv, lightValueCount, "ZmLightAttribute", &attribute, &code)) return code;
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  if (attribute == zmLightAttrOn) {
    auto on = int32_t(longWord(argv[3]));
    return intResult(interp, zmSetLightAttribute(object, int32_t(attribute), &on));
  }
  float values[3] = {};
  attributeValues(argc, argv, values);
  return intResult(interp, zmSetLightAttribute(object, int32_t(attribute), values));
}

ZM_COMMAND(getLightAttribute) {
  long attribute = 0;
  int code = TCL_OK;
  if (!attributeShape(interp, argc, argv, lightValueCount, "ZmLightAttribute", &attribute, &code)) return code;
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  if (attribute == zmLightAttrOn) {
    int32_t on = 0;
    int status = zmGetLightAttribute(object, int32_t(attribute), &on);
    if (status != 0) return intResult(interp, status);
    return setLongVar(interp, argv[3], on) ? emptyResult(interp) : TCL_ERROR;
  }
  float values[3] = {};
  int status = zmGetLightAttribute(object, int32_t(attribute), values);
  if (status != 0) return intResult(interp, status);
  return setAttributeVars(interp, argc, argv, values);
}

ZM_COMMAND(setCameraAttribute) {
  long attribute = 0;
  int code = TCL_OK;
  if (!attributeShape(interp, argc, argv, cameraValueCount, "ZmCameraAttribute", &attribute, &code)) return code;
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  float values[3] = {};
  attributeValues(argc, argv, values);
  return intResult(interp, zmSetCameraAttribute(object, int32_t(attribute), values));
}

ZM_COMMAND(getCameraAttribute) {
  long attribute = 0;
  int code = TCL_OK;
  if (!attributeShape(interp, argc, argv, cameraValueCount, "ZmCameraAttribute", &attribute, &code)) return code;
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  float values[3] = {};
  int status = zmGetCameraAttribute(object, int32_t(attribute), values);
  if (status != 0) return intResult(interp, status);
  return setAttributeVars(interp, argc, argv, values);
}

ZM_COMMAND(getActiveCamera) {
  if (argc > 2) return zmTclError(interp, argv[0], "ZmObj");
  ZmWorld* world = zmGetCurrentWorld();
  if (argc == 2) {
    ZmObj* object = objectArg(interp, argv[0], argv[1]);
    if (object == nullptr) return TCL_ERROR;
    world = object->world;
  }
  zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, world ? zmGetActiveCamera(world) : nullptr);
  return TCL_OK;
}

ZM_COMMAND(setActiveCamera) {
  if (argc != 2) return zmTclError(interp, argv[0], "ZmCameraID");
  ZmWorld* world = zmGetCurrentWorld();
  return intResult(interp, world ? zmSetActiveCameraID(world, int32_t(longWord(argv[1]))) : -1);
}

}  // namespace zmcmd
