// script/timeouts.h -- time-out handlers: a world's queue of timed tasks.
//
// Owns: the time-out records (ZmTimeOutHandlerList, core/event.h) of every
// world's queue, ordered by due time, their running on the frame tick with a
// TIME_OUT event, and the clock they are timed by (the calendar time, which
// follows the program's virtual clock when tests switch it on). It does not
// own the procedures they call (script/host.h) nor the frame tick.
//
// A record is unlinked while its procedure runs; when the procedure (or
// anything it calls) removes that record or deletes its object, the record
// is freed after the run instead of going back into the queue.
#ifndef LUMENFOLD_SCRIPT_TIMEOUTS_H
#define LUMENFOLD_SCRIPT_TIMEOUTS_H

#include <cstdint>

struct ZmEvent;
struct ZmObj;
struct ZmTimeOutHandlerList;
struct ZmWorld;

// A native task: (object, event, user data); a periodic one stays queued
// while it returns 0.
typedef int (*ZmTimeOutCallback)(ZmObj* object, ZmEvent* event, const char* userData);

/*
 * zmAddTimeOutHandler --
 *   Queues a task in the object's world, due `interval` ms from now; task
 *   type 0 runs once, 1 repeats. For script types 0 and 1 `function` is a
 *   procedure name (copied), for type 4 a ZmTimeOutCallback.
 * Results:
 *   The record; null when refused (a script file with errors is a warning,
 *   as is an unknown script type) or memory runs out.
 */
ZmTimeOutHandlerList* zmAddTimeOutHandler(ZmObj* object, const char* url, uint32_t interval, int scriptType,
                                          const void* function, const char* userData, int taskType);
// Unlinks and frees the record; a record not queued is ignored, unless it is
// running, in which case it is freed once its run ends.
void zmRemoveTimeOutHandler(ZmObj* object, ZmTimeOutHandlerList* record);
// Every record of the object, queued or running, goes.
void zmDeleteObjTimeOutHandler(ZmObj* object);
// Frees a whole chain. 0.
int zmDeleteAllTimeOutHandler(ZmTimeOutHandlerList* first);
// Every record due now plus its interval, in queue order. -1 for a null
// world or an empty queue, else 0.
int zmResetTimeOutHandlers(ZmWorld* world);
/*
 * zmWakeUpTask --
 *   Runs every due record of the world's queue, earliest first; a repeating
 *   one is due again its interval after its previous due time, so one that
 *   fell behind runs until it has caught up. A record of interval 0 runs at
 *   most once per call.
 * Results:
 *   0; -1 when a procedure failed (the wake-up stops there).
 */
int zmWakeUpTask(ZmWorld* world);

#endif
