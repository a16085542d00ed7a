// viewer/install.h -- the viewer's start: its upward hook slots.
//
// Owns: zmInstallViewerHooks, the one function that puts the viewer's
// functions into the hook tables of the layers below (core/hooks.h,
// vrml/hooks.h). It does not own the tables nor the functions put there.
#ifndef LUMENFOLD_VIEWER_INSTALL_H
#define LUMENFOLD_VIEWER_INSTALL_H

// Fills every upward hook slot the viewer provides; the start-up
// (startup/startup.h) calls it. Safe to call more than once.
void zmInstallViewerHooks();

#endif
