// tests/engine/engine_fixture.h -- a test case with the engine open on the
// null device, closed again (and the sticky error cleared) afterwards.
#ifndef LUMENFOLD_TESTS_ENGINE_FIXTURE_H
#define LUMENFOLD_TESTS_ENGINE_FIXTURE_H

#include <gtest/gtest.h>

#include "engine/library.h"
#include "engine/pool.h"

class OpenEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    RwGetAndClearError();
    ASSERT_EQ(RwOpenDefault("NullDevice", 0), 1);
  }
  void TearDown() override {
    RwClose();
    RwFailAllocationsAfter(-1);
    RwGetAndClearError();
  }
};

#endif
