// engine/shapereaderstate.h -- the shape reader's state: the modelling
// contexts, the shape search path and the outcome of the last script read
// (private to engine/).
//
// Owns the one record that holds the three modules' state. The shape reader
// is opened as one module by the library open (it clears the search path and
// opens the modelling contexts) and closed as one by its close; a script
// read finds its files along the path, builds through the contexts and
// leaves the line it stopped at. The record is defined in modelling.cpp.
//
// Which module writes which member:
//   modelling    modelling.cpp  the parse contexts, definitions, prototypes and joints
//   path         shapepath.cpp  the search path and the last name found on it
//   failureLine  rwxscript.cpp  the line the last script read stopped at
// It does not own the clumps a read makes nor the CTM (engine/mathsstate.h).
#ifndef LUMENFOLD_ENGINE_SHAPEREADERSTATE_H
#define LUMENFOLD_ENGINE_SHAPEREADERSTATE_H

#include <cstddef>
#include <cstdint>

#include "engine/matrix.h"
#include "engine/modelling.h"
#include "engine/pool.h"
#include "engine/shapepath.h"

struct RwShapeReaderState {
  // The records of the modelling contexts and the chain of open ones.
  struct ModellingState {
    RwPool* parseContexts;
    RwPool* definitions;
    RwPool* prototypes;
    RwMatrixStack* joints;
    RwParseContext* first;  // the base context, serving direct calls
    RwParseContext* last;   // the current context
  } modelling;

  // The search path and the last name found on it (the next search overwrites it).
  struct ShapePathState {
    static constexpr size_t foundNameSize = 2048;  // room for a path element joined with a name
    char search[rwShapePathSize] = "";
    char found[foundNameSize] = "";
  } path;

  intptr_t failureLine = 0;  // of the last script read; 0 after a complete read
};

RwShapeReaderState& rwShapeReaderState();

#endif
