// script/commands.h -- the program's script commands.
//
// Owns: the command table (names and handlers, in registration order),
// which every world's interpreter is given. The handlers live in modules by
// theme: the scene (script/cmdscene.h), looks and cameras
// (script/cmdmaterial.h), events and tasks (script/cmdevents.h), media and
// bodies (script/cmdmedia.h), the network, the browser and messages
// (script/cmdnetwork.h). Every command checks its word count first
// (zmTclError with its usage text), takes records as pointer texts
// (script/host.h) and gives statuses as "%d". It does not own what the
// commands call.
#ifndef LUMENFOLD_SCRIPT_COMMANDS_H
#define LUMENFOLD_SCRIPT_COMMANDS_H

#include <tcl.h>

#include <span>

struct ZmScriptCommand {
  const char* name;
  Tcl_CmdProc* handler;
};

// The table, in registration order.
std::span<const ZmScriptCommand> zmScriptCommands();
// Registers every command of the table in the interpreter.
void zmScriptRegisterCommands(Tcl_Interp* interp);

#endif
