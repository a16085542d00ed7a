// multiuser/hooks.h -- the calls the multi-user client makes up into
// scripting (a procedure another user's message names) and the shell's chat
// display (core/service.h). A posture step of a body goes through the
// viewer's media service (viewer/hooks.h), which navigation shares.
#ifndef LUMENFOLD_MULTIUSER_HOOKS_H
#define LUMENFOLD_MULTIUSER_HOOKS_H

#include "core/event.h"
#include "core/object.h"
#include "core/service.h"

struct ZmWorld;

struct ZmMultiUserScript {
  // zmScriptEvalFunction -- calls the world's Tcl procedure `procedure` with
  // the object, the event and `userData` as separate words: the procedure is
  // one command word and the data one literal argument, never evaluated as
  // script text (they come from the network). 0 or -1 (the default);
  // ZMQX_NOT_A_WORLD_PROCEDURE, nothing run, when the name is not a
  // procedure the world's own scripts defined.
  int (*scriptEvalFunction)(ZmWorld* world, ZmObj* object, ZmEvent* event, const char* procedure,
                            const char* userData);
};
enum { ZMQX_NOT_A_WORLD_PROCEDURE = -2 };
inline constexpr ZmMultiUserScript kMultiUserScriptDefaults = {.scriptEvalFunction = zmReturns<-1>};
inline constinit ZmService<ZmMultiUserScript> multiUserScript{"script", "multiUserScript", kMultiUserScriptDefaults};

struct ZmMultiUserShell {
  // zmChatDisplay -- appends the text to the chat window and labels the
  // speaking object.
  void (*chatDisplay)(ZmObj* object, const char* text);
};
inline constexpr ZmMultiUserShell kMultiUserShellDefaults = {.chatDisplay = zmNothing};
inline constinit ZmService<ZmMultiUserShell> multiUserShell{"shell", "multiUserShell", kMultiUserShellDefaults};

#endif
