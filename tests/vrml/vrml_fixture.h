// tests/vrml/vrml_fixture.h -- shared set-up of the VRML reader suites: a
// recorder for the reports, and parsing of texts written to a temporary file.
//
// Owns: the nodes read, the input and the temporary file of each test, all
// released afterwards, and the recorded reports. It does not own the
// reader's program-wide tables (the node types and interned names).
#ifndef LUMENFOLD_TESTS_VRML_FIXTURE_H
#define LUMENFOLD_TESTS_VRML_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/report.h"
#include "vrml/qvdump.h"
#include "vrml/qvinput.h"
#include "vrml/qvnode.h"
#include "vrml/qvnodes.h"
#include "vrml/qvreaderror.h"
#include "tests/vrml_hook_guards.h"

class VrmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zmResetReportStateForTest();
    messages().clear();
    coreHooks.messages->notifyMessage = record;
    QvDB::init();
  }
  void TearDown() override {
    qvReleaseNodes(nodes);
    input.reset();
    if (file) std::fclose(file);
  }

  static std::vector<std::string>& messages() {
    static std::vector<std::string> recorded;
    return recorded;
  }
  static int record(const char* text) {
    messages().push_back(text);
    return 0;
  }
  bool sawMessage(const std::string& part) const {
    for (const std::string& m : messages())
      if (m.find(part) != std::string::npos) return true;
    return false;
  }
  std::string allMessages() const {
    std::string all;
    for (const std::string& m : messages()) all += m + "|";
    return all;
  }

  // Every text gets a file name of its own, so the reader's repeat filter
  // never hides an error of one test behind the same error of another.
  static std::string uniqueName() {
    static int count = 0;
    return "test" + std::to_string(++count) + ".wrl";
  }

  static FILE* fileWith(const std::string& text) {
    FILE* fp = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), fp);
    std::rewind(fp);
    return fp;
  }

  // Parses text as a whole file into `nodes`; 0 or -1.
  int parse(const std::string& text) {
    FILE* fp = fileWith(text);
    int result = qvReadTopLevelNodes(uniqueName().c_str(), fp, nodes);
    std::fclose(fp);
    return result;
  }
  // Parses a file that starts with the header.
  int parseBody(const std::string& body) { return parse("#VRML V1.0 ascii\n" + body); }

  // An input on text, for the token-level tests.
  QvInput& inputOn(const std::string& text) {
    if (file) std::fclose(file);
    file = fileWith(text);
    input = std::make_unique<QvInput>(uniqueName().c_str(), file);
    return *input;
  }

  std::string dump() const {
    std::string out;
    qvDumpNodes(nodes, out);
    return out;
  }

  template <class T> T* first() const { return dynamic_cast<T*>(nodes.at(0)); }

  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  std::vector<QvNode*> nodes;
  std::unique_ptr<QvInput> input;
  FILE* file = nullptr;
};

#endif
