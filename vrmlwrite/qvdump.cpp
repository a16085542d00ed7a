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

void dumpPrintf(DumpContext& dump, const char* format, ...) {
  // The line grows to fit its text: long names, URLs and lists stay whole.
  std::string line(dump.indent > 0 ? static_cast<size_t>(dump.indent) : 0, '\t');
  va_list args;
  va_start(args, format);
  line += dumpVFormat(format, args);
  va_end(args);
  line += '\n';
  if (dump.file != nullptr) std::fwrite(line.data(), 1, line.size(), dump.file);
}

int zmSFdumpFileOpen(DumpContext& dump, const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0') {
    zmReportWarning("%s: %s", "zmSFdumpFileOpen", "filename is null.");
    dump.file = nullptr;
    return 0;
  }
  dump.file = std::fopen(fileName, "wb");
  if (dump.file == nullptr) {
    zmReportMessage("%s: cannot open the dump '%s' file.", "zmSFdumpFileOpen", fileName);
    return -1;
  }
  return 0;
}

void zmSFdumpFileClose(DumpContext& dump) {
  if (dump.file != nullptr) std::fclose(dump.file);
  dump.file = nullptr;
}

int dumpInit(DumpContext& dump) {
  ZmRT identity;
  dumpSetFrame(dump, zmRTIdentity(&identity));
  dumpClearRT(dump);
  return dumpPushRT(dump);
}

void dumpTerminate(DumpContext& dump) {
  zmSFdumpFileClose(dump);
  dumpFreeRT(dump);
}

void dumpHeader(DumpContext& dump) {
  dumpPrintf(dump, "#VRML V%s ascii", "1.0");
  dumpPrintf(dump, "#");
  dumpPrintf(dump, "# this file is generated from ZM objects.");
  dumpPrintf(dump, "# objects keep their order; transforms are written relative to the last one.");
  dumpPrintf(dump, "%s", "");
}

namespace {

bool isNonEmpty(const char* text) { return text != nullptr && text[0] != '\0'; }

void zmDumpTitleInfo(DumpContext& dump, ZmWorld* world) {
  if (isNonEmpty(world->title)) dumpPrintf(dump, "DEF Title Info{ string \"%s\" }", world->title);
}

void zmDumpViewerSpeedInfo(DumpContext& dump, ZmWorld* world) {
  QvTdouble speed = dumpToDouble(world->viewerSpeed);
  if (dumpIsNotEqual(speed, 0.1))
    dumpPrintf(dump, "DEF ViewerSpeed Info{ string \"%s\" }", dumpNumberText(speed).c_str());
}

void zmDumpBackgroundColorInfo(DumpContext& dump, ZmWorld* world) {
  const float* color = world->backgroundColor;
  bool black = true;
  for (int i = 0; i < 3 && black; i++) black = !dumpIsNotEqual(dumpToDouble(color[i]), 0.0);
  if (black) return;
  dumpPrintf(dump, "DEF BackgroundColor Info{ string \"%s %s %s\" }", dumpFloatText(color[0]).c_str(),
             dumpFloatText(color[1]).c_str(), dumpFloatText(color[2]).c_str());
}

void zmDumpBackgroundTextureInfo(DumpContext& dump, ZmWorld* world) {
  if (world->backgroundImage == nullptr) return;
  const char* url = vrmlLoading().getUrl(world->backgroundImage);
  if (url == nullptr) {
    zmReportWarning("zmDumpBackgroundTextureInfo: zmGetLocalFile() failed.");
    return;
  }
  if (url[0] != '\0') dumpPrintf(dump, "DEF BackgroundTexture Info{ string \"%s\" }", url);
}

void zmDumpServerInfo(DumpContext& dump, ZmWorld* world) {
  if (isNonEmpty(world->server)) dumpPrintf(dump, "DEF ZmServer Info{ string \"%s\" }", world->server);
}

}  // namespace

void zmDumpWorldInfo(DumpContext& dump, ZmWorld* world) {
  zmDumpTitleInfo(dump, world);
  zmDumpViewerSpeedInfo(dump, world);
  zmDumpBackgroundColorInfo(dump, world);
  zmDumpBackgroundTextureInfo(dump, world);
  zmDumpServerInfo(dump, world);
}

bool dumpIsAuthoringObj(ZmObj* object) {
  if (object->vrmlType != ZM_VRML_SEPARATOR || object->child == nullptr) return false;
  ZmObj* first = object->child->object;
  const char* name = first != nullptr ? first->comment[1] : nullptr;
  if (!isNonEmpty(name)) return false;
  return std::strcmp(name, "ZmAuthoringCamera") == 0 || std::strcmp(name, "ZmAuthoringFloor") == 0;
}

int zmDumpZmWorld(ZmWorld* world, const char* fileName) {
  DumpContext dump;
  if (zmSFdumpFileOpen(dump, fileName) == -1) return -1;
  if (dumpInit(dump) != 0) {
    zmSFdumpFileClose(dump);
    return -1;
  }
  dumpHeader(dump);
  dumpPrintf(dump, "Separator{");
  dump.indent = 1;
  zmDumpWorldInfo(dump, world);
  ZmTopObjList* cursor = world->topObjects;
  while (ZmObj* object = zmGetNextTopObject(&cursor)) {
    if (dumpIsAuthoringObj(object) || object == world->person) continue;
    zmDumpZmObj(dump, object);
  }
  dump.indent = 0;
  dumpPrintf(dump, "}");
  dumpTerminate(dump);
  return dumpObjectsLeftOut(dump);
}
