// media/bodyfile.cpp -- articulated-body files; see bodyfile.h.
#include "media/bodyfile.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/hash.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "media/bodyreading.h"

namespace {

constexpr uint32_t kTableBuckets = 100;

BodyFileReading reading;  // see media/bodyreading.h

void freeColumnMap() {
  zmFree(reading.columnMap.segments);
  reading.columnMap = {};
}

bool isSeparator(int c) { return c == ' ' || c == '\t' || c == '\n'; }

bool wordIs(const char* word, const char* keyword) { return word != nullptr && std::strcmp(word, keyword) == 0; }

// Reads the next word and tells whether it is the keyword.
bool expect(std::FILE* file, const char* keyword) { return wordIs(zmKinGetWord(file), keyword); }

// A copy of the text joined by zmMalloc, or null.
char* joinName(const char* a, const char* separator, const char* b) {
  const size_t length = std::strlen(a) + std::strlen(separator) + std::strlen(b) + 1;
  char* name = static_cast<char*>(zmMalloc(length));
  if (name != nullptr) std::snprintf(name, length, "%s%s%s", a, separator, b);
  return name;
}

// The table compares a stored key over its whole length: the name is
// looked up from a zero-padded buffer longer than any key the file can make
// (two words and a dot).
template <class Record> Record* lookUp(ZmHash* table, const char* name) {
  char key[2 * kBodyWordBuffer + 8] = {};
  if (name == nullptr || std::strlen(name) >= sizeof key) return nullptr;
  std::memcpy(key, name, std::strlen(name));
  void* value = nullptr;
  if (zmGetHashValue(table, key, &value) != 0) return nullptr;
  return static_cast<Record*>(value);
}

int enter(ZmHash* table, const char* name, void* record) {
  return zmNewHashEntry(table, name, uint32_t(std::strlen(name) + 1), record);
}

// ---- Freeing ----

int freeSegment(void* value, void*) {
  auto* segment = static_cast<ZmKinSegment*>(value);
  zmFree(segment->motion);
  zmFree(segment->name);
  zmFree(segment);
  return 1;
}

int freeSite(void* value, void*) {
  auto* site = static_cast<ZmKinSite*>(value);
  zmFree(site->name);
  zmFree(site);
  return 1;
}

int freeJoint(void* value, void*) {
  auto* joint = static_cast<ZmKinJoint*>(value);
  zmFree(joint->name);
  zmFree(joint);
  return 1;
}

void freeTable(ZmHash* table, ZmHashValueProc freeValue) {
  if (table == nullptr) return;
  zmForEachHashValue(table, freeValue, nullptr);
  zmDeleteHash(table);
}

// ---- The body section ----

int findBgnBody(std::FILE* file) {
  for (const char* word; (word = zmKinGetWord(file)) != nullptr;) {
    if (wordIs(word, "bgnbody")) {
      zmKinUngetWord();
      return 0;
    }
  }
  return -1;
}

// "xfm" and six numbers: translation, then angles in degrees.
int parseXfm(std::FILE* file, ZmRT* transform) {
  if (!expect(file, "xfm")) return -1;
  float value[6];
  for (float& v : value) {
    const char* word = zmKinGetWord(file);
    if (word == nullptr) return -1;
    v = float(std::atof(word));
  }
  ZmKinMatrix rotation;
  zmKinRotationFromAngles(value[3], value[4], value[5], &rotation);
  std::memcpy(transform->m, rotation.m, sizeof rotation.m);
  transform->t = {value[0], value[1], value[2]};
  return 0;
}

void appendSite(ZmKinSegment* segment, ZmKinSite* site) {
  ZmKinSite** link = &segment->sites;
  while (*link != nullptr) link = &(*link)->next;
  *link = site;
}

void unlinkSite(ZmKinSegment* segment, ZmKinSite* site) {
  for (ZmKinSite** link = &segment->sites; *link != nullptr; link = &(*link)->next) {
    if (*link == site) {
      *link = site->next;
      site->next = nullptr;
      return;
    }
  }
}

// Makes the site its segment's inbound site.
void makeInbound(ZmKinSite* site) {
  site->segment->inboundSite = site;
  site->inbound = 1;
  unlinkSite(site->segment, site);
}

// The site's own words after "xfm": "endsite", or "#" and seven words first.
int parseSiteEnd(std::FILE* file) {
  const char* word = zmKinGetWord(file);
  if (wordIs(word, "#")) {
    for (int i = 0; i < 7; ++i)
      if (zmKinGetWord(file) == nullptr) return -1;
    word = zmKinGetWord(file);
  }
  return wordIs(word, "endsite") ? 0 : -1;
}

int parseSite(std::FILE* file, ZmKinBody* body, ZmKinSegment* segment) {
  if (!expect(file, "bgnsite") || !expect(file, "name")) return -1;
  const char* siteName = zmKinGetWord(file);
  if (siteName == nullptr) return -1;
  auto* site = static_cast<ZmKinSite*>(zmMalloc(sizeof(ZmKinSite)));
  if (site != nullptr) site->name = joinName(segment->name, ".", siteName);
  if (site == nullptr || site->name == nullptr) {
    zmFree(site);
    zmReportError("parseSite: memory allocation failed.");
    return -1;
  }
  if (parseXfm(file, &site->transform) != 0 || parseSiteEnd(file) != 0 ||
      enter(body->siteTable, site->name, site) != 0) {
    freeSite(site, nullptr);
    return -1;
  }
  site->segment = segment;
  appendSite(segment, site);
  return 0;
}

int parseSegment(std::FILE* file, ZmKinBody* body) {
  if (!expect(file, "bgnsegment") || !expect(file, "name")) return -1;
  const char* name = zmKinGetWord(file);
  if (name == nullptr) return -1;
  auto* segment = static_cast<ZmKinSegment*>(zmMalloc(sizeof(ZmKinSegment)));
  if (segment != nullptr) segment->name = zmStrdup(name);
  if (segment == nullptr || segment->name == nullptr || enter(body->segmentTable, segment->name, segment) != 0) {
    if (segment != nullptr) freeSegment(segment, nullptr);
    zmReportError("parseSegment: memory allocation error");
    return -1;
  }
  zmMat3Identity(segment->parentSide.m);
  zmMat3Identity(segment->ownSide.m);
  if (!expect(file, "scale")) return -1;
  for (int i = 0; i < 3; ++i)
    if (zmKinGetWord(file) == nullptr) return -1;
  for (;;) {
    const char* word = zmKinGetWord(file);
    if (wordIs(word, "endsegment")) return 0;
    if (!wordIs(word, "bgnsite")) return -1;
    zmKinUngetWord();
    if (parseSite(file, body, segment) != 0) return -1;
  }
}

int parseSegments(std::FILE* file, ZmKinBody* body) {
  for (;;) {
    const char* word = zmKinGetWord(file);
    zmKinUngetWord();
    if (wordIs(word, "root")) return 0;
    if (!wordIs(word, "bgnsegment") || parseSegment(file, body) != 0) {
      zmReportWarning("Kinemation bod file has incorrect segment declaration.");
      return -1;
    }
  }
}

int parseRoot(std::FILE* file, ZmKinBody* body) {
  ZmKinSite* site = nullptr;
  if (expect(file, "root")) site = lookUp<ZmKinSite>(body->siteTable, zmKinGetWord(file));
  if (site == nullptr || parseXfm(file, &body->rootTransform) != 0) {
    zmReportWarning("Kinemation bod file has incorrect root declaration.");
    return -1;
  }
  body->rootSite = site;
  body->rootSegment = site->segment;
  makeInbound(site);
  return 0;
}

enum JointResult { kJointRead = 0, kJointEndsList = -1, kJointBreaksTree = -2 };

// One joint block. Its connections and its record take effect only once
// the whole block is read.
JointResult parseJoint(std::FILE* file, ZmKinBody* body) {
  if (!expect(file, "bgnjoint") || !expect(file, "name")) return kJointEndsList;
  const char* word = zmKinGetWord(file);
  if (word == nullptr) return kJointEndsList;
  auto* joint = static_cast<ZmKinJoint*>(zmMalloc(sizeof(ZmKinJoint)));
  if (joint != nullptr) joint->name = zmStrdup(word);
  if (joint == nullptr || joint->name == nullptr) {
    zmFree(joint);
    zmReportError("parseJoint: memory allocation failed.");
    return kJointEndsList;
  }
  if (expect(file, "connect")) {
    joint->parentSite = lookUp<ZmKinSite>(body->siteTable, zmKinGetWord(file));
    if (joint->parentSite != nullptr) joint->childSite = lookUp<ZmKinSite>(body->siteTable, zmKinGetWord(file));
  }
  bool ended = false;
  if (joint->childSite != nullptr)
    while (!ended && (word = zmKinGetWord(file)) != nullptr) ended = wordIs(word, "endjoint");
  if (!ended) {
    freeJoint(joint, nullptr);
    return kJointEndsList;
  }
  // A segment hangs from one parent: a second inbound site would make the
  // segment graph a cycle or a join, which no walk over the tree survives.
  if (joint->childSite->segment->inboundSite != nullptr) {
    freeJoint(joint, nullptr);
    return kJointBreaksTree;
  }
  joint->parentSite->connected = joint->childSite;
  joint->childSite->connected = joint->parentSite;
  makeInbound(joint->childSite);
  if (enter(body->jointTable, joint->name, joint) != 0) {
    freeJoint(joint, nullptr);
    return kJointEndsList;
  }
  return kJointRead;
}

int parseJoints(std::FILE* file, ZmKinBody* body) {
  for (;;) {
    const char* word = zmKinGetWord(file);
    if (wordIs(word, "bgnhandle") || wordIs(word, "endbody")) {
      zmKinUngetWord();
      return 0;
    }
    if (!wordIs(word, "bgnjoint")) {
      zmReportWarning("Kinemation bod file has incorrect joint declaration.");
      return -1;
    }
    zmKinUngetWord();
    switch (parseJoint(file, body)) {
      case kJointRead: break;
      case kJointEndsList: return 0;
      case kJointBreaksTree:
        zmReportWarning("Kinemation bod file has incorrect tree structure.");
        return -1;
    }
  }
}

void parseHandles(std::FILE* file) {
  for (const char* word; (word = zmKinGetWord(file)) != nullptr;)
    if (wordIs(word, "endbody")) return;
}

void transposeRotation(const ZmRT& transform, ZmKinMatrix* out) { zmMat3Transpose(transform.m, out->m); }

void calcPositionRrcursive(ZmKinSegment* segment);

// Runs the position computation on every child hanging from the segment.
void calcChildren(ZmKinSegment* segment) {
  for (ZmKinSite* site = segment->sites; site != nullptr; site = site->next)
    if (site->inbound != 1 && site->connected != nullptr) calcPositionRrcursive(site->connected->segment);
}

void calcPositionRrcursive(ZmKinSegment* segment) {
  const ZmKinSite* inbound = segment->inboundSite;
  const ZmKinSite* outbound = inbound->connected;
  const ZmKinSite* parentInbound = outbound->segment->inboundSite;
  const ZmVec3 base = parentInbound != nullptr ? parentInbound->transform.t : ZmVec3{0, 0, 0};
  zmVec3Sub(&outbound->transform.t, &base, &segment->offset);
  std::memcpy(segment->parentSide.m, outbound->transform.m, sizeof segment->parentSide.m);
  transposeRotation(inbound->transform, &segment->ownSide);
  calcChildren(segment);
}

void calcPosition(ZmKinBody* body) {
  ZmKinSegment* root = body->rootSegment;
  root->offset = body->rootTransform.t;
  std::memcpy(root->parentSide.m, body->rootTransform.m, sizeof root->parentSide.m);
  transposeRotation(body->rootSite->transform, &root->ownSide);
  calcChildren(root);
}

}  // namespace

BodyFileReading& bodyFileReading() { return reading; }

void zmKinRotationFromAngles(float x, float y, float z, ZmKinMatrix* out) {
  constexpr double kRadiansPerDegree = 3.141592653589793 / 180.0;
  const double ax = x * kRadiansPerDegree, ay = y * kRadiansPerDegree, az = z * kRadiansPerDegree;
  const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
  const double cz = std::cos(az), sz = std::sin(az);
  const double rows[9] = {cz * cy,  cz * sy * sx + sz * cx,  -cz * sy * cx + sz * sx,
                          -sz * cy, -sz * sy * sx + cz * cx, sz * sy * cx + cz * sx,
                          sy,       -cy * sx,                cy * cx};
  for (int i = 0; i < 9; ++i) out->m[i] = float(rows[i]);
}

ZmKinBody* zmKinNewBody() {
  auto* body = static_cast<ZmKinBody*>(zmMalloc(sizeof(ZmKinBody)));
  if (body == nullptr) return nullptr;
  if (zmNewHash(kTableBuckets, &body->segmentTable, zmHashString) != 0 ||
      zmNewHash(kTableBuckets, &body->siteTable, zmHashString) != 0 ||
      zmNewHash(kTableBuckets, &body->jointTable, zmHashString) != 0) {
    zmDeleteHash(body->segmentTable);
    zmDeleteHash(body->siteTable);
    zmFree(body);
    return nullptr;
  }
  zmRTIdentity(&body->rootTransform);
  return body;
}

void zmKinDeleteBody(ZmKinBody* body) {
  if (body == nullptr) return;
  freeTable(body->segmentTable, freeSegment);
  freeTable(body->siteTable, freeSite);
  freeTable(body->jointTable, freeJoint);
  zmFree(body->rootRotations);
  zmFree(body->rootSteps);
  zmFree(body->name);
  zmFree(body);
}

// ---- The word reader ----------------------------------------------------------

void zmKinResetWords() { reading.words = {}; }

void zmKinSkipSpace(std::FILE* file) {
  int c;
  while ((c = std::getc(file)) != EOF && isSeparator(c)) {
  }
  if (c != EOF) std::ungetc(c, file);
}

const char* zmKinGetWord(std::FILE* file) {
  if (reading.words.pushedBack) {
    reading.words.pushedBack = false;
    return reading.words.buffer;
  }
  zmKinSkipSpace(file);
  size_t length = 0;
  for (;;) {
    const int c = std::getc(file);
    if (c == EOF) return nullptr;
    if (isSeparator(c)) {
      std::ungetc(c, file);
      break;
    }
    if (length < kBodyWordBuffer - 1) reading.words.buffer[length++] = char(c);
  }
  reading.words.buffer[length] = '\0';
  return reading.words.buffer;
}

void zmKinUngetWord() { reading.words.pushedBack = true; }

// ---- The body section -----------------------------------------------------------

int zmKinParseBody(std::FILE* file, ZmKinBody* body) {
  zmKinResetWords();
  if (findBgnBody(file) != 0) {
    zmReportWarning("Kinemation bod file seems corrupted. 0");
    return -1;
  }
  if (!expect(file, "bgnbody")) {
    zmReportWarning("Kinemation bod file seems corrupted. 1");
    return -1;
  }
  if (!expect(file, "name")) {
    zmReportWarning("Kinemation bod file seems corrupted. 2");
    return -1;
  }
  const char* name = zmKinGetWord(file);
  if (name == nullptr) return -1;
  body->name = zmStrdup(name);
  if (body->name == nullptr) {
    zmReportError("zmKinParseBody: memory allocation failed.");
    return -1;
  }
  if (parseSegments(file, body) != 0 || parseRoot(file, body) != 0 || parseJoints(file, body) != 0) return -1;
  parseHandles(file);
  calcPosition(body);
  return 0;
}

void printSegmentTree(ZmKinSegment* segment, int depth) {
  std::printf("%*s%s\n", depth, "", segment->name);
  for (ZmKinSite* site = segment->sites; site != nullptr; site = site->next)
    if (site->connected != nullptr) printSegmentTree(site->connected->segment, depth + 1);
}

// ---- The capture section --------------------------------------------------------

const char* afterFirstDot(const char* text) {
  const char* dot = std::strchr(text, '.');
  return dot != nullptr ? dot + 1 : nullptr;
}

int parseCapInput(std::FILE* file, ZmKinBody* body) {
  if (!expect(file, "bgninput") || !expect(file, "name") || zmKinGetWord(file) == nullptr || !expect(file, "file"))
    return -1;
  const char* count = zmKinGetWord(file);
  if (count == nullptr) return -1;
  body->columnCount = std::atoi(count);
  // Columns 0 to 5 carry the root's position and angles.
  if (body->columnCount < 6) {
    zmReportWarning("parseCapInput: a frame of %d values cannot hold the root's six.", body->columnCount);
    return -1;
  }
  freeColumnMap();
  reading.columnMap.segments = static_cast<ZmKinSegment**>(zmMalloc(sizeof(ZmKinSegment*) * size_t(body->columnCount)));
  if (reading.columnMap.segments == nullptr) {
    zmReportError("parseCapInput: memory allocation failed");
    return -1;
  }
  reading.columnMap.count = body->columnCount;
  if (expect(file, "filename") && zmKinGetWord(file) != nullptr && expect(file, "endinput")) return 0;
  freeColumnMap();
  return -1;
}

int parseCapTarget(std::FILE* file, ZmKinBody* body) {
  if (!expect(file, "bgntarget") || !expect(file, "object")) return -1;
  const char* kind = zmKinGetWord(file);
  if (kind == nullptr) return -1;
  const bool isJoint = wordIs(kind, "joint");
  const char* word = zmKinGetWord(file);
  if (word == nullptr) return -1;
  const char* jointName = isJoint ? afterFirstDot(word) : word;
  if (jointName == nullptr) return -1;
  std::unique_ptr<char, decltype(&zmFree)> name(zmStrdup(jointName), zmFree);
  if (name == nullptr) {
    zmReportError("parseCapTarget: memory allocation failed.");
    return -1;
  }
  for (int i = 0; i < 3; ++i)
    if ((word = zmKinGetWord(file)) == nullptr) return -1;
  const int column = std::atoi(word);
  if (isJoint) {
    const auto* joint = lookUp<ZmKinJoint>(body->jointTable, name.get());
    if (joint == nullptr) return -1;
    // A joint's three angles sit at column - 1 .. column + 1, after the root's six.
    if (column < 6 || column > body->columnCount - 2) {
      zmReportWarning("parseCapTarget: column %d of joint %s is outside the frame of %d values; ignored.", column,
                      name.get(), body->columnCount);
    } else if (joint->childSite->segment != nullptr) {
      reading.columnMap.segments[column] = joint->childSite->segment;
    }
  }
  for (; word != nullptr; word = zmKinGetWord(file))
    if (wordIs(word, "endtarget")) return 0;
  return -1;
}

int parseCapFile(std::FILE* file, ZmKinBody* body) {
  zmKinSkipSpace(file);
  const char* word;
  while ((word = zmKinGetWord(file)) != nullptr && !wordIs(word, "bgncapture")) {
  }
  if (word == nullptr || parseCapInput(file, body) != 0) return -1;
  while ((word = zmKinGetWord(file)) != nullptr) {
    if (wordIs(word, "endcapture")) return 0;
    if (!wordIs(word, "bgntarget")) continue;
    zmKinUngetWord();
    if (parseCapTarget(file, body) != 0) break;
  }
  freeColumnMap();
  return -1;
}

// ---- The motion data ------------------------------------------------------------

int zmLineCount(std::FILE* file, ZmKinBody* body) {
  body->frameCount = 0;
  std::fpos_t position;
  if (std::fgetpos(file, &position) != 0) {
    zmReportWarning("zmLineCount: fgetpos failed.");
    return -1;
  }
  for (int c; (c = std::getc(file)) != EOF;)
    if (c == '\n' && body->frameCount < INT32_MAX) ++body->frameCount;
  if (std::fsetpos(file, &position) != 0) {
    zmReportWarning("zmLineCount: fsetpos failed.");
    return -1;
  }
  // Without a line of motion there is nothing to show.
  if (body->frameCount <= 0) {
    zmReportWarning("zmLineCount: incorrect mov data.");
    return -1;
  }
  return 0;
}

int movDataAlloc(void* value, void* bodyValue) {
  auto* segment = static_cast<ZmKinSegment*>(value);
  const auto* body = static_cast<const ZmKinBody*>(bodyValue);
  zmFree(segment->motion);
  segment->motion = static_cast<ZmKinMatrix*>(zmMalloc(sizeof(ZmKinMatrix) * size_t(body->frameCount)));
  if (segment->motion == nullptr) {
    zmReportError("movDataAlloc: memory allocation failed");
    return 0;
  }
  return 1;
}

int zmLoadMov(std::FILE* file, ZmKinBody* body) {
  struct MapRelease {
    ~MapRelease() { freeColumnMap(); }
  } releaseMap;
  if (reading.columnMap.count != body->columnCount || body->frameCount <= 0) return -1;
  std::vector<float> values(size_t(body->columnCount));
  const size_t frames = size_t(body->frameCount);
  zmFree(body->rootRotations);
  zmFree(body->rootSteps);
  body->rootRotations = static_cast<ZmKinMatrix*>(zmMalloc(sizeof(ZmKinMatrix) * frames));
  body->rootSteps = body->rootRotations ? static_cast<ZmVec3*>(zmMalloc(sizeof(ZmVec3) * frames)) : nullptr;
  if (body->rootSteps == nullptr) {
    zmReportError("movDataAlloc: memory allocation failed");
    return -1;
  }
  if (zmForEachHashValue(body->segmentTable, movDataAlloc, body) != 0) return -1;
  ZmVec3 previous = body->rootTransform.t;
  for (int32_t frame = 0; frame < body->frameCount; ++frame) {
    for (float& value : values) {
      const char* word = zmKinGetWord(file);
      if (word == nullptr) return -1;
      value = float(std::atof(word));
    }
    const ZmVec3 position = {values[0], values[1], values[2]};
    zmVec3Sub(&position, &previous, &body->rootSteps[frame]);
    previous = position;
    zmKinRotationFromAngles(values[3], values[4], values[5], &body->rootRotations[frame]);
    for (int32_t c = 6; c < body->columnCount; ++c)
      if (ZmKinSegment* segment = reading.columnMap.segments[c])
        zmKinRotationFromAngles(values[c - 1], values[c], values[c + 1], &segment->motion[frame]);
  }
  return 0;
}
