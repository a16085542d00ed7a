// engine/rwxscript.h -- the model-script interpreter.
//
// Owns: reading a model script line by line (one keyword per line, its
// arguments after it; keywords and option words in any letter case,
// comments after "#", Windows line ends) and carrying each keyword out
// through the modelling API: brackets, transforms, joints, materials,
// vertices and polygons, primitives, prototypes and included shapes.
// It does not own the modelling state (engine/modelling.h), the tokens
// (engine/rwxtoken.h) nor finding and opening files (engine/shapefile.h).
#ifndef LUMENFOLD_ENGINE_RWXSCRIPT_H
#define LUMENFOLD_ENGINE_RWXSCRIPT_H

#include <cstdint>
#include <cstdio>

struct RwClump;

// Scripts read inside one another (each include one level deeper); a
// deeper include fails, so a script that includes itself ends cleanly.
constexpr intptr_t rwLargestScriptNesting = 16;

/*
 * RwInterpretScript --
 *   Reads the script from the stream's position in a parse context of its
 *   own, which ends with every stack, prototype and library setting it
 *   changed put back.
 * Results:
 *   The top-level clump the script built (at modelend, or at the clumpend
 *   of a top-level clump outside modelbegin), or null with the error set:
 *   5 for a stream that ended first, 39 for a script that built no clump,
 *   1 for an include nested too deeply, and every keyword's own errors.
 *   A polygon of too few or too many vertices and a primitive too large
 *   (engine/primitives.h) are skipped with their error pending (40, 41)
 *   and reading goes on.
 */
RwClump* RwInterpretScript(std::FILE* stream);

// The line the last script that failed stopped at (1 is the first), or 0.
intptr_t RwGetScriptFailureLine();

#endif
