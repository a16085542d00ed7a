// script/toolkit.cpp -- the toolkit module, loaded on the first start; see
// toolkit.h.
#include "script/toolkit.h"

#include "platform/ownmodule.h"
#include "script/hostrecord.h"

int zmToolkitInit(Tcl_Interp* interp) {
  const ZmToolkit* toolkit = platform::ownModuleTable<ZmToolkit>(kZmToolkitModule, kZmToolkitEntry);
  if (toolkit == nullptr) {
    Tcl_SetObjResult(interp, Tcl_NewStringObj("the toolkit could not be loaded", -1));
    return TCL_ERROR;
  }
  zmScriptHost().toolkit = toolkit;
  return toolkit->init(interp);
}

int zmToolkitMainWindowCount() {
  const ZmToolkit* started = zmScriptHost().toolkit;
  return started != nullptr ? started->mainWindowCount() : 0;
}

bool zmToolkitHasMainWindow(Tcl_Interp* interp) {
  const ZmToolkit* started = zmScriptHost().toolkit;
  return started != nullptr && started->hasMainWindow(interp);
}

bool zmToolkitIsToplevel(Tcl_Interp* interp, const char* path) {
  const ZmToolkit* started = zmScriptHost().toolkit;
  return started != nullptr && started->isToplevel(interp, path);
}
