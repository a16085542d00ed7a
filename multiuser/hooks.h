// multiuser/hooks.h -- the calls the multi-user client makes up into the
// layers above it: scripting (a procedure named by another user's message),
// media (a posture step of an articulated body) and the chat display.
//
// Owns: one table per providing layer, all slots null at start, filled by
// that layer's install function (tests set recorders), the inline wrappers
// that hold what happens while a slot is unset, and the list of the slots
// for the start-up's check. The slot `fooBar` stands for `zmFooBar`.
#ifndef LUMENFOLD_MULTIUSER_HOOKS_H
#define LUMENFOLD_MULTIUSER_HOOKS_H

#include <span>

#include "core/hooks.h"

// ---- Scripting -----------------------------------------------------------------

struct ZmMultiUserScriptHooks {
  // zmScriptEvalFunction -- calls the world's Tcl procedure `procedure` with
  // the object, the event and `userData` as separate words: the procedure
  // is one command word and the data one literal argument, never evaluated
  // as script text (they come from the network). 0 or -1. Unset: there is
  // no interpreter (-1).
  int (*scriptEvalFunction)(ZmWorld* world, int scriptType, int withEvent, const char* procedure, ZmObj* object,
                            ZmEvent* event, const char* ignored, const char* userData, int* result);
};
extern ZmMultiUserScriptHooks zmMultiUserScriptHooks;

inline int hookScriptEvalFunction(ZmWorld* world, ZmObj* object, ZmEvent* event, const char* procedure,
                                  const char* userData) {
  auto slot = zmMultiUserScriptHooks.scriptEvalFunction;
  int result = 0;
  return slot ? slot(world, 1, 1, procedure, object, event, "", userData, &result) : -1;
}

// ---- Media ---------------------------------------------------------------------

struct ZmMultiUserMediaHooks {
  // zmKinNextPosture / zmKinPrevPosture -- steps the articulated body of the
  // segment object one frame forward or back; 0 or -1. Unset: no body can
  // be loaded (-1).
  int (*kinNextPosture)(ZmObj* object);
  int (*kinPrevPosture)(ZmObj* object);
};
extern ZmMultiUserMediaHooks zmMultiUserMediaHooks;

inline int hookKinNextPosture(ZmObj* object) {
  return zmMultiUserMediaHooks.kinNextPosture ? zmMultiUserMediaHooks.kinNextPosture(object) : -1;
}

inline int hookKinPrevPosture(ZmObj* object) {
  return zmMultiUserMediaHooks.kinPrevPosture ? zmMultiUserMediaHooks.kinPrevPosture(object) : -1;
}

// ---- Chat display --------------------------------------------------------------

struct ZmMultiUserChatHooks {
  // zmChatDisplay -- appends the text to the chat window and labels the
  // speaking object. Unset: there is no chat window yet; the text is
  // dropped.
  void (*chatDisplay)(ZmObj* object, const char* text);
};
extern ZmMultiUserChatHooks zmMultiUserChatHooks;

inline void hookChatDisplay(ZmObj* object, const char* text) {
  if (zmMultiUserChatHooks.chatDisplay) zmMultiUserChatHooks.chatDisplay(object, text);
}

// Every slot of the tables above, for the start-up's check.
std::span<const ZmHookSlot> zmMultiUserHookSlots();

#endif
