// platform/ownmodule.h -- the program's own run-time modules: the parts that
// pull in large libraries (movie decoders, MIDI synthesiser, web transfers),
// built as shared objects and loaded on first use from the program's library
// folder (programLibraryFolder), where the glyph shapes of 3-D text lie too.
// A program that never plays a movie never maps those libraries.
//
// Owns: finding and loading a module once per run, handing over the table
// its entry names, and reporting once a module that cannot be loaded. A
// loaded module stays loaded for the run (some start threads of their
// own). It does not own the tables (the header of each module's callers
// states its own) nor what the callers do without one. Not to be confused
// with module.h, the LoadLibraryA stand-in over libraries the platform
// itself provides.
#ifndef LUMENFOLD_PLATFORM_OWNMODULE_H
#define LUMENFOLD_PLATFORM_OWNMODULE_H

#include <string>

namespace platform {

/*
 * ownModuleSymbol --
 *   The address of the symbol `entry` in the program's module `name` (the
 *   file "<name>.so"), the module loaded on the first call.
 * Results:
 *   The address; null when the module or the symbol cannot be loaded. The
 *   failure is reported once with the loader's text (setOwnModuleReporter);
 *   later calls give null at once.
 */
const void* ownModuleSymbol(const char* name, const char* entry);

// The table a module exports as the data symbol `entry`.
template <typename Table>
const Table* ownModuleTable(const char* name, const char* entry) {
  return static_cast<const Table*>(ownModuleSymbol(name, entry));
}

// Where a module that cannot be loaded is reported, the text without a line
// feed; null (the start) writes it to the debugger output. Gives the
// reporter it replaces.
using OwnModuleReporter = void (*)(const char* text);
OwnModuleReporter setOwnModuleReporter(OwnModuleReporter report);

// The folder of the program's run-time modules and glyph shapes, without a
// trailing '/': "<program folder>/../lib/lumenfold" when it exists (an
// installed program), else "<program folder>/../lib" (the build tree).
std::string programLibraryFolder();

// Test support: modules are looked for in `folder` (null: back to the
// program's library folder), and what was loaded or failed so far is
// forgotten (modules loaded stay mapped).
void setOwnModuleFolderForTest(const char* folder);

}  // namespace platform

#endif
