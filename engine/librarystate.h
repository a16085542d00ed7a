// engine/librarystate.h -- the engine's program-wide values that belong to
// no module: whether it is open, the tag it stamps on modelled clumps, and
// the sticky error number (private to engine/).
//
// Owns the one record that holds them. They are the library's own globals:
// every module sets the error number, the open and the close test and set
// the open flag, and the program sets the tag through the library's API.
// The error number outlives a close (nothing but a read clears it). The
// record is defined in library.cpp.
//
// Which module writes which member:
//   library      library.cpp  the open flag and the modelling tag
//   stickyError  error.cpp    the first error not yet read
// It does not own any module's state: each module's open sets up its own.
#ifndef LUMENFOLD_ENGINE_LIBRARYSTATE_H
#define LUMENFOLD_ENGINE_LIBRARYSTATE_H

#include <cstdint>

#include "engine/error.h"

struct RwLibraryState {
  // The open flag and the modelling tag.
  struct LibraryState {
    bool opened = false;  // open (fully or partly): otherwise the close does nothing
    intptr_t modellingTag = 0;
  } library;

  int stickyError = rwErrNone;  // 0: no error pending
};

RwLibraryState& rwLibraryState();

#endif
