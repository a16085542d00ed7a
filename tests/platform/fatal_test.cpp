// The loud stop for broken invariants: what it prints, and that it stops.
#include <gtest/gtest.h>

#include "platform/fatal.h"

namespace {

void brokenInvariant(int count) { ZM_FATAL("count %d below zero", count); }

TEST(FatalDeathTest, NamesTheFunctionAndStops) {
  EXPECT_DEATH(zmFatal("RwRenderClump", "clump %s", "detached"), "^RwRenderClump: clump detached\n$");
  EXPECT_DEATH(brokenInvariant(-2), "^brokenInvariant: count -2 below zero\n$");
}

#ifndef NDEBUG
int checkedHalf(int even) {
  ZM_ASSERT(even % 2 == 0, "only an even number halves");
  return even / 2;
}

TEST(FatalDeathTest, AnAssertionThatFailsNamesItsFunctionTheSentenceAndTheCondition) {
  EXPECT_EQ(checkedHalf(8), 4);
  EXPECT_DEATH(checkedHalf(7), "^checkedHalf: only an even number halves \\(even % 2 == 0\\)\n$");
}
#endif

}  // namespace
