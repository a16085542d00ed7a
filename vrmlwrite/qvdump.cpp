// vrmlwrite/qvdump.cpp -- the writer's entry, the dump file and its lines,
// the header and the world's Info nodes.
#include "vrmlwrite/qvdump.h"

#include <cstdarg>
#include <cstring>
#include <string>

#include "vrml/hooks.h"
#include "core/object.h"
#include "core/report.h"
#include "core/vecmath.h"
#include "core/world.h"
#include "vrmlwrite/qvdumps.h"

FILE* dumpFile = nullptr;
int32_t dumpIndentLevel = 0;

void dumpPrintf(const char* format, ...) {
  // The line grows to fit its text: long names, URLs and lists stay whole.
  std::string line(dumpIndentLevel > 0 ? static_cast<size_t>(dumpIndentLevel) : 0, '\t');
  va_list args;
  va_start(args, format);
  line += dumpVFormat(format, args);
  va_end(args);
  line += '\n';
  if (dumpFile != nullptr) std::fwrite(line.data(), 1, line.size(), dumpFile);
}

int zmSFdumpFileOpen(const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0') {
    zmReportWarning("%s: %s", "zmSFdumpFileOpen", "filename is null.");
    dumpFile = nullptr;
    return 0;
  }
  dumpFile = std::fopen(fileName, "wb");
  if (dumpFile == nullptr) {
    zmReportMessage("%s: cannot open the dump '%s' file.", "zmSFdumpFileOpen", fileName);
    return -1;
  }
  return 0;
}

void zmSFdumpFileClose() {
  if (dumpFile != nullptr) std::fclose(dumpFile);
  dumpFile = nullptr;
}

int dumpInit() {
  ZmRT identity;
  dumpSetFrame(zmRTIdentity(&identity));
  dumpClearRT();
  return dumpPushRT();
}

void dumpTerminate() {
  zmSFdumpFileClose();
  dumpFreeRT();
}

void dumpHeader() {
  dumpPrintf("#VRML V%s ascii", "1.0");
  dumpPrintf("#");
  dumpPrintf("# this file is generated from ZM objects.");
  dumpPrintf("# objects keep their order; transforms are written relative to the last one.");
  dumpPrintf("%s", "");
}

namespace {

bool isNonEmpty(const char* text) { return text != nullptr && text[0] != '\0'; }

void zmDumpTitleInfo(ZmWorld* world) {
  if (isNonEmpty(world->title)) dumpPrintf("DEF Title Info{ string \"%s\" }", world->title);
}

void zmDumpViewerSpeedInfo(ZmWorld* world) {
  QvTdouble speed = dumpToDouble(world->viewerSpeed);
  if (dumpIsNotEqual(speed, 0.1)) dumpPrintf("DEF ViewerSpeed Info{ string \"%s\" }", dumpNumberText(speed).c_str());
}

void zmDumpBackgroundColorInfo(ZmWorld* world) {
  const float* color = world->backgroundColor;
  bool black = true;
  for (int i = 0; i < 3 && black; i++) black = !dumpIsNotEqual(dumpToDouble(color[i]), 0.0);
  if (black) return;
  dumpPrintf("DEF BackgroundColor Info{ string \"%s %s %s\" }", dumpFloatText(color[0]).c_str(),
             dumpFloatText(color[1]).c_str(), dumpFloatText(color[2]).c_str());
}

void zmDumpBackgroundTextureInfo(ZmWorld* world) {
  if (world->backgroundImage == nullptr) return;
  const char* url = hookGetUrl(world->backgroundImage);
  if (url == nullptr) {
    zmReportWarning("zmDumpBackgroundTextureInfo: zmGetLocalFile() failed.");
    return;
  }
  if (url[0] != '\0') dumpPrintf("DEF BackgroundTexture Info{ string \"%s\" }", url);
}

void zmDumpServerInfo(ZmWorld* world) {
  if (isNonEmpty(world->server)) dumpPrintf("DEF ZmServer Info{ string \"%s\" }", world->server);
}

}  // namespace

void zmDumpWorldInfo(ZmWorld* world) {
  zmDumpTitleInfo(world);
  zmDumpViewerSpeedInfo(world);
  zmDumpBackgroundColorInfo(world);
  zmDumpBackgroundTextureInfo(world);
  zmDumpServerInfo(world);
}

bool dumpIsAuthoringObj(ZmObj* object) {
  if (object->vrmlType != ZM_VRML_SEPARATOR || object->child == nullptr) return false;
  ZmObj* first = object->child->object;
  const char* name = first != nullptr ? first->comment[1] : nullptr;
  if (!isNonEmpty(name)) return false;
  return std::strcmp(name, "ZmAuthoringCamera") == 0 || std::strcmp(name, "ZmAuthoringFloor") == 0;
}

int zmDumpZmWorld(ZmWorld* world, const char* fileName) {
  dumpIndentLevel = 0;
  dumpResetObjectsLeftOut();
  if (zmSFdumpFileOpen(fileName) == -1) return -1;
  if (dumpInit() != 0) {
    zmSFdumpFileClose();
    return -1;
  }
  dumpHeader();
  dumpPrintf("Separator{");
  dumpIndentLevel = 1;
  zmDumpWorldInfo(world);
  ZmTopObjList* cursor = world->topObjects;
  while (ZmObj* object = zmGetNextTopObject(&cursor)) {
    if (dumpIsAuthoringObj(object) || object == world->person) continue;
    zmDumpZmObj(object);
  }
  dumpIndentLevel = 0;
  dumpPrintf("}");
  dumpTerminate();
  return dumpObjectsLeftOut();
}
