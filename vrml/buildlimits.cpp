// vrml/buildlimits.cpp -- the build limits and the tally of the build
// under way; see buildlimits.h.
#include "vrml/buildlimits.h"

#include <string>
#include <utility>

#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "vrml/builderstate.h"

namespace {

BuilderState building;  // see vrml/builderstate.h

bool refuse(const ZmWorld* world) {
  BuildTally& tally = building.tally;
  if (!tally.reported) {
    tally.reported = true;
    zmReportMessage("%s: the world is too large; building stopped at %ld objects, %lld faces and %lld inline files.",
                    tally.fileName.c_str(), static_cast<long>(world->objectCount),
                    static_cast<long long>(tally.faces), static_cast<long long>(tally.inlineReads));
  }
  return false;
}

}  // namespace

BuilderState& builderState() { return building; }

ZmBuildLimits zmGetBuildLimits() { return building.limits; }

void zmSetBuildLimits(const ZmBuildLimits* newLimits) { building.limits = *newLimits; }

void zmStartBuild(const char* fileName) {
  building.tally = BuildTally();
  building.tally.fileName = fileName != nullptr ? fileName : "";
}

bool zmBuildFirstEmptyObject() { return !std::exchange(building.tally.emptyObjectNoted, true); }

ZmBuildInlineRanges& zmBuildInlineRanges() { return building.tally.inlineRanges; }

bool zmBuildMayGoOn(const ZmWorld* world) {
  const ZmBuildLimits& limits = building.limits;
  if (world->objectCount >= limits.maxObjects || building.tally.faces >= limits.maxFaces) return refuse(world);
  return true;
}

void zmCountBuiltFaces(const ZmObj* object) {
  for (const ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next)
    if (leaf->kind == ZM_LEAF_FACE) ++building.tally.faces;
}

bool zmBuildMayReadInline(const ZmWorld* world) {
  if (building.tally.inlineReads >= building.limits.maxInlineReads) return refuse(world);
  ++building.tally.inlineReads;
  return true;
}
