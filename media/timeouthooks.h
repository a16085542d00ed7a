// media/timeouthooks.h -- the calls media makes up into scripting
// (core/service.h): queuing and removing the native time-outs that step
// movie frames. The queue is scripting's.
#ifndef LUMENFOLD_MEDIA_TIMEOUTHOOKS_H
#define LUMENFOLD_MEDIA_TIMEOUTHOOKS_H

#include <cstdint>

#include "core/service.h"

struct ZmEvent;
struct ZmObj;
struct ZmTimeOutHandlerList;

typedef int (*ZmMediaTimeOutCallback)(ZmObj* object, ZmEvent* event, const char* userData);

struct ZmMediaScript {
  // zmAddTimeOutHandler with a native callback, no script file and no user
  // data, on the object's world; repeating 1, once 0. The record, or null
  // when refused (always, unset).
  ZmTimeOutHandlerList* (*addTimeOutHandler)(ZmObj* object, uint32_t interval, ZmMediaTimeOutCallback callback,
                                             int repeating);
  // zmRemoveTimeOutHandler -- unlinks and frees the record (after its run
  // when it is running).
  void (*removeTimeOutHandler)(ZmObj* object, ZmTimeOutHandlerList* record);
};
inline constexpr ZmMediaScript kMediaScriptDefaults = {.addTimeOutHandler = zmReturns<nullptr>,
                                                       .removeTimeOutHandler = zmNothing};
inline constinit ZmService<ZmMediaScript> mediaScript{"script", "mediaScript", kMediaScriptDefaults};

#endif
