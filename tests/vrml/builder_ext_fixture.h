// tests/vrml/builder_ext_fixture.h -- the builder world with recorders for
// what the extension nodes hand to scripting, loading and media: handlers,
// time-outs, script texts, fetched inline files and articulated bodies.
//
// Owns: the table of fetchable URLs and the recorders' answers. The world
// and the recorded calls are the builder fixture's.
#ifndef LUMENFOLD_TESTS_VRML_BUILDER_EXT_FIXTURE_H
#define LUMENFOLD_TESTS_VRML_BUILDER_EXT_FIXTURE_H

#include <gmock/gmock.h>

#include <set>
#include <sstream>

#include "tests/vrml/builder_fixture.h"
#include "core/event.h"
#include "core/strings.h"

// URL -> local file, as the loading layer would have fetched it; a URL
// missing here cannot be fetched.
inline std::map<std::string, std::string> fetchableUrls;
inline ZmTimeOutHandlerList recordedTimeOut;  // what the time-out recorder hands back
inline int kinNewResult = 0;                  // what the body-loader recorder answers

class ExtensionTest : public BuilderTest {
 protected:
  void SetUp() override {
    BuilderTest::SetUp();
    fetchableUrls.clear();
    kinNewResult = 0;
    vrmlHooks.script->addEventHandler = [](ZmObj* object, const char* file, uint32_t mask, int type, const char* function,
                                     const char* userData, const char* action) {
      std::ostringstream call;
      call << "HANDLER " << nameOf(object) << " mask 0x" << std::hex << mask << std::dec << " type " << type
           << " function " << function << " data " << userData << " file " << file << " action " << action;
      builderCalls.push_back(call.str());
      return 0;
    };
    vrmlHooks.script->addTimeOutHandler = [](ZmObj* object, const char* file, long ms, int type, const char* function,
                                       const char* userData, int repeating) {
      std::ostringstream call;
      call << (repeating ? "PERIODIC " : "SPORADIC ") << nameOf(object) << " " << ms << " type " << type
           << " function " << function << " data " << userData << " file " << file;
      builderCalls.push_back(call.str());
      return &recordedTimeOut;
    };
    vrmlHooks.script->scriptEvalStr = [](ZmWorld*, int type, const char* script, char**) {
      builderCalls.push_back("SCRIPT type " + std::to_string(type) + " " + script);
      return 0;
    };
    vrmlHooks.loading->getLocalNameOfWWW = [](ZmObj* object, int type, const char** localFile) {
      auto* entry = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(object, type));
      auto found = entry ? fetchableUrls.find(entry->url) : fetchableUrls.end();
      if (found == fetchableUrls.end()) return -1;
      *localFile = found->second.c_str();
      return 0;
    };
    vrmlHooks.media->kinNew = [](ZmWorld* w, const char* body, const char*, ZmObj** object) {
      builderCalls.push_back(std::string("KINNEW ") + body);
      if (kinNewResult != 0) return kinNewResult;
      if (zmNewZmObj(w, object, 0) != 0) return -1;
      zmNameObject(*object, "Body");
      return 0;
    };
  }

  static std::string nameOf(ZmObj* object) { return object->comment[1] ? object->comment[1] : ""; }

  // The calls recorded whose text starts with the prefix, in order.
  static std::vector<std::string> callsStartingWith(const std::string& prefix) {
    std::vector<std::string> calls;
    for (const std::string& call : builderCalls)
      if (call.rfind(prefix, 0) == 0) calls.push_back(call);
    return calls;
  }

  static std::vector<ZmObj*> childrenOf(const ZmObj* object) {
    std::vector<ZmObj*> children;
    for (ZmChildList* node = object->child; node; node = node->next) children.push_back(node->object);
    return children;
  }

  // Every object of the world's tree, depth first.
  std::vector<ZmObj*> allObjects() const {
    std::vector<ZmObj*> objects;
    std::vector<ZmObj*> tops = topObjects();
    std::vector<ZmObj*> pending(tops.rbegin(), tops.rend());
    while (!pending.empty()) {
      ZmObj* object = pending.back();
      pending.pop_back();
      objects.push_back(object);
      std::vector<ZmObj*> children = childrenOf(object);
      pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return objects;
  }
};

#endif
