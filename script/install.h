// script/install.h -- scripting's part of the program's start-up.
//
// Owns: zmInstallScriptHooks, which puts scripting's functions into the
// slots the scene core (core/hooks.h), the VRML builder (vrml/hooks.h), the
// archive reader (loading/loadhooks.h), the media (media/timeouthooks.h)
// and the multi-user client (multiuser/hooks.h) call up through. It does
// not own the tables nor the start-up order (startup/startup.h).
#ifndef LUMENFOLD_SCRIPT_INSTALL_H
#define LUMENFOLD_SCRIPT_INSTALL_H

// Fills every scripting slot of the core's and the builder's hook tables.
// Calling it again installs the same functions again.
void zmInstallScriptHooks();

#endif
