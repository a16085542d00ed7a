// startup/startup.h -- the start-up of the layers, shared by the program and
// the command-line tools. It sits above scripting and below the shell, so a
// tool that starts the layers links neither the shell's windows nor the X
// display (platform/x11/), and Tk comes only with a world's toolkit
// (script/toolkit.h).
//
// Owns: the order in which the layers' install functions run, the stand-ins
// a caller gives for the parts of the program that do not exist yet, and
// the debug build's check that lists the service records (core/service.h)
// an installed layer leaves unset. It does not own the
// records (core/hooks.h, vrml/hooks.h, ...) nor the install functions (one
// per layer, in that layer).
#ifndef LUMENFOLD_STARTUP_STARTUP_H
#define LUMENFOLD_STARTUP_STARTUP_H

#include <initializer_list>
#include <string>
#include <string_view>

// What the caller puts in place of the parts it runs without. A null member
// leaves its service at the default. (A caller that finds a world's files
// elsewhere than the program's fetch does sets its own fetch after the
// start-up: zmSetUrlFetch, loading/urltable.h.)
struct ZmStandIns {
  // The shell's notify window: where the program's messages go (the tools
  // print them).
  int (*notifyMessage)(const char* text);
};

/*
 * zmStartLayers --
 *   Runs the install function of every layer that exists, lowest first
 *   (viewer, loading, media, multi-user, then scripting), has the
 *   program's modules that cannot be loaded reported among its messages,
 *   then provides the caller's stand-ins. The shell provides its records
 *   later (zmInstallShellHooks).
 * Side effects:
 *   Provides the service records; in a debug build, writes the records the
 *   installed layers leave unset to stderr (nothing when all are set).
 *   Calling it again installs the same functions again.
 */
void zmStartLayers(const ZmStandIns& standIns);

// The records that the named providing layers ("viewer", "loading", ...)
// leave unset, one line each ("viewer: coreViewer", or
// "viewer: coreViewer (a function left out)" for a provided record with a
// null member); empty when every one is set.
std::string zmListUnsetHooks(std::initializer_list<std::string_view> providers);

#endif
