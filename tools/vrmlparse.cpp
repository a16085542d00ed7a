// tools/vrmlparse.cpp -- parses one VRML 1.0 file and prints its node tree.
//
// Prints every message of the reader as it comes, then the node tree (type,
// DEF name, fields in the order read, children; a node met again is shown as
// a USE of its first listing). The file is read into the URL table of an
// empty world, as the program reads every file. Exit status 0 when the file
// was read, 1 when reading failed.
#include <cstdio>
#include <string>
#include <vector>

#include "core/object.h"
#include "core/world.h"
#include "loading/urltable.h"
#include "startup/startup.h"
#include "vrml/qvdump.h"
#include "tools/messages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  zmStartLayers({printMessage});
  zmSetUrlFetch(nullptr);  // what it prints is the file alone: nothing it names is fetched
  ZmWorld* world = zmNewWorld(argv[1]);
  if (world == nullptr) return 1;
  zmSetCurrentWorld(world);
  std::vector<QvNode*> nodes;
  int result = qvReadTopLevelNodes(argv[1], nodes);
  std::string tree;
  qvDumpNodes(nodes, tree);
  std::fputs(tree.c_str(), stdout);
  qvReleaseNodes(nodes);
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  std::printf("%s\n", result == 0 ? "read" : "reading failed");
  return result == 0 ? 0 : 1;
}
