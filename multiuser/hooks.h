// multiuser/hooks.h -- the calls the multi-user client makes up into the
// layers above it: scripting (a procedure named by another user's message)
// and the shell's chat display. A posture step of an articulated body goes
// through the viewer's media service (viewer/hooks.h), which navigation
// shares.
//
// Owns: one service record per providing layer (core/service.h), each with
// its constant default record, which holds what the client gets while that
// layer is absent, and the service the client calls it through. Member
// `fooBar` stands for the provider's `zmFooBar`.
#ifndef LUMENFOLD_MULTIUSER_HOOKS_H
#define LUMENFOLD_MULTIUSER_HOOKS_H

#include "core/event.h"
#include "core/object.h"
#include "core/service.h"

struct ZmWorld;

// ---- Scripting -----------------------------------------------------------------

struct ZmMultiUserScript {
  // zmScriptEvalFunction -- calls the world's Tcl procedure `procedure` with
  // the object, the event and `userData` as separate words: the procedure
  // is one command word and the data one literal argument, never evaluated
  // as script text (they come from the network). 0 or -1;
  // ZMQX_NOT_A_WORLD_PROCEDURE, nothing run, when the name is not a
  // procedure the world's own scripts defined. Default: there is no
  // interpreter (-1).
  int (*scriptEvalFunction)(ZmWorld* world, ZmObj* object, ZmEvent* event, const char* procedure,
                            const char* userData);
};
enum { ZMQX_NOT_A_WORLD_PROCEDURE = -2 };
inline constexpr ZmMultiUserScript kMultiUserScriptDefaults = {
    .scriptEvalFunction = [](ZmWorld*, ZmObj*, ZmEvent*, const char*, const char*) { return -1; },
};
inline constinit ZmService<ZmMultiUserScript> multiUserScript{"script", "multiUserScript", kMultiUserScriptDefaults};

// ---- Shell ---------------------------------------------------------------------

struct ZmMultiUserShell {
  // zmChatDisplay -- appends the text to the chat window and labels the
  // speaking object. Default: there is no chat window yet; the text is
  // dropped.
  void (*chatDisplay)(ZmObj* object, const char* text);
};
inline constexpr ZmMultiUserShell kMultiUserShellDefaults = {
    .chatDisplay = [](ZmObj*, const char*) {},
};
inline constinit ZmService<ZmMultiUserShell> multiUserShell{"shell", "multiUserShell", kMultiUserShellDefaults};

#endif
