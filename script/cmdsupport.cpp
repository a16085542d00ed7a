// script/cmdsupport.cpp -- words, records, results and variables of the
// script commands; see cmdsupport.h.
#include "script/cmdsupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/clocale.h"
#include "script/host.h"
#include "script/rights.h"

namespace zmcmd {

long longWord(const char* word) { return std::strtol(word, nullptr, 10); }

double floatWord(const char* word) {
  ZmCLocaleScope cLocale;
  float value = 0;
  return std::sscanf(word, "%f", &value) == 1 ? value : 0;
}

int intResult(Tcl_Interp* interp, long value) {
  Tcl_SetObjResult(interp, Tcl_NewLongObj(value));
  return TCL_OK;
}

int floatResult(Tcl_Interp* interp, double value) {
  char text[64];
  {
    ZmCLocaleScope cLocale;
    std::snprintf(text, sizeof text, "%f", value);
  }
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text, -1));
  return TCL_OK;
}

int textResult(Tcl_Interp* interp, const char* text) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text, -1));
  return TCL_OK;
}

int emptyResult(Tcl_Interp* interp) {
  Tcl_ResetResult(interp);
  return TCL_OK;
}

bool setTextVar(Tcl_Interp* interp, const char* name, const char* text) {
  return Tcl_SetVar(interp, name, text, TCL_LEAVE_ERR_MSG) != nullptr;
}

bool setFloatVar(Tcl_Interp* interp, const char* name, double value) {
  char text[64];
  {
    ZmCLocaleScope cLocale;
    std::snprintf(text, sizeof text, "%f", value);
  }
  return setTextVar(interp, name, text);
}

bool setLongVar(Tcl_Interp* interp, const char* name, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld", value);
  return setTextVar(interp, name, text);
}

bool setObjectVar(Tcl_Interp* interp, const char* name, ZmObj* object) {
  if (!setLongVar(interp, name, long(reinterpret_cast<intptr_t>(object)))) return false;
  zmScriptHandOut(ZM_HANDLE_OBJECT, object);
  return true;
}

namespace {

void* handleArg(Tcl_Interp* interp, ZmHandleKind kind, const char* command, const char* text, const char* format) {
  bool bad = false;
  void* record = zmScriptHandle(kind, text, &bad);
  if (record == nullptr) zmScriptErrorResult(interp, format, command, text);
  return record;
}

}  // namespace

ZmObj* objectArg(Tcl_Interp* interp, const char* command, const char* text, const char* format) {
  return static_cast<ZmObj*>(handleArg(interp, ZM_HANDLE_OBJECT, command, text, format));
}

ZmLeaf* leafArg(Tcl_Interp* interp, const char* command, const char* text) {
  return static_cast<ZmLeaf*>(handleArg(interp, ZM_HANDLE_LEAF, command, text, "%s:bad Parts or ZmObj[%s]"));
}

ZmEvent* eventArg(Tcl_Interp* interp, const char* command, const char* text) {
  return static_cast<ZmEvent*>(handleArg(interp, ZM_HANDLE_EVENT, command, text, "%s:bad ZmEvent[%s]"));
}

ZmMFColor* colorsArg(Tcl_Interp* interp, const char* command, const char* text) {
  return static_cast<ZmMFColor*>(handleArg(interp, ZM_HANDLE_COLORS, command, text, "%s:bad ZmMFColor[%s]"));
}

bool mayReadArg(Tcl_Interp* interp, const char* command, const char* path) {
  if (path[0] != '~' && zmScriptMayRead(zmScriptInterpWorld(interp), path)) return true;
  zmScriptErrorResult(interp, "%s:can't read %s from zmbrowser.", command, path);
  return false;
}

bool mayFetchArg(Tcl_Interp* interp, const char* command, const char* url) {
  if (url[0] != '~' && zmScriptMayFetch(zmScriptInterpWorld(interp), url)) return true;
  zmScriptErrorResult(interp, "%s:can't read %s from zmbrowser.", command, url);
  return false;
}

}  // namespace zmcmd
