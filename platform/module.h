// platform/module.h -- loading optional libraries by name at run time.
//
// Owns: LoadLibraryA, GetProcAddress and FreeLibrary over a table of the
// libraries that the platform itself provides. It does not load shared
// objects from disk: a library the platform does not provide is simply not
// present (NULL), which callers already handle as "not installed".
#ifndef LUMENFOLD_PLATFORM_MODULE_H
#define LUMENFOLD_PLATFORM_MODULE_H

#include "platform/wintypes.h"

// The provided library of that name (compared ignoring case, with or
// without a folder), its use count raised; NULL for any other name.
HMODULE LoadLibraryA(LPCSTR name);
#define LoadLibrary LoadLibraryA
// The named entry point of a loaded library (or the one of that ordinal,
// for a "name" below 0x10000), or NULL.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// Lowers the use count; FALSE for a module that is not loaded.
BOOL FreeLibrary(HMODULE module);

namespace platform {

// An entry point is found by its name, or by its ordinal when the caller
// passes GetProcAddress a number below 0x10000 in place of a name (0: none).
struct ModuleEntryPoint {
  const char* name;
  FARPROC address;
  WORD ordinal = 0;
};

/*
 * provideModule --
 *   Makes a library loadable under `name` with the given entry points (the
 *   array, ended by a null name, must outlive the program). Used by the
 *   platform modules that stand in for outside libraries. False when the
 *   name is already provided.
 */
bool provideModule(const char* name, const ModuleEntryPoint* entryPoints);

}  // namespace platform

#endif
