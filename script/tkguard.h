// script/tkguard.h -- what a world's scripts may do with the toolkit.
//
// Owns: the guards put on a world's interpreter once the toolkit has
// started: "send" (other programs on the display running scripts here),
// "clipboard" and "selection" (what the user copied) taken away; every
// toplevel carrying the world's name at the start of its title, however the
// title is set ("toplevel", "wm title", "wm manage"), and none put inside
// another program's window ("toplevel -use"); and the toolkit's own ways
// to files held to the sandbox's rules (script/sandbox.h): images read
// ("image create -file", a photo's "read" and "configure -file") only what
// "open" reads and written (a photo's "write") only as plain names in
// "usrfiles", "option readfile" reading as "open" does, and a canvas's
// "postscript -file" writing as "open" writes. It does not own the toolkit's
// start (script/sandbox.h) nor the windows of the program itself.
#ifndef LUMENFOLD_SCRIPT_TKGUARD_H
#define LUMENFOLD_SCRIPT_TKGUARD_H

#include <tcl.h>

// Puts the guards on an interpreter whose toolkit has just started.
// TCL_OK, or TCL_ERROR with the reason in the result.
int zmScriptGuardToolkit(Tcl_Interp* interp);

#endif
