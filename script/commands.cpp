// script/commands.cpp -- the script commands and their table; see
// commands.h.
#include "script/commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/event.h"
#include "core/fields.h"
#include "core/material.h"
#include "core/object.h"
#include "core/transform.h"
#include "core/vecmath.h"
#include "core/report.h"
#include "script/events.h"
#include "script/host.h"
#include "script/mainloop.h"
#include "script/timeouts.h"

namespace {

// ---- Helpers

int setResultInt(Tcl_Interp* interp, long value) {
  Tcl_SetObjResult(interp, Tcl_NewLongObj(value));
  return TCL_OK;
}

// A float word, read without the process locale (the toolkit may set
// one); 0 for a word that is no number.
double number(const char* word) {
  double value = 0;
  return Tcl_GetDouble(nullptr, word, &value) == TCL_OK ? value : 0;
}

// Stores "%f" of the value in the named variable; false with the library's
// message in the result when it cannot be set.
bool setFloatVar(Tcl_Interp* interp, const char* name, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  return Tcl_SetVar(interp, name, text, TCL_LEAVE_ERR_MSG) != nullptr;
}

bool setLongVar(Tcl_Interp* interp, const char* name, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld", value);
  return Tcl_SetVar(interp, name, text, TCL_LEAVE_ERR_MSG) != nullptr;
}

ZmObj* objectArg(Tcl_Interp* interp, const char* command, const char* text) {
  bool bad = false;
  auto* object = static_cast<ZmObj*>(zmScriptHandle(ZM_HANDLE_OBJECT, text, &bad));
  if (object == nullptr) zmScriptErrorResult(interp, "%s:bad ZmObj[%s]", command, text);
  return object;
}

ZmEvent* eventArg(Tcl_Interp* interp, const char* command, const char* text) {
  bool bad = false;
  auto* event = static_cast<ZmEvent*>(zmScriptHandle(ZM_HANDLE_EVENT, text, &bad));
  if (event == nullptr) zmScriptErrorResult(interp, "%s:bad ZmEvent[%s]", command, text);
  return event;
}

// Script types a script may name: a native callback (4) is an address,
// which no script text can stand for.
bool scriptTypeArg(Tcl_Interp* interp, const char* command, const char* text, int* type) {
  *type = int(std::strtol(text, nullptr, 10));
  if (*type != 4) return true;
  zmScriptErrorResult(interp, "%s:bad ZmScriptType[%s]", command, text);
  return false;
}

// ---- Objects, turns and colours

int getObjByNameCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc < 2 || argc > 4) return zmTclError(interp, argv[0], "[root_obj] name [-r]");
  ZmObj* found = nullptr;
  if (argc == 2) {
    found = zmGetTopObjByPath(argv[1]);
  } else {
    ZmObj* root = objectArg(interp, argv[0], argv[1]);
    if (root == nullptr) return TCL_ERROR;
    found = argc == 3 ? zmGetChildObjByPath(root, argv[2]) : zmGetObjByName(root, argv[2]);
  }
  zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, found);
  return TCL_OK;
}

int rotateAngleCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 7) return zmTclError(interp, argv[0], "ZmObj x y z  ZmCoordSystem ZmTransferMode");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
  float turn[9];
  zmMat3FromAngles(number(argv[2]) * kRadiansPerDegree, number(argv[3]) * kRadiansPerDegree,
                   number(argv[4]) * kRadiansPerDegree, turn);
  return setResultInt(interp, zmObjectRotate(object, turn, int(std::strtol(argv[5], nullptr, 10)),
                                             int(std::strtol(argv[6], nullptr, 10))));
}

// "zmSetObjMaterial ZmObj attribute r g b ...": the colour attributes 1 to 4
// of the object's own leaves.
int setObjMaterialCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  constexpr int kMaxColours = 256;
  if (argc < 3) return zmTclError(interp, argv[0], "ZmObj {r g b ...rn gn bn}|{f ...fn} attribute");
  int values = argc - 3;
  if (values % 3 != 0) return zmTclError(interp, argv[0], "ZmObj r g b ... rn gn bn");
  if (values == 0 || values / 3 > kMaxColours)
    return zmScriptErrorResult(interp, "%s:bad num of color[%s]", argv[0], values ? argv[3] : "");
  int attribute = int(std::strtol(argv[2], nullptr, 10));
  if (attribute < 1 || attribute > 4) return zmScriptErrorResult(interp, "%s:bad attribute[%s]", argv[0], argv[2]);
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  ZmSFColor colours[kMaxColours];
  for (int i = 0; i < values / 3; ++i) {
    colours[i] = {float(number(argv[3 + 3 * i])), float(number(argv[4 + 3 * i])),
                  float(number(argv[5 + 3 * i]))};
  }
  ZmMFColor list{values / 3, colours};
  return setResultInt(interp, zmSetObjLeafMaterial(object, &list, attribute));
}

// ---- Messages and help

int messageCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc >= 2) zmReportMessage("%s", argv[1]);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

int helpCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc > 2) return zmTclError(interp, argv[0], "[command]");
  for (const ZmScriptCommand& command : zmScriptCommands()) {
    if (argc == 1) {
      zmDebugPrint("zmTclHelp", "%s", command.name);
      continue;
    }
    zmDebugPrint("zmTclFunc", "%s  %s\n", argv[1], command.name);
    if (std::strcmp(command.name, argv[1]) != 0) continue;
    // Its argument check writes the usage line in place of failing.
    const char* words[] = {command.name, nullptr};
    zmScriptSetHelpMode(true);
    command.handler(nullptr, interp, 1, words);
    zmScriptSetHelpMode(false);
    break;
  }
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// ---- Event handlers and time-outs

constexpr const char* kEventHandlerUsage = "ZmObj ZmBitMask ZmScriptType filenameUrl function user_data actionObj";

int eventHandlerCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 7) return zmTclError(interp, argv[0], kEventHandlerUsage);
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  int type = 0;
  if (object == nullptr || !scriptTypeArg(interp, argv[0], argv[3], &type)) return TCL_ERROR;
  auto mask = uint32_t(std::strtoul(argv[2], nullptr, 10));
  bool adding = std::strcmp(argv[0], "zmAddEventHandler") == 0;
  int status = adding ? zmAddEventHandler(object, argv[4], mask, type, argv[5], argv[6], nullptr)
                      : zmRemoveEventHandler(object, argv[4], mask, type, argv[5], argv[6], nullptr);
  return setResultInt(interp, status);
}

int addTimeOutHandlerCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 8)
    return zmTclError(interp, argv[0], "ZmObj time_value ZmScriptType filenameUrl function user_data ZmTaskType");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  int type = 0;
  if (object == nullptr || !scriptTypeArg(interp, argv[0], argv[3], &type)) return TCL_ERROR;
  auto interval = uint32_t(std::strtoul(argv[2], nullptr, 10));
  int taskType = int(std::strtol(argv[7], nullptr, 10));
  ZmTimeOutHandlerList* record = zmAddTimeOutHandler(object, argv[4], interval, type, argv[5], argv[6], taskType);
  zmScriptSetPtrResult(interp, ZM_HANDLE_TIMEOUT, record);
  return TCL_OK;
}

int removeTimeOutHandlerCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 3) return zmTclError(interp, argv[0], "ZmObj timeOutHandle");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  bool bad = false;
  auto* record = static_cast<ZmTimeOutHandlerList*>(zmScriptHandle(ZM_HANDLE_TIMEOUT, argv[2], &bad));
  if (bad) return zmScriptErrorResult(interp, "%s:bad TimeOutHandle[%s]", argv[0], argv[2]);
  zmRemoveTimeOutHandler(object, record);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// ---- The event record

int eventFieldCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 2) return zmTclError(interp, argv[0], "ZmEvent");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  const char* field = argv[0] + std::strlen("zmGetEvent");
  if (std::strcmp(field, "Type") == 0) return setResultInt(interp, long(event->type));
  if (std::strcmp(field, "Key") == 0) return setResultInt(interp, event->key);
  if (std::strcmp(field, "Modifier") == 0) return setResultInt(interp, event->modifiers);
  if (std::strcmp(field, "Part") == 0) {
    zmScriptSetPtrResult(interp, ZM_HANDLE_LEAF, reinterpret_cast<const void*>(event->part));
  } else {
    zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, event->object);
  }
  return TCL_OK;
}

int eventPointCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 5) return zmTclError(interp, argv[0], "ZmEvent x y z");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  if (!setFloatVar(interp, argv[2], event->x) || !setFloatVar(interp, argv[3], event->y) ||
      !setFloatVar(interp, argv[4], event->z))
    return TCL_ERROR;
  Tcl_ResetResult(interp);
  return TCL_OK;
}

int event2DPointCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmEvent x y");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  if (!setFloatVar(interp, argv[2], event->x2d) || !setFloatVar(interp, argv[3], event->y2d)) return TCL_ERROR;
  Tcl_ResetResult(interp);
  return TCL_OK;
}

int eventTimeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmEvent sec milli_sec");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  if (!setLongVar(interp, argv[2], long(event->timeSec)) || !setLongVar(interp, argv[3], long(event->timeMsec)))
    return TCL_ERROR;
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// ---- Menus

int pageCmd(ClientData, Tcl_Interp* interp, int, const char* argv[]) {
  zmMenuExec(std::strcmp(argv[0], "zmForwardPage") == 0 ? 0 : 1);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

int menuExecCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc != 2) return zmTclError(interp, argv[0], "ZmMenuId");
  zmMenuExec(std::strtol(argv[1], nullptr, 10));
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// ---- Time and random numbers

int localTimeCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  if (argc > 10) return zmTclError(interp, argv[0], "[sec [min [hour [mday [mon [year [wday [yday [isdst]]]]]]]]]");
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const long parts[] = {local.tm_sec,  local.tm_min,  local.tm_hour, local.tm_mday, local.tm_mon,
                        local.tm_year, local.tm_wday, local.tm_yday, local.tm_isdst};
  for (int i = 1; i < argc; ++i) {
    if (!setLongVar(interp, argv[i], parts[i - 1])) return TCL_ERROR;
  }
  return setResultInt(interp, long(now));
}

int ctimeCmd(ClientData, Tcl_Interp* interp, int, const char*[]) {
  std::time_t now = std::time(nullptr);
  char text[64];
  Tcl_SetObjResult(interp, Tcl_NewStringObj(ctime_r(&now, text) ? text : "", -1));
  return TCL_OK;
}

int randCmd(ClientData, Tcl_Interp* interp, int, const char*[]) { return setResultInt(interp, std::rand()); }

constexpr ZmScriptCommand kCommands[] = {
    {"zmSetObjMaterial", setObjMaterialCmd},
    {"zmRotateAngle", rotateAngleCmd},
    {"zmObjectRotateAngle", rotateAngleCmd},
    {"zmMessageDlg", messageCmd},
    {"zmMessage", messageCmd},
    {"zmError", messageCmd},
    {"zmWarning", messageCmd},
    {"zmHelp", helpCmd},
    {"zmAddTimeOutHandler", addTimeOutHandlerCmd},
    {"zmRemoveTimeOutHandler", removeTimeOutHandlerCmd},
    {"zmAddEventHandler", eventHandlerCmd},
    {"zmRemoveEventHandler", eventHandlerCmd},
    {"zmGetEventType", eventFieldCmd},
    {"zmGetEventKey", eventFieldCmd},
    {"zmGetEventPart", eventFieldCmd},
    {"zmGetEventObj", eventFieldCmd},
    {"zmGetEventPoint", eventPointCmd},
    {"zmGetEventModifier", eventFieldCmd},
    {"zmGetEvent2DPoint", event2DPointCmd},
    {"zmGetEventTime", eventTimeCmd},
    {"zmGetObjByName", getObjByNameCmd},
    {"zmForwardPage", pageCmd},
    {"zmBackwardPage", pageCmd},
    {"zmMenuExec", menuExecCmd},
    {"zmGetLocalTime", localTimeCmd},
    {"zmGetCTime", ctimeCmd},
    {"zmRand", randCmd},
};

}  // namespace

std::span<const ZmScriptCommand> zmScriptCommands() { return kCommands; }

void zmScriptRegisterCommands(Tcl_Interp* interp) {
  for (const ZmScriptCommand& command : kCommands) {
    Tcl_CreateCommand(interp, command.name, command.handler, nullptr, nullptr);
  }
}
