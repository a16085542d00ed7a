// vrml/buildlimits.cpp -- the build limits and the tally of the build
// under way; see buildlimits.h.
#include "vrml/buildlimits.h"

#include <string>

#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"

namespace {

ZmBuildLimits limits = {500000, 2000000, 4096};

// The build under way (or the last one).
struct BuildTally {
  std::string fileName;     // the outermost file
  uint32_t serial = 0;
  int64_t faces = 0;        // face leaves made
  int64_t inlineReads = 0;  // inline files read
  bool reported = false;    // the limit message is out
};

BuildTally tally;

bool refuse(const ZmWorld* world) {
  if (!tally.reported) {
    tally.reported = true;
    zmReportMessage("%s: the world is too large; building stopped at %ld objects, %lld faces and %lld inline files.",
                    tally.fileName.c_str(), static_cast<long>(world->objectCount),
                    static_cast<long long>(tally.faces), static_cast<long long>(tally.inlineReads));
  }
  return false;
}

}  // namespace

ZmBuildLimits zmGetBuildLimits() { return limits; }

void zmSetBuildLimits(const ZmBuildLimits* newLimits) { limits = *newLimits; }

void zmStartBuild(const char* fileName) {
  uint32_t serial = tally.serial + 1;
  tally = BuildTally();
  tally.fileName = fileName != nullptr ? fileName : "";
  tally.serial = serial;
}

uint32_t zmBuildSerial() { return tally.serial; }

bool zmBuildMayGoOn(const ZmWorld* world) {
  if (world->objectCount >= limits.maxObjects || tally.faces >= limits.maxFaces) return refuse(world);
  return true;
}

void zmCountBuiltFaces(const ZmObj* object) {
  for (const ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next)
    if (leaf->kind == ZM_LEAF_FACE) ++tally.faces;
}

bool zmBuildMayReadInline(const ZmWorld* world) {
  if (tally.inlineReads >= limits.maxInlineReads) return refuse(world);
  ++tally.inlineReads;
  return true;
}
