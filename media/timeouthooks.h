// media/timeouthooks.h -- the calls media makes up into scripting: queuing
// and removing the native time-outs that step movie frames.
//
// Owns: media's one upward hook table, all slots null at start, filled by
// scripting's install function (tests set recorders), its inline wrappers,
// and the list of its slots for the start-up's check. It does not own the
// time-out queue (scripting's), nor what the callbacks do.
#ifndef LUMENFOLD_MEDIA_TIMEOUTHOOKS_H
#define LUMENFOLD_MEDIA_TIMEOUTHOOKS_H

#include <cstdint>
#include <span>

#include "core/hooks.h"
#include "core/hookslots.h"

struct ZmEvent;
struct ZmObj;
struct ZmTimeOutHandlerList;

// A native time-out: (object, event, user data); a repeating one stays
// queued while it returns 0.
typedef int (*ZmMediaTimeOutCallback)(ZmObj* object, ZmEvent* event, const char* userData);

struct ZmMediaScriptHooks {
  // zmAddTimeOutHandler with a native callback, no script file and no user
  // data, on the object's world; repeating 1, once 0. The record, or null
  // when refused. Unset: there is no time-out queue (null).
  ZmTimeOutHandlerList* (*addTimeOutHandler)(ZmObj* object, uint32_t interval, ZmMediaTimeOutCallback callback,
                                             int repeating);

  // zmRemoveTimeOutHandler -- unlinks and frees the record (after its run
  // when it is running). Unset: nothing can be queued.
  void (*removeTimeOutHandler)(ZmObj* object, ZmTimeOutHandlerList* record);
};
extern ZmMediaScriptHooks zmMediaScriptHooks;

inline ZmTimeOutHandlerList* hookAddMediaTimeOut(ZmObj* object, uint32_t interval, ZmMediaTimeOutCallback callback,
                                                 int repeating) {
  auto slot = zmMediaScriptHooks.addTimeOutHandler;
  return slot ? slot(object, interval, callback, repeating) : nullptr;
}

inline void hookRemoveMediaTimeOut(ZmObj* object, ZmTimeOutHandlerList* record) {
  if (zmMediaScriptHooks.removeTimeOutHandler) zmMediaScriptHooks.removeTimeOutHandler(object, record);
}

// Every slot of the table above, for the start-up's check.
std::span<const ZmHookSlot> zmMediaTimeOutHookSlots();

#endif
