// script/events.h -- event handlers of objects and their delivery.
//
// Owns: the handler lists of objects (ZmEventHandler, core/event.h), the
// object's event mask, the world's caches of objects with WORLD_IN,
// WORLD_OUT and FRAME handlers, the loading of the script file a handler
// names, and the delivery of an event record to an object's handlers or its
// nearest ancestor's. It does not own the event records (their producers')
// nor the procedures they call (script/host.h).
//
// An object stands in a world cache once per handler that holds the bit, so
// an object with two FRAME handlers gets each world-wide event twice.
#ifndef LUMENFOLD_SCRIPT_EVENTS_H
#define LUMENFOLD_SCRIPT_EVENTS_H

#include <cstdint>

struct ZmEvent;
struct ZmObj;
struct ZmUrlHash;
struct ZmWorld;

// A native handler: (object, event, user data); its result is ignored.
typedef int (*ZmEventCallback)(ZmObj* object, ZmEvent* event, const char* userData);

/*
 * zmRegisterAndEvalScriptFile --
 *   The world's URL-table entry of a script file, the file fetched and
 *   evaluated the first time. An absent or empty URL gives the shared empty
 *   entry; a file that cannot be had yet gives its entry after a warning.
 * Results:
 *   The entry; null when the file failed to evaluate ("Script file has
 *   error: %s", the entry released so a later call tries again) or the
 *   world has no URL table.
 */
ZmUrlHash* zmRegisterAndEvalScriptFile(ZmWorld* world, const char* url, int scriptType);

/*
 * zmAddEventHandler --
 *   Adds a handler to the object: for script types 0 to 2 `function` is a
 *   procedure name (copied), for type 4 a ZmEventCallback.
 * Results:
 *   0; -1 when refused (null user data, script file error, a matching handler
 *   exists, unknown type, no world) with a warning; -5 when memory runs out.
 */
int zmAddEventHandler(ZmObj* object, const char* url, uint32_t eventMask, int scriptType, const void* function,
                      const char* userData, const char* actionObject);
// Clears the mask's bits from the first matching handler, freeing it when
// none are left. 0, or -1 when refused or nothing matches.
int zmRemoveEventHandler(ZmObj* object, const char* url, uint32_t eventMask, int scriptType, const void* function,
                         const char* userData, const char* actionObject);
/*
 * zmCallEventHandler --
 *   Delivers the event to the object's handlers for its type, oldest first,
 *   or when it has none to its nearest ancestor's (CREATE_NOTIFY and
 *   DELETE_NOTIFY stop at the object). Handlers added or removed by the
 *   procedures do not change the running delivery.
 * Results:
 *   0; -1 when a procedure failed (the rest are not run).
 */
int zmCallEventHandler(ZmObj* object, ZmEvent* event);
// Delivers a world-wide event to the objects of the three caches in order;
// an object deleted or taken out of its cache meanwhile is passed over.
// 0, or the first non-zero result.
int zmCallWorldEventHandlers(ZmWorld* world, ZmEvent* event);
// Frees every handler of the object, clears its mask and takes it out of
// its world's caches. 0.
int zmDeleteAllEventHandler(ZmObj* object);

#endif
