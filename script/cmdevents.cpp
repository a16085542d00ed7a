// script/cmdevents.cpp -- handlers, tasks and the event record for
// scripts; see cmdevents.h.
#include "script/cmdevents.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/event.h"
#include "script/events.h"
#include "script/host.h"
#include "script/timeouts.h"

namespace zmcmd {

namespace {

// The script type a script names: a native callback (4) is an address,
// which no script text can stand for.
bool scriptTypeArg(Tcl_Interp* interp, const char* command, const char* text, int* type) {
  *type = int(longWord(text));
  if (*type != ZM_SCRIPT_C) return true;
  zmScriptErrorResult(interp, "%s:bad ZmScriptType[%s]", command, text);
  return false;
}

constexpr const char* kEventHandlerUsage = "ZmObj ZmBitMask ZmScriptType filenameUrl function user_data actionObj";

}  // namespace

ZM_COMMAND(eventHandler) {
  if (argc != 7) return zmTclError(interp, argv[0], kEventHandlerUsage);
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  int type = 0;
  if (object == nullptr || !scriptTypeArg(interp, argv[0], argv[3], &type)) return TCL_ERROR;
  auto mask = uint32_t(std::strtoul(argv[2], nullptr, 10));
  bool adding = std::strcmp(argv[0], "zmAddEventHandler") == 0;
  int status = adding ? zmAddEventHandler(object, argv[4], mask, type, argv[5], argv[6], nullptr)
                      : zmRemoveEventHandler(object, argv[4], mask, type, argv[5], argv[6], nullptr);
  return intResult(interp, status);
}

ZM_COMMAND(addTimeOutHandler) {
  if (argc != 8)
    return zmTclError(interp, argv[0], "ZmObj time_value ZmScriptType filenameUrl function user_data ZmTaskType");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  int type = 0;
  if (object == nullptr || !scriptTypeArg(interp, argv[0], argv[3], &type)) return TCL_ERROR;
  auto interval = uint32_t(std::strtoul(argv[2], nullptr, 10));
  int taskType = int(longWord(argv[7]));
  ZmTimeOutHandlerList* record = zmAddTimeOutHandler(object, argv[4], interval, type, argv[5], argv[6], taskType);
  zmScriptSetPtrResult(interp, ZM_HANDLE_TIMEOUT, record);
  return TCL_OK;
}

ZM_COMMAND(removeTimeOutHandler) {
  if (argc != 3) return zmTclError(interp, argv[0], "ZmObj timeOutHandle");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  bool bad = false;
  auto* record = static_cast<ZmTimeOutHandlerList*>(zmScriptHandle(ZM_HANDLE_TIMEOUT, argv[2], &bad));
  if (bad) return zmScriptErrorResult(interp, "%s:bad TimeOutHandle[%s]", argv[0], argv[2]);
  zmRemoveTimeOutHandler(object, record);
  return emptyResult(interp);
}

ZM_COMMAND(eventField) {
  if (argc != 2) return zmTclError(interp, argv[0], "ZmEvent");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  const char* field = argv[0] + std::strlen("zmGetEvent");
  if (std::strcmp(field, "Type") == 0) return intResult(interp, long(event->type));
  if (std::strcmp(field, "Key") == 0) return intResult(interp, event->key);
  if (std::strcmp(field, "Modifier") == 0) return intResult(interp, event->modifiers);
  if (std::strcmp(field, "Part") == 0) {
    zmScriptSetPtrResult(interp, ZM_HANDLE_LEAF, reinterpret_cast<const void*>(event->part));
  } else {
    zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, event->object);
  }
  return TCL_OK;
}

ZM_COMMAND(eventPoint) {
  if (argc != 5) return zmTclError(interp, argv[0], "ZmEvent x y z");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  if (!setFloatVar(interp, argv[2], event->x) || !setFloatVar(interp, argv[3], event->y) ||
      !setFloatVar(interp, argv[4], event->z))
    return TCL_ERROR;
  return emptyResult(interp);
}

ZM_COMMAND(event2DPoint) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmEvent x y");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  if (!setFloatVar(interp, argv[2], event->x2d) || !setFloatVar(interp, argv[3], event->y2d)) return TCL_ERROR;
  return emptyResult(interp);
}

ZM_COMMAND(eventTime) {
  if (argc != 4) return zmTclError(interp, argv[0], "ZmEvent sec milli_sec");
  ZmEvent* event = eventArg(interp, argv[0], argv[1]);
  if (event == nullptr) return TCL_ERROR;
  if (!setLongVar(interp, argv[2], long(event->timeSec)) || !setLongVar(interp, argv[3], long(event->timeMsec)))
    return TCL_ERROR;
  return emptyResult(interp);
}

}  // namespace zmcmd
