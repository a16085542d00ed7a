// tools/vrmlwrite.cpp -- reads one VRML 1.0 world and writes it back.
//
// Usage: vrmlwrite FILE.wrl OUT.wrl. Reads FILE through parseVRMLIntoWorld,
// printing every message of the reader and the writer as it comes, and
// writes the world to OUT with zmDumpZmWorld. The tool has no browser: the
// names a world gives (inlines, textures, sounds) are found as the reader
// finds them, relative to the world file's own folder whatever the current
// folder, and a gzip-compressed file is unpacked; images are not converted,
// so texture fields name the images the world names, wherever OUT is put.
// Exit status 0 when the whole world was written; 1 when the parse failed,
// a file the world names could not be found or an object could not be
// written (what could be written is in OUT); 2 for a wrong command line.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/object.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "startup/startup.h"
#include "tools/messages.h"
#include "vrml/parse.h"
#include "vrmlwrite/qvdump.h"

namespace {

struct Fetches {
  std::string worldUrl;  // the file URL names are resolved against
  std::string local;     // the local file of the last fetch
  int missing = 0;       // names whose file could not be had
};
Fetches fetches;

// The local file of a name: a file URL's path, or a relative name taken
// from the world's folder; null for anything else or a file not there.
const char* localFileOf(const char* url) {
  const char* resolved = zmDdeParseAnchor(fetches.worldUrl.c_str(), url);
  const char* path = resolved != nullptr ? zmFileUrlToPath(resolved) : nullptr;
  if (path == nullptr || access(path, R_OK) != 0) return nullptr;
  fetches.local = path;
  if (zmGetFileType(path) != ZM_FILE_GZ) return fetches.local.c_str();
  char unpacked[ZM_URL_BUFFER_SIZE];
  if (zmPreProcessFile(ZM_PLACE_LOCAL, fetches.local.c_str(), unpacked, sizeof unpacked, ZM_FILE_WRL) != 0)
    return nullptr;
  fetches.local = unpacked;
  return fetches.local.c_str();
}

const char* fetchLocalFile(ZmUrlHash* entry) {
  const char* url = zmGetUrl(entry);
  const char* local = url != nullptr ? localFileOf(url) : nullptr;
  if (local == nullptr) ++fetches.missing;
  return local;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vrmlwrite FILE.wrl OUT.wrl\n");
    return 2;
  }
  zmStartLayers({printMessage});
  zmSetUrlFetch(fetchLocalFile);
  char* absolute = realpath(argv[1], nullptr);
  const std::string worldFile(absolute != nullptr ? absolute : argv[1]);
  std::free(absolute);
  const char* worldUrl = zmMakeFileUrl(worldFile.c_str());
  fetches.worldUrl = worldUrl != nullptr ? worldUrl : "";
  ZmWorld* world = zmNewWorld(worldFile.c_str());
  if (world == nullptr) return 1;
  zmSetCurrentWorld(world);
  ZmId first = -10000, last = -1;
  zmSetIdCounter(&first, &last, 0);
  const int parsed = parseVRMLIntoWorld(worldFile.c_str(), world);
  int leftOut = 0;
  if (parsed == 0) leftOut = zmDumpZmWorld(world, argv[2]);
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  if (fetches.missing > 0) std::printf("vrmlwrite: %d file(s) the world names could not be found\n", fetches.missing);
  if (leftOut > 0) std::printf("vrmlwrite: %d object(s) could not be written\n", leftOut);
  // A file that could not be written (-1) was reported by the writer.
  return parsed == 0 && fetches.missing == 0 && leftOut == 0 ? 0 : 1;
}
