// media/install.h -- the media layer's start: its upward hook slots.
//
// Owns: zmInstallMediaHooks, the one function that puts media's functions
// into the hook tables of the layers below (core/hooks.h, vrml/hooks.h,
// viewer/hooks.h). It does not own the tables nor the functions put there.
#ifndef LUMENFOLD_MEDIA_INSTALL_H
#define LUMENFOLD_MEDIA_INSTALL_H

// Fills the sound slots (deleting sound leaves and choosing the sound world
// for the core, making sound leaves and entering sound objects for the VRML
// reader, the walking sounds for navigation), the posture steps of bodies,
// and the bodies and movie textures. Safe to call more than
// once.
void zmInstallMediaHooks();

#endif
