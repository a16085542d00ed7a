// core/event.h -- the event record and the handler records objects and worlds carry.
//
// Owns: the layout of `ZmEvent` (what producers fill and handlers read), its
// type bits, and the layouts of `ZmEventHandler` and `ZmTimeOutHandlerList`,
// which hang on objects and worlds. It does not own any behaviour: scripting
// adds, runs and frees handlers and time-outs; the scene core only stores the
// list heads, and hands them back to scripting (core/hooks.h) when an object
// or a world goes away.
#ifndef LUMENFOLD_CORE_EVENT_H
#define LUMENFOLD_CORE_EVENT_H

#include <cstdint>

struct ZmObj;
struct ZmUrlHash;

// Event type bits; a handler's mask is an OR of them.
enum : uint32_t {
  ZM_EVENT_KEY_DOWN = 0x1,
  ZM_EVENT_KEY_UP = 0x2,
  ZM_EVENT_COLLISION = 0x4,
  ZM_EVENT_LEFT_BUTTON_UP = 0x8,
  ZM_EVENT_LEFT_BUTTON_DOWN = 0x10,
  ZM_EVENT_MIDDLE_BUTTON_UP = 0x20,
  ZM_EVENT_MIDDLE_BUTTON_DOWN = 0x40,
  ZM_EVENT_RIGHT_BUTTON_UP = 0x80,
  ZM_EVENT_RIGHT_BUTTON_DOWN = 0x100,
  ZM_EVENT_WORLD_IN = 0x200,
  ZM_EVENT_WORLD_OUT = 0x400,
  ZM_EVENT_CREATE_NOTIFY = 0x800,
  ZM_EVENT_DELETE_NOTIFY = 0x1000,
  ZM_EVENT_TIME_OUT = 0x2000,
  ZM_EVENT_FRAME = 0x4000,
  ZM_EVENT_DRAG = 0x8000,
  ZM_EVENT_PICK = 0x10000,
  ZM_EVENT_GRAB = 0x20000,
  ZM_EVENT_RELEASE = 0x40000,
  ZM_EVENT_CREATE_WORLD = 0x80000,
  ZM_EVENT_DELETE_WORLD = 0x200000,
  // Unions a world file may name.
  ZM_EVENT_KEY = 0x3,
  ZM_EVENT_BUTTON_UP = 0xA8,
  ZM_EVENT_BUTTON_DOWN = 0x150,
  ZM_EVENT_BUTTON = 0x1F8,
};

// One event on its way to handlers. Producers fill the type and what that
// type needs; the delivery fills `object`.
struct ZmEvent {
  uint32_t type;         // one ZM_EVENT_* bit
  float x, y, z;         // 3-D point (picks, drags; 0 for a collision)
  float x2d, y2d;        // 2-D point in the view
  int32_t modifiers;     // modifier keys
  int32_t key;           // key code
  intptr_t part;         // the picked leaf (0 for a collision)
  uint32_t timeSec;      // time of the event: seconds
  uint32_t timeMsec;     //   and milliseconds within the second
  ZmObj* object;         // the object the event was delivered to first
  ZmObj* otherObject;    // the object collided with
};

// One handler of an object, chained newest first from ZmObj::eventHandlers.
struct ZmEventHandler {
  ZmEventHandler* next;
  int32_t scriptType;     // 0..2 script procedure, 4 native callback, 5 inline
  uint32_t eventMask;     // the event bits it wants
  char* userData;         // owned text
  void* function;         // owned procedure name, or the native callback
  ZmUrlHash* scriptHandle;  // URL-table entry of the script file (not owned)
  char* actionObject;     // owned name text, or null
};

// One pending time-out of a world's queue, earliest due first.
struct ZmTimeOutHandlerList {
  ZmTimeOutHandlerList* next;
  ZmObj* object;          // the object the handler belongs to
  int32_t scriptType;
  char* userData;         // owned text
  void* function;         // owned procedure name, or the native callback
  uint32_t dueSec;        // due time: seconds of the calendar clock
  uint32_t dueMsec;       //   and milliseconds 0..999
  uint32_t interval;      // milliseconds
  int32_t taskType;       // 0 sporadic, 1 periodic
  ZmUrlHash* scriptHandle;
};

#endif
