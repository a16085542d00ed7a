// fuzz/body.cpp -- an articulated-body file through media's body readers,
// and a body that loads built into objects and set to its frames.
//
// The readers must refuse any file without reading past a buffer, freeing
// a record twice or recursing without end; a body they accept must build
// and move without fault. Frames beyond the first 64 are not set, to keep
// long motions quick.
#include <cstdint>
#include <cstdio>

#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "fuzz/harness.h"
#include "media/bodies.h"
#include "media/install.h"

namespace {

// The sections in the loader's order; false at the first refusal.
bool readSections(std::FILE* file, ZmKinBody* body) {
  zmKinResetWords();
  if (zmKinParseBody(file, body) != 0) return false;
  zmKinResetWords();
  if (parseCapFile(file, body) != 0) return false;
  for (int c; (c = std::getc(file)) != EOF && c != '\n';) {
  }
  return zmLineCount(file, body) == 0 && zmLoadMov(file, body) == 0;
}

void buildAndMove(ZmKinBody* body) {
  ZmWorld* world = zmNewWorld("fuzz");
  if (world == nullptr) return;
  ZmId first = -10000, last = -1;
  zmSetIdCounter(&first, &last, 0);
  ZmObj* top = nullptr;
  if (zmNewZmObj(world, &top, 1) == 0) {
    if (zmKinObjHierarchy(world, body, nullptr, top) == 0) {
      body = nullptr;  // the top object owns it now
      for (int32_t frame = 0; frame < 64 && zmKinSetFrame(top, frame) == 0; ++frame) {
      }
      zmKinNextPosture(top);
      zmKinPrevPosture(top);
    }
    zmDeleteZmObj(top);
  }
  zmKinDeleteBody(body);
  zmDeleteWorld(world);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    zmTurnOffFlag(ZM_FLAG_ERROR);
    zmInstallMediaHooks();
    return true;
  }();
  (void)started;
  const std::string path = fuzz::writeInput("in.wkn", data, size);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ZmKinBody* body = zmKinNewBody();
  if (file != nullptr && body != nullptr && readSections(file, body)) {
    std::fclose(file);
    file = nullptr;
    buildAndMove(body);
  } else {
    zmKinDeleteBody(body);
  }
  if (file != nullptr) std::fclose(file);
  fuzz::clearPrivateFolder();
  return 0;
}
