// script/cmdsupport.h -- what every script command does the same way.
//
// Owns: the reading of the words (integers as atol reads them, floats as
// "%f" scans them, whatever the process locale), the records named by
// pointer texts with each command's "bad ..." message, the results ("%d",
// "%f", pointer texts, the empty text) and the storing of values into the
// script's variables by name. It does not own the commands (the command
// modules listed in script/commands.h) nor the table of handed-out records
// (script/host.h).
#ifndef LUMENFOLD_SCRIPT_CMDSUPPORT_H
#define LUMENFOLD_SCRIPT_CMDSUPPORT_H

#include <tcl.h>

struct ZmEvent;
struct ZmLeaf;
struct ZmMFColor;
struct ZmObj;

namespace zmcmd {

// A command's handler, as the table registers it.
#define ZM_COMMAND(name) int name(ClientData, Tcl_Interp* interp, int argc, const char* argv[])

long longWord(const char* word);     // leading decimal integer, 0 for none
double floatWord(const char* word);  // leading "%f" number, 0 for none

int intResult(Tcl_Interp* interp, long value);  // "%ld"; TCL_OK
int floatResult(Tcl_Interp* interp, double value);  // "%f"; TCL_OK
int textResult(Tcl_Interp* interp, const char* text);  // TCL_OK
int emptyResult(Tcl_Interp* interp);  // TCL_OK

// Store "%f", "%ld" or a text into the variable named `name`; false with
// the library's message in the result when it cannot be set.
bool setFloatVar(Tcl_Interp* interp, const char* name, double value);
bool setLongVar(Tcl_Interp* interp, const char* name, long value);
bool setTextVar(Tcl_Interp* interp, const char* name, const char* text);
// Stores the pointer text of an object ("%ld", 0 for none) and hands it out.
bool setObjectVar(Tcl_Interp* interp, const char* name, ZmObj* object);

// The live record a pointer text names; null with `format` (filled with the
// command name and the text) in the result otherwise. "0" names nothing
// and is refused the same way.
ZmObj* objectArg(Tcl_Interp* interp, const char* command, const char* text,
                 const char* format = "%s:bad ZmObj[%s]");
ZmLeaf* leafArg(Tcl_Interp* interp, const char* command, const char* text);  // "%s:bad Parts or ZmObj[%s]"
ZmEvent* eventArg(Tcl_Interp* interp, const char* command, const char* text);
ZmMFColor* colorsArg(Tcl_Interp* interp, const char* command, const char* text);

// False, with "%s:can't read %s from zmbrowser." (the command name, the
// word) in the result, when the interpreter's world may not read the file
// (script/rights.h), or may not have the program fetch the URL.
bool mayReadArg(Tcl_Interp* interp, const char* command, const char* path);
bool mayFetchArg(Tcl_Interp* interp, const char* command, const char* url);

}  // namespace zmcmd

#endif
