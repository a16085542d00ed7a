// loading/loadhooks.h -- the calls the URL table and the file post-processing
// make into the parts of loading that talk to the outside (the browser link
// and the gzip runner), and the installation of the loading layer into the
// layers below it.
//
// Owns: one table of function pointers, `zmLoadingHooks`, all null at start,
// filled by the browser-link and gzip modules when they exist and by tools
// and tests with local stand-ins; and zmInstallLoadingHooks, the loading
// layer's one install function. It does not own the functions behind the
// slots.
#ifndef LUMENFOLD_LOADING_LOADHOOKS_H
#define LUMENFOLD_LOADING_LOADHOOKS_H

#include <cstddef>
#include <cstdint>

#include "platform/windows.h"

struct ZmUrlHash;

struct ZmLoadingHooks {
  // Browser link: zmWwwFetchUrl -- the synchronous fetch of an entry's URL;
  // the post-processed local file (a buffer of the fetcher's that the next
  // fetch overwrites) with the entry's type code set, or null. Unset:
  // nothing can be fetched; an entry without a local file stays without.
  const char* (*wwwFetchUrl)(ZmUrlHash* entry);

  // gzip runner: Decompress -- unpacks `source` into a file named by the
  // placement flag, writing its name into `out` (`outSize` bytes); 0 or
  // -1. Unset: gzip files are not unpacked and their post-processing fails
  // (-1).
  int (*decompress)(int placement, HWND window, const char* source, char* out, size_t outSize, uint32_t type);
};

extern ZmLoadingHooks zmLoadingHooks;

// Fills every upward slot the loading layer provides: the URL table's
// functions (zmNewUrlHash, zmDeleteUrlHash, zmReleaseUrlHashEntry into the
// core's table; zmWwwLoadFile, zmGetUrl, zmGetLocalFile, zmSetNameOfWWW,
// zmGetLocalNameOfWWW and the LHA extraction into the VRML layer's;
// zmGetUrlNameOfWWW into the writer's), its own gzip slot with Decompress,
// and the archive extraction's fetch, post-processing, file types and
// member entries; makes the archiver library loadable. Worlds made afterwards
// get a URL table. Safe to call more than once.
void zmInstallLoadingHooks();

#endif
