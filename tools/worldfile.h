// tools/worldfile.h -- how the command-line programs read a world: as the
// program reads a local world, with the real URL table, a gzip-compressed
// world unpacked first and every file the world names fetched by the
// program's own fetch (zmWwwFetchUrl), which finds names relative to the
// world's folder, unpacks what is packed and converts GIF and JPEG images
// for the engine. The tools have no browser, so only local files and web
// URLs are found.
//
// Owns nothing: the base URL belongs to the browser link (loading/), the
// world to the caller (zmDeleteWorld).
#ifndef LUMENFOLD_TOOLS_WORLDFILE_H
#define LUMENFOLD_TOOLS_WORLDFILE_H

#include <cstdlib>

#include <string>

#include "core/world.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "loading/wwwlink.h"
#include "startup/startup.h"
#include "tools/messages.h"
#include "vrml/parse.h"

namespace worldfile {

// The layers started as the program starts them, with the program's fetch
// and messages printed on standard output.
inline void startLayers() { zmStartLayers({printMessage}); }

/*
 * readWorld --
 *   A new current world read from the file. *parsed is the reader's result
 *   (0 when the whole file was read).
 * Results:
 *   The world, or null when none could be made.
 */
inline ZmWorld* readWorld(const char* name, int* parsed) {
  char* absolute = realpath(name, nullptr);
  const std::string worldFile(absolute ? absolute : name);
  std::free(absolute);
  const char* file = worldFile.c_str();
  // Names inside the world are found beside it, as the program finds them
  // from the world's URL.
  if (const char* url = zmMakeFileUrl(file)) zmWwwSetBaseUrl(url);
  ZmWorld* world = zmNewWorld(file);
  if (world == nullptr) return nullptr;
  zmSetCurrentWorld(world);
  ZmId first = -10000, last = -1;
  zmSetIdCounter(&first, &last, 0);
  char usable[ZM_URL_BUFFER_SIZE];
  const bool unpacked = zmPreProcessFile(ZM_PLACE_LOCAL, file, usable, sizeof usable, 4) == 0;
  *parsed = parseVRMLIntoWorld(unpacked ? usable : file, world);
  return world;
}

}  // namespace worldfile

#endif
