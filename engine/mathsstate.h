// engine/mathsstate.h -- the engine's maths: the fast maths tables and the
// matrices with their stacks (private to engine/).
//
// Owns the one record that holds both maths modules' state. They are the
// first two modules the library open opens and the last two its close
// closes, everything else builds on them, and the matrix code reads the
// tables for its square roots. The record is defined in mathtables.cpp.
//
// Which module writes which member:
//   tables    mathtables.cpp  the square root, bit, log and exp tables
//   matrices  matrix.cpp      the matrix and stack records, the CTM and scratch stacks
// It does not own the rasteriser's copies of the log and exp tables
// (engine/raster/rasterapi.h) nor any matrix a caller holds.
#ifndef LUMENFOLD_ENGINE_MATHSSTATE_H
#define LUMENFOLD_ENGINE_MATHSSTATE_H

#include "engine/mathtables.h"
#include "engine/matrix.h"
#include "engine/pool.h"

struct RwMathsState {
  RwMathTables tables = {};  // built by the maths open, freed by its close

  struct MatrixModule {
    RwPool* matrixPool;       // "matrixlist"
    RwPool* stackPool;        // "matrixstacklist"
    RwMatrixStack* ctmStack;  // modelling's current transformation matrix
    RwMatrixStack* scratchStack;
  } matrices;
};

RwMathsState& rwMathsState();

#endif
