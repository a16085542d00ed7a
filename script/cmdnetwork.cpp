// script/cmdnetwork.cpp -- the other users, the browser, menus,
// navigation, messages, time and random numbers for scripts; see
// cmdnetwork.h.
#include "script/cmdnetwork.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/report.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "loading/weblink.h"
#include "multiuser/hooks.h"
#include "multiuser/send.h"
#include "script/commands.h"
#include "script/host.h"
#include "script/hooks.h"
#include "script/mainloop.h"
#include "viewer/navigation.h"

namespace zmcmd {

namespace {

// The URL of the world whose script runs, for the web's rules.
const char* scriptWorldUrl(Tcl_Interp* interp) {
  const ZmWorld* world = zmScriptInterpWorld(interp);
  return world != nullptr && world->name != nullptr ? world->name : "";
}

}  // namespace

// ---- The other users -------------------------------------------------------

ZM_COMMAND(qxSendApplEvent) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmObj ZmBitmask ZmString");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  zmqxSendApplEvent(object, uint32_t(std::strtoul(argv[2], nullptr, 10)), argv[3]);
  return emptyResult(interp);
}

ZM_COMMAND(qxSendApplSpecificMsg) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmObj function string");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  zmqxSendApplSpecificMsg(object, argv[2], argv[3]);
  return emptyResult(interp);
}

ZM_COMMAND(qxSendApplSpecificMsgWithDist) {
  if (argc != 5) return zmTclError(interp, argv[0], "ZmObj function string DestFlg");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  zmqxSendApplSpecificMsgWithDist(object, argv[2], argv[3], uint8_t(longWord(argv[4])));
  return emptyResult(interp);
}

ZM_COMMAND(qxUpdateObj) {
  if (argc != 2) return zmTclError(interp, argv[0], "ZmObj");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  zmqxUpdateObj(object);
  return emptyResult(interp);
}

ZM_COMMAND(qxAmIMaster) { return intResult(interp, zmqxAmIMaster()); }

ZM_COMMAND(qxSendChatStr) {
  if (argc != 3) return zmTclError(interp, argv[0], "ZmObj Str");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  zmqxSendChatStr(object, argv[2]);
  return emptyResult(interp);
}

ZM_COMMAND(chatDisplay) {
  if (argc != 3) return zmTclError(interp, argv[0], "ZmObj Str");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  multiUserShell().chatDisplay(object, argv[2]);
  return emptyResult(interp);
}

ZM_COMMAND(getUserName) { return textResult(interp, scriptShell().getUserName()); }

// ---- The browser, menus and navigation -----------------------------------------

// A world from the web opens no local world: neither by URL nor by name.
ZM_COMMAND(wwwOpenUrl) {
  if (argc != 2) return zmTclError(interp, argv[0], "URL");
  if (zmWebRefusesLocalOpen(scriptWorldUrl(interp), argv[1])) return intResult(interp, -1);
  return intResult(interp, scriptShell().wwwOpenUrl(argv[1]));
}

ZM_COMMAND(wwwLoadFile) {
  if (argc != 2) return zmTclError(interp, argv[0], "URL \nreturn: local filename");
  if (!mayFetchArg(interp, "zmWwwLoadFile", argv[1])) return TCL_ERROR;
  const char* local = zmGetLocalFile(zmWwwLoadFile(argv[1]));
  if (local == nullptr) return zmScriptErrorResult(interp, "%s:[%s] failed.", "zmWwwLoadFile", argv[1]);
  return textResult(interp, local);
}

ZM_COMMAND(wwwOpenFile) {
  if (argc != 2) return zmTclError(interp, argv[0], "WrlFileName");
  const char* fileUrl = zmMakeFileUrl(argv[1]);
  if (zmWebRefusesLocalOpen(scriptWorldUrl(interp), fileUrl != nullptr ? fileUrl : "file:"))
    return intResult(interp, -1);
  return intResult(interp, scriptShell().wwwOpenFile(argv[1]));
}

ZM_COMMAND(page) {
  zmMenuExec(std::strcmp(argv[0], "zmForwardPage") == 0 ? 0 : 1);
  return emptyResult(interp);
}

ZM_COMMAND(menuExec) {
  if (argc != 2) return zmTclError(interp, argv[0], "ZmMenuId");
  zmMenuExec(longWord(argv[1]));
  return emptyResult(interp);
}

ZM_COMMAND(setNavigation) {
  if (argc != 2) return zmTclError(interp, argv[0], "$zmTrue|$zmFalse");
  return intResult(interp, longWord(argv[1]) == 1 ? zmEnableNavigation() : zmDisableNavigation());
}

// ---- Messages and help -------------------------------------------------------

ZM_COMMAND(message) {
  if (argc >= 2) zmReportMessage("%s", argv[1]);
  return emptyResult(interp);
}

ZM_COMMAND(help) {
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
  return emptyResult(interp);
}

// ---- Time and random numbers ---------------------------------------------------

ZM_COMMAND(localTime) {
  if (argc > 10) return zmTclError(interp, argv[0], "[sec [min [hour [mday [mon [year [wday [yday [isdst]]]]]]]]]");
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const long parts[] = {local.tm_sec,  local.tm_min,  local.tm_hour, local.tm_mday, local.tm_mon,
                        local.tm_year, local.tm_wday, local.tm_yday, local.tm_isdst};
  for (int i = 1; i < argc; ++i) {
    if (!setLongVar(interp, argv[i], parts[i - 1])) return TCL_ERROR;
  }
  return intResult(interp, long(now));
}

ZM_COMMAND(ctime) {
  std::time_t now = std::time(nullptr);
  char text[64];
  return textResult(interp, ctime_r(&now, text) ? text : "");
}

ZM_COMMAND(rand) { return intResult(interp, std::rand()); }

}  // namespace zmcmd
