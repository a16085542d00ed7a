// multiuser/hooks.h -- the calls the multi-user client makes up into the
// layers above it: scripting (a procedure named by another user's message)
// and the chat display. A posture step of an articulated body goes through
// the viewer's media slots (viewer/hooks.h), which navigation shares.
//
// Owns: one table per providing layer, all slots null at start, filled by
// that layer's install function (tests set recorders), the inline wrappers
// that hold what happens while a slot is unset, and the list of the slots
// for the start-up's check. The slot `fooBar` stands for `zmFooBar`.
#ifndef LUMENFOLD_MULTIUSER_HOOKS_H
#define LUMENFOLD_MULTIUSER_HOOKS_H

#include <span>

#include "core/hooks.h"
#include "core/hookslots.h"

// ---- Scripting -----------------------------------------------------------------

struct ZmMultiUserScriptHooks {
  // zmScriptEvalFunction -- calls the world's Tcl procedure `procedure` with
  // the object, the event and `userData` as separate words: the procedure
  // is one command word and the data one literal argument, never evaluated
  // as script text (they come from the network). 0 or -1;
  // ZMQX_NOT_A_WORLD_PROCEDURE, nothing run, when the name is not a
  // procedure the world's own scripts defined. Unset: there is no
  // interpreter (-1).
  int (*scriptEvalFunction)(ZmWorld* world, int scriptType, int withEvent, const char* procedure, ZmObj* object,
                            ZmEvent* event, const char* ignored, const char* userData, int* result);
};
extern ZmMultiUserScriptHooks zmMultiUserScriptHooks;
enum { ZMQX_NOT_A_WORLD_PROCEDURE = -2 };

inline int hookScriptEvalFunction(ZmWorld* world, ZmObj* object, ZmEvent* event, const char* procedure,
                                  const char* userData) {
  auto slot = zmMultiUserScriptHooks.scriptEvalFunction;
  int result = 0;
  return slot ? slot(world, 1, 1, procedure, object, event, "", userData, &result) : -1;
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
