// vrml/buildlimits.h -- how much one build may make in a world.
//
// Owns: the limits on a build (live objects of the world, faces made,
// inline files read), the setting through which the program changes them,
// and the tally of the build under way (both kept in the builder's record,
// vrml/builderstate.h): the outermost parse starts a build, and every file
// read inside it (inline worlds included) counts towards it.
// A build that reaches a limit stops making anything more; what it made so
// far stays, and one message names the file that was being built.
// The tally also keeps what the builder notes once per build: whether an
// empty object has been noted (vrml/traverse.cpp) and the inline range
// numbers found in use (vrml/wwwnodes.cpp); a new build starts them afresh.
// It does not own the traversal that asks (vrml/traverse.h), the inline
// reads (vrml/wwwnodes.h), nor the objects and leaves themselves.
#ifndef LUMENFOLD_VRML_BUILDLIMITS_H
#define LUMENFOLD_VRML_BUILDLIMITS_H

#include <cstdint>
#include <set>

struct ZmObj;
struct ZmWorld;

struct ZmBuildLimits {
  int64_t maxObjects;      // live objects in the world
  int64_t maxFaces;        // face leaves made by one build
  int64_t maxInlineReads;  // inline files read by one build
};

// The limits in force; at start 500,000 objects, 2,000,000 faces and 4,096
// inline reads. Setting them takes effect at the next check.
ZmBuildLimits zmGetBuildLimits();
void zmSetBuildLimits(const ZmBuildLimits* limits);

// Starts the tally of a build of the named file (called by the outermost
// parse; nested parses belong to it).
void zmStartBuild(const char* fileName);

// True the first time in a build an object is found with neither children
// nor leaves, false afterwards: the note about it is made once per build.
bool zmBuildFirstEmptyObject();

// The inline range numbers in use in one world as the build under way
// found them (see vrml/wwwnodes.cpp); `world` is null until they are
// gathered, and again at the start of the next build.
struct ZmBuildInlineRanges {
  const ZmWorld* world = nullptr;
  std::set<int32_t> numbers;
  int32_t lowestFree = 1;  // no lower number is free
};
ZmBuildInlineRanges& zmBuildInlineRanges();

/*
 * zmBuildMayGoOn --
 *   Whether the build may make more in the world.
 * Results:
 *   False once the world holds the most objects or the build has made the
 *   most faces.
 * Side effects:
 *   The first refusal of a build reports "<file>: the world is too large;
 *   building stopped at <n> objects, <f> faces and <i> inline files." with
 *   the build's file.
 */
bool zmBuildMayGoOn(const ZmWorld* world);

// Counts the face leaves of the object (not of its children) to the build.
void zmCountBuiltFaces(const ZmObj* object);

// Whether one more inline file may be read; counts it when so. The first
// refusal reports as zmBuildMayGoOn does.
bool zmBuildMayReadInline(const ZmWorld* world);

#endif
