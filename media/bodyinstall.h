// media/bodyinstall.h -- the articulated bodies' and movie textures' part of
// the program's start-up.
//
// Owns: zmInstallBodyAndMovieHooks, which puts the body and movie functions
// into the slots the scene core (core/hooks.h), the VRML builder
// (vrml/hooks.h) and the viewer (viewer/hooks.h) call up through. It does
// not own those tables nor the start-up order (startup/startup.h), nor the
// sound slots of the same tables.
#ifndef LUMENFOLD_MEDIA_BODYINSTALL_H
#define LUMENFOLD_MEDIA_BODYINSTALL_H

// Fills the body and movie slots; calling it again installs the same
// functions again.
void zmInstallBodyAndMovieHooks();

#endif
