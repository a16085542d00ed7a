// tools/vrmlwrite.cpp -- reads one VRML 1.0 world and writes it back.
//
// Usage: vrmlwrite FILE.wrl OUT.wrl. Reads FILE through parseVRMLIntoWorld,
// printing every message of the reader and the writer as it comes, and
// writes the world to OUT with zmDumpZmWorld. The tool has no browser: a
// URL's local file is the URL itself ("file://" URLs name the path after
// it), so texture and sound fields name what the world file named. Exit
// status 0 when the world was read, 1 when the parse failed, 2 for a wrong
// command line.
#include <cstdio>
#include <string>

#include "core/object.h"
#include "core/world.h"
#include "loading/urltable.h"
#include "shell/startup.h"
#include "vrml/parse.h"
#include "vrmlwrite/qvdump.h"
#include "tools/messages.h"

namespace {

std::string fetched;

const char* fetchOwnFile(ZmUrlHash* entry) {
  const char* url = zmGetUrl(entry);
  if (url == nullptr) return nullptr;
  const std::string text = url;
  fetched = text.rfind("file://", 0) == 0 ? text.substr(7) : text;
  return fetched.c_str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vrmlwrite FILE.wrl OUT.wrl\n");
    return 2;
  }
  zmStartLayers({printMessage, fetchOwnFile});
  ZmWorld* world = zmNewWorld(argv[1]);
  if (world == nullptr) return 1;
  zmSetCurrentWorld(world);
  ZmId first = -10000, last = -1;
  zmSetIdCounter(&first, &last, 0);
  int result = parseVRMLIntoWorld(argv[1], world);
  if (result == 0) zmDumpZmWorld(world, argv[2]);
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  return result == 0 ? 0 : 1;
}
