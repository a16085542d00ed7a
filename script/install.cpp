// script/install.cpp -- scripting's service records; see install.h.
#include "script/install.h"

#include "core/hooks.h"
#include "core/report.h"
#include "loading/loadhooks.h"
#include "media/timeouthooks.h"
#include "multiuser/hooks.h"
#include "script/events.h"
#include "script/host.h"
#include "script/timeouts.h"
#include "vrml/hooks.h"

namespace {

// A world file names procedures by text: a native callback (type 4) would
// take that text for an address, so the builder's handlers refuse it.
bool namesCallback(int scriptType, const char* caller) {
  if (scriptType != ZM_SCRIPT_C) return false;
  zmReportWarning("%s: a world file cannot name a native callback", caller);
  return true;
}

int evalStr(ZmWorld* world, int scriptType, const char* script, char** result) {
  const char* text = nullptr;
  int status = zmScriptEvalStrText(world, scriptType, script, &text);
  if (status == 0 && result != nullptr) *result = const_cast<char*>(text);
  return status;
}

// A Tcl member of an archive, run as it is extracted.
int evalFile(ZmWorld* world, const char* file) {
  int result = 0;
  return zmScriptEvalFile(world, ZM_SCRIPT_TCL, file, &result);
}

int addEventHandler(ZmObj* object, const char* fileName, uint32_t eventMask, int scriptType, const char* function,
                    const char* userData, const char* actionObject) {
  if (namesCallback(scriptType, "zmAddEventHandler")) return -1;
  return zmAddEventHandler(object, fileName, eventMask, scriptType, function, userData, actionObject);
}

ZmTimeOutHandlerList* addTimeOutHandler(ZmObj* object, const char* fileName, long milliseconds, int scriptType,
                                        const char* function, const char* userData, int repeating) {
  if (namesCallback(scriptType, "zmAddTimeOutHandler")) return nullptr;
  return zmAddTimeOutHandler(object, fileName, uint32_t(milliseconds), scriptType, function, userData, repeating);
}

// Media's frame steppers: native callbacks with no script file or user data.
ZmTimeOutHandlerList* addMediaTimeOut(ZmObj* object, uint32_t interval, ZmMediaTimeOutCallback callback,
                                      int repeating) {
  return zmAddTimeOutHandler(object, "", interval, ZM_SCRIPT_C, reinterpret_cast<const void*>(callback), "",
                             repeating);
}

// Another user's message names a procedure and its data; the object and the
// event go with them, and the procedure's result is not wanted.
int evalFunction(ZmWorld* world, ZmObj* object, ZmEvent* event, const char* procedure, const char* userData) {
  static_assert(int(ZM_SCRIPT_NOT_A_WORLD_PROCEDURE) == int(ZMQX_NOT_A_WORLD_PROCEDURE));
  int result = 0;
  return zmScriptEvalFunction(world, 1, 1, procedure, object, event, "", userData, &result);
}

}  // namespace

void zmInstallScriptHooks() {
  static constexpr ZmCoreScript core{
      .deleteAllEventHandler = zmDeleteAllEventHandler,
      .deleteObjTimeOutHandler = zmDeleteObjTimeOutHandler,
      .deleteAllTimeOutHandler = zmDeleteAllTimeOutHandler,
      .scriptInit = zmScriptInit,
      .scriptExit = ZmScriptExit,
      .callEventHandler = zmCallEventHandler,
  };
  static constexpr ZmMultiUserScript multiUser{.scriptEvalFunction = evalFunction};
  static constexpr ZmVrmlScript vrml{
      .scriptEvalStr = evalStr,
      .addEventHandler = addEventHandler,
      .addTimeOutHandler = addTimeOutHandler,
  };
  static constexpr ZmLoadingScript loading{.scriptEvalFile = evalFile};
  static constexpr ZmMediaScript media{.addTimeOutHandler = addMediaTimeOut,
                                       .removeTimeOutHandler = zmRemoveTimeOutHandler};
  coreScript.provide(core);
  multiUserScript.provide(multiUser);
  vrmlScript.provide(vrml);
  loadingScript.provide(loading);
  mediaScript.provide(media);
}
