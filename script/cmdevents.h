// script/cmdevents.h -- the script commands for event and time-out
// handlers and for the event record a procedure was called with.
//
// Owns: those handlers. A script may name a procedure but never a native
// callback (script type 4), which only the program can stand behind. The
// event record is readable only while the handlers it was delivered to
// run; a time-out record only until it is freed. It does not own the
// handlers' lists and queues (script/events.h, script/timeouts.h) nor the
// command table (script/commands.h).
#ifndef LUMENFOLD_SCRIPT_CMDEVENTS_H
#define LUMENFOLD_SCRIPT_CMDEVENTS_H

#include "script/cmdsupport.h"

namespace zmcmd {

ZM_COMMAND(eventHandler);  // zmAddEventHandler and zmRemoveEventHandler, by the command word
ZM_COMMAND(addTimeOutHandler);
ZM_COMMAND(removeTimeOutHandler);
ZM_COMMAND(eventField);  // zmGetEventType, Key, Modifier, Part, Obj: the field named by the word
ZM_COMMAND(eventPoint);
ZM_COMMAND(event2DPoint);
ZM_COMMAND(eventTime);

}  // namespace zmcmd

#endif
