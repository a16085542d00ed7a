// The loud stop for broken invariants: what it prints, and that it stops.
#include <gtest/gtest.h>

#include "platform/fatal.h"

namespace {

void brokenInvariant(int count) { ZM_FATAL("count %d below zero", count); }

TEST(FatalDeathTest, NamesTheFunctionAndStops) {
  EXPECT_DEATH(zmFatal("RwRenderClump", "clump %s", "detached"), "^RwRenderClump: clump detached\n$");
  EXPECT_DEATH(brokenInvariant(-2), "^brokenInvariant: count -2 below zero\n$");
}

}  // namespace
