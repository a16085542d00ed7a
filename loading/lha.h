// loading/lha.h -- LHA archives named by a world: fetched, extracted through
// the outside archiver library, and their members entered in the world's
// URL table.
//
// Owns: zmExtractLha, the run's counter of extraction folders (numbered
// folders in the program's temporary folder), and the function the VRML
// builder's extractLha slot holds. It reaches the archiver library "unlha32.dll"
// only through LoadLibraryA/GetProcAddress by ordinal. It does not own the
// fetch, the post-processing of fetched files, the URL table or the script
// interpreter: it calls them through zmLhaCallbacks, which the layers that
// own them fill (each slot says what happens while it is unset).
#ifndef LUMENFOLD_LOADING_LHA_H
#define LUMENFOLD_LOADING_LHA_H

#include <cstddef>
#include <cstdint>

struct ZmLhaCallbacks {
  // zmWwwFetchUrl with a record holding only the URL: the local file
  // (owned by the fetcher), or null. Unset: the URL is a local file name.
  const char* (*fetchUrl)(const char* url);

  // zmPreProcessFile(flag, source, out, outSize, type): unpacks and
  // converts a fetched file, the result's name in out; 0 or -1 (the member
  // is then left out). Unset: the member is used as extracted.
  int (*preProcessFile)(int flag, const char* source, char* out, size_t outSize, uint32_t type);

  // zmGetFileType -- the type code of a file name (5: a Tcl script).
  // Unset: every member's type is ZM_LHA_TYPE_UNKNOWN.
  uint32_t (*getFileType)(const char* name);

  // Evaluates a Tcl file in the current world's interpreter (script type
  // 1). Unset: scripts are not run.
  int (*evalScriptFile)(const char* file);

  // zmNewUrlHashEntry on the table of zmGetWorldBeingBuiltOrCurrent()
  // (vrml/session.h), so that an archive named by a world file lands in
  // that world: the member name as URL, its local file and type code.
  // Unset: members are not entered.
  int (*newUrlHashEntry)(const char* url, const char* localFile, uint32_t type);
};

extern ZmLhaCallbacks zmLhaCallbacks;

#define ZM_LHA_PATH_SIZE 256
#define ZM_LHA_TYPE_UNKNOWN 0xFFFFFFFFu

/*
 * zmExtractLha --
 *   Fetches the archive at `url`, extracts every member into the next
 *   numbered folder "<temporary folder>/<n>/", post-processes each member,
 *   runs Tcl members at once and enters each member in the URL table under
 *   its name. Member names that would lead out of the folder, or whose path
 *   exceeds ZM_LHA_PATH_SIZE, are skipped with a warning.
 * Results:
 *   0 when done or when the archive cannot be used (after a warning); -1
 *   when memory runs out (after an error).
 */
int zmExtractLha(const char* url);

// The number of the folder the next extraction will use.
int zmNextLhaFolderNumber();

// The VRML builder's extractLha slot (vrml/hooks.h): zmExtractLha, then
// frees `owned`, the builder's allocated copy of the name.
void zmExtractLhaCopy(const char* archive, char* owned);

#endif
