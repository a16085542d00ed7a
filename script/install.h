// script/install.h -- scripting's part of the program's start-up.
//
// Owns: zmInstallScriptHooks, which puts scripting's functions into the
// slots the scene core (core/hooks.h), the VRML builder (vrml/hooks.h), the
// media (media/timeouthooks.h) and the multi-user client (multiuser/hooks.h)
// call up through, and zmConnectScriptToLayersBelow. It does not own the
// tables nor the start-up order (startup/startup.h).
#ifndef LUMENFOLD_SCRIPT_INSTALL_H
#define LUMENFOLD_SCRIPT_INSTALL_H

// Fills every scripting slot of the core's and the builder's hook tables.
// Calling it again installs the same functions again.
void zmInstallScriptHooks();

// Fills the script layer's own tables (script/hooks.h) with the layers it
// links: the walking switch, the multi-user senders and the media. Kept
// apart from zmInstallScriptHooks so that the script suite can run the
// commands against stand-ins or with nothing behind them.
void zmConnectScriptToLayersBelow();

#endif
