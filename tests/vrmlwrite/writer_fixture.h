// tests/vrmlwrite/writer_fixture.h -- a fresh world for the writer suites,
// stand-in URL entries whose local file is their own text, and capture of
// what the writer prints.
//
// Owns: the world of each test, the captured warnings and the temporary
// files it names, all removed afterwards, and the dump context the
// writers of a test write through. Objects made with newObj belong to
// the world; the URL entries belong to tests/loading_stand_ins.h.
#ifndef LUMENFOLD_TESTS_VRMLWRITE_WRITER_FIXTURE_H
#define LUMENFOLD_TESTS_VRMLWRITE_WRITER_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "tests/loading_stand_ins.h"
#include "vrml/parse.h"
#include "vrmlwrite/qvdump.h"

inline std::vector<std::string> writerMessages;

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    writerMessages.clear();
    coreHooks.messages->notifyMessage = [](const char* text) {
      writerMessages.push_back(text);
      return 0;
    };
    installStandInUrls(vrmlHooks);
    // A "file://" URL names its local file; any other URL is taken as a
    // local name itself.
    vrmlHooks.loading->getLocalFile = [](ZmUrlHash* entry) {
      const char* url = entry->url.c_str();
      return entry->url.rfind("file://", 0) == 0 ? url + 7 : url;
    };
    installStandInMovies(coreHooks, vrmlHooks);
    world = zmNewWorld("writer.wrl");
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    ASSERT_EQ(zmSetIdCounter(&first, &last, 0), 0);
  }

  void TearDown() override {
    stopCapture();
    dumpFreeRT(dump);
    zmSetCurrentWorld(nullptr);
    EXPECT_EQ(zmDeleteWorld(world), 0);
    for (const std::string& path : files) std::remove(path.c_str());
    zmResetReportStateForTest();
  }

  // Lines written through the fixture's dump go into memory from here to
  // captured().
  void startCapture() {
    dump.indent = 0;
    dump.file = open_memstream(&captureBuffer, &captureSize);
  }

  void stopCapture() {
    if (dump.file != nullptr) std::fclose(dump.file);
    dump.file = nullptr;
    std::free(captureBuffer);
    captureBuffer = nullptr;
    captureSize = 0;
  }

  std::string captured() {
    std::fflush(dump.file);
    std::string text(captureBuffer, captureSize);
    stopCapture();
    return text;
  }

  // The lines one object gives on a fresh base level, at level 0.
  std::string dumpObject(ZmObj* object) {
    EXPECT_EQ(dumpInit(dump), 0);
    startCapture();
    zmDumpZmObj(dump, object);
    std::string text = captured();
    dumpFreeRT(dump);
    return text;
  }

  ZmObj* newObj(ZmVRMLType type, const char* name = nullptr) {
    ZmObj* object = nullptr;
    EXPECT_EQ(zmNewZmObj(world, &object, 0), 0);
    object->vrmlType = type;
    if (name != nullptr) zmNameObject(object, name);
    return object;
  }

  ZmObj* newTopObj(ZmVRMLType type, const char* name = nullptr) {
    ZmObj* object = newObj(type, name);
    EXPECT_EQ(zmAddTopObject(object, "writer.wrl"), 0);
    return object;
  }

  std::string tempPath(const std::string& tag) {
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : test)
      if (c == '/') c = '_';
    std::string path = ::testing::TempDir() + "vrmlwrite_" + tag + "_" + test + ".wrl";
    files.push_back(path);
    return path;
  }

  static std::string readFile(const std::string& path) {
    std::string text;
    if (FILE* fp = std::fopen(path.c_str(), "rb")) {
      char buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, fp)) > 0) text.append(buffer, n);
      std::fclose(fp);
    }
    return text;
  }

  static bool sawMessage(const std::string& part) {
    for (const std::string& m : writerMessages)
      if (m.find(part) != std::string::npos) return true;
    return false;
  }

  DumpContext dump;  // the context every writer of a test writes through
  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ZmWorld* world = nullptr;
  std::vector<std::string> files;
  char* captureBuffer = nullptr;
  size_t captureSize = 0;
};

#endif
