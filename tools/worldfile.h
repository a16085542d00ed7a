// tools/worldfile.h -- how the command-line programs read a world: with the
// real URL table and a gzip-compressed world unpacked first, as the program
// does with a local world. The tools have no browser, so a fetch only finds
// local files: a relative URL is taken relative to the folder of the world
// file, a "file:" URL is its path.
//
// Owns the folder of the world being read and the buffer of the last local
// name handed out; the world belongs to the caller (zmDeleteWorld).
#ifndef LUMENFOLD_TOOLS_WORLDFILE_H
#define LUMENFOLD_TOOLS_WORLDFILE_H

#include <unistd.h>

#include <cstdlib>

#include <string>

#include "core/world.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "shell/startup.h"
#include "tools/messages.h"
#include "vrml/parse.h"

namespace worldfile {

inline std::string worldFolder;
inline std::string fetched;

inline const char* fetchLocalFile(ZmUrlHash* entry) {
  const char* url = zmGetUrl(entry);
  if (url == nullptr) return nullptr;
  if (zmGetUrlScheme(url) == ZM_SCHEME_FILE) {
    const char* path = zmFileUrlToPath(url);
    if (path == nullptr) return nullptr;
    fetched = path;
  } else if (zmGetUrlScheme(url) == ZM_SCHEME_NONE) {
    fetched = url[0] == '/' ? url : worldFolder + url;
    zmResolveLocalName(fetched.data());
  } else {
    return nullptr;
  }
  return access(fetched.c_str(), R_OK) == 0 ? fetched.c_str() : nullptr;
}

// The layers started as the program starts them, with fetches served from
// local files and messages printed on standard output.
inline void startLayers() { zmStartLayers({printMessage, fetchLocalFile}); }

/*
 * readWorld --
 *   A new current world read from the file. *parsed is the reader's result
 *   (0 when the whole file was read).
 * Results:
 *   The world, or null when none could be made.
 */
inline ZmWorld* readWorld(const char* name, int* parsed) {
  // Names inside the world are found beside it whatever the current folder.
  char* absolute = realpath(name, nullptr);
  const std::string worldFile(absolute ? absolute : name);
  std::free(absolute);
  const char* file = worldFile.c_str();
  worldFolder = worldFile.substr(0, worldFile.rfind('/') + 1);
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
