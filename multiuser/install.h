// multiuser/install.h -- the multi-user client's part of the program's
// start-up.
//
// Owns: zmInstallMultiUserHooks, which puts the client's functions into the
// slots the scene core (core/hooks.h) and the viewer (viewer/hooks.h) call
// up through. It does not own the tables nor the start-up order
// (startup/startup.h).
#ifndef LUMENFOLD_MULTIUSER_INSTALL_H
#define LUMENFOLD_MULTIUSER_INSTALL_H

// Fills the client's slots; calling it again installs the same functions.
void zmInstallMultiUserHooks();

#endif
