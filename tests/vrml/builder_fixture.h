// tests/vrml/builder_fixture.h -- a fresh world for the scene-builder suites,
// with the upper layers' hooks recording what the builder hands them.
//
// Owns: the world of each test and the temporary world files it writes, all
// removed afterwards. It does not own the objects the builder makes (the
// world's) nor the URL entries (tests/loading_stand_ins.h).
#ifndef LUMENFOLD_TESTS_VRML_BUILDER_FIXTURE_H
#define LUMENFOLD_TESTS_VRML_BUILDER_FIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "tests/loading_stand_ins.h"
#include "tests/vrml_hook_guards.h"
#include "vrml/parse.h"

inline std::vector<std::string> builderMessages;
inline std::vector<std::string> builderCalls;

class BuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    builderMessages.clear();
    builderCalls.clear();
    coreHooks.messages->notifyMessage = [](const char* text) {
      builderMessages.push_back(text);
      return 0;
    };
    installStandInUrls(vrmlHooks);
    installStandInMovies(coreHooks, vrmlHooks);
    coreHooks.script->callEventHandler = [](ZmObj* object, ZmEvent*) {
      builderCalls.push_back(std::string("CREATE_NOTIFY ") + (object->comment[1] ? object->comment[1] : ""));
      return 0;
    };
    world = zmNewWorld("builder.wrl");
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
  }

  void TearDown() override {
    zmSetCurrentWorld(nullptr);
    EXPECT_EQ(zmDeleteWorld(world), 0);
    for (const std::string& path : files) std::remove(path.c_str());
    zmResetReportStateForTest();
  }

  static std::string worldFile(const char* name) {
    return std::string(LUMENFOLD_TEST_DATA) + "/worlds/" + name;
  }

  // Writes the body after the header to a file of its own and names it (the
  // process id keeps runs of the suite side by side apart).
  std::string fileWith(const std::string& body) {
    std::string path = ::testing::TempDir() + "builder_" + std::to_string(getpid()) + "_" +
                       std::to_string(files.size()) + "_" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wrl";
    FILE* fp = std::fopen(path.c_str(), "w");
    std::fputs(("#VRML V1.0 ascii\n" + body).c_str(), fp);
    std::fclose(fp);
    files.push_back(path);
    return path;
  }

  int build(const std::string& body) { return parseVRMLIntoWorld(fileWith(body).c_str(), world); }

  std::vector<ZmObj*> topObjects() const {
    std::vector<ZmObj*> objects;
    for (ZmTopObjList* node = world->topObjects; node; node = node->next) objects.push_back(node->object);
    return objects;
  }

  ZmObj* named(const char* name) {
    for (ZmObj* top : topObjects()) {
      if (zmObjNameIs(top, name)) return top;
      if (ZmObj* found = zmFindObjInSubtree(top, name)) return found;
    }
    ADD_FAILURE() << "no object named " << name;
    return nullptr;
  }

  static bool sawMessage(const std::string& part) {
    for (const std::string& m : builderMessages)
      if (m.find(part) != std::string::npos) return true;
    return false;
  }

  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ZmWorld* world = nullptr;
  std::vector<std::string> files;
};

#endif
