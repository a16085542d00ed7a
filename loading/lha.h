// loading/lha.h -- LHA archives named by a world: fetched, extracted through
// the outside archiver library, and their members entered in the world's
// URL table.
//
// Owns: zmExtractLha, the run's counter of extraction folders (numbered
// folders in the program's temporary folder), whether archive scripts run,
// and the function the VRML
// builder's extractLha slot holds. It reaches the archiver library
// "unlha32.dll" only through LoadLibraryA/GetProcAddress by ordinal. It
// does not own the fetch (zmFetchUrl), the post-processing of fetched files
// (zmPreProcessFile), the URL table, or the script interpreter, which it
// reaches through loadingScript (loading/loadhooks.h).
#ifndef LUMENFOLD_LOADING_LHA_H
#define LUMENFOLD_LOADING_LHA_H

#define ZM_LHA_PATH_SIZE 256

/*
 * zmExtractLha --
 *   Fetches the archive at `url`, extracts every member into the next
 *   numbered folder "<temporary folder>/<n>/", post-processes each member
 *   (one that cannot be is left out), runs Tcl members at once in the
 *   world's interpreter and enters each member under its name in the URL
 *   table of the world being built, else the current world's. Member
 *   names that would lead out of the folder, or whose path exceeds
 *   ZM_LHA_PATH_SIZE, are skipped with a warning.
 * Results:
 *   0 when done or when the archive cannot be used (after a warning); -1
 *   when memory runs out (after an error).
 */
int zmExtractLha(const char* url);

// The number of the folder the next extraction will use.
int zmNextLhaFolderNumber();

/*
 * zmLhaSetRunsScripts --
 *   Whether the Tcl members of the archives extracted from now on run
 *   (they do at start). Off while another user's file is fetched and read:
 *   its scripts never run here, also none an archive it names carries.
 *   Such a member is still entered in the URL table, with a warning.
 * Results: the previous setting.
 */
bool zmLhaSetRunsScripts(bool runs);

// The VRML builder's extractLha slot (vrml/hooks.h): zmExtractLha, then
// frees `owned`, the builder's allocated copy of the name.
void zmExtractLhaCopy(const char* archive, char* owned);

#endif
