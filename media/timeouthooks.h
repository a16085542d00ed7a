// media/timeouthooks.h -- the calls media makes up into scripting: queuing
// and removing the native time-outs that step movie frames.
//
// Owns: scripting's service record for media (core/service.h), its
// constant default record and the service media calls it through. It does
// not own the time-out queue (scripting's), nor what the callbacks do.
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
  // when refused. Default: there is no time-out queue (null).
  ZmTimeOutHandlerList* (*addTimeOutHandler)(ZmObj* object, uint32_t interval, ZmMediaTimeOutCallback callback,
                                             int repeating);

  // zmRemoveTimeOutHandler -- unlinks and frees the record (after its run
  // when it is running). Default: nothing can be queued.
  void (*removeTimeOutHandler)(ZmObj* object, ZmTimeOutHandlerList* record);
};
inline constexpr ZmMediaScript kMediaScriptDefaults = {
    .addTimeOutHandler = [](ZmObj*, uint32_t, ZmMediaTimeOutCallback, int) -> ZmTimeOutHandlerList* {
      return nullptr;
    },
    .removeTimeOutHandler = [](ZmObj*, ZmTimeOutHandlerList*) {},
};
inline constinit ZmService<ZmMediaScript> mediaScript{"script", "mediaScript", kMediaScriptDefaults};

#endif
