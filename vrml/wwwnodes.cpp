// vrml/wwwnodes.cpp -- WWWAnchor and WWWInline objects.
#include "vrml/wwwnodes.h"

#include <cstdint>
#include <set>
#include <string>

#include "core/hash.h"
#include "vrml/hooks.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "vrml/attachments.h"
#include "vrml/buildlimits.h"
#include "vrml/objcreate.h"
#include "vrml/parse.h"
#include "vrml/placement.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"
#include "vrml/session.h"
#include "vrml/traverse.h"
#include "vrml/urlbase.h"

namespace {

constexpr int32_t kIdsPerRange = 10000;
// The last k whose first id -(k+1)*10000 still fits a signed 32-bit id.
constexpr int32_t kLastRangeNumber = INT32_MAX / kIdsPerRange - 1;


// ------------------------------------------------------------ anchors

bool namesLocalFile(const std::string& url) {
  if (!url.empty() && (url[0] == '/' || url[0] == '\\')) return true;
  std::string scheme = url.substr(0, 5);
  for (char& c : scheme) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  return scheme == "file:";
}

// The URL an anchor keeps: an anchor of another user's file leads nowhere
// local (a local world would have the user's rights).
std::string anchorUrl(const QvWWWAnchor* anchor, const char* fn) {
  std::string url = qvResolveUrl(anchor->name.value.getString());
  if (qvSession().fromPeer && namesLocalFile(url)) {
    zmReportWarning("%s: %s: an anchor of a file another user added cannot lead to a local file.", fn, url.c_str());
    url.clear();
  }
  return url;
}

// Opens the anchor's level: the anchor's matrix elements and the anchor
// itself on its stack. False when memory ran out (the level is closed
// again).
bool openAnchorLevel(QvNode* node, QvState* state, const ZmObj* anchor, const char* fn) {
  state->push();
  if (!pushMatrixElements(state, anchor, fn)) {
    state->pop();
    return false;
  }
  if (!state->pushNode(QV_WWW_ANCHOR, node)) {
    zmReportMessage("%s: Couldn't allocate memory for QvElement.", fn);
    state->pop();
    return false;
  }
  return true;
}

// Appends each child's object; a child without one is passed over. False
// when a child could not be appended (that child is deleted).
bool addAnchorChildren(const QvGroup* group, QvState* state, ZmObj* anchor, const char* fn) {
  for (int32_t i = 0; i < group->getNumChildren(); ++i) {
    ZmObj* child = nullptr;
    if (traverse(group->getChild(i), state, &child) != 0 || child == nullptr) continue;
    if (zmAddChild(anchor, child) != 0) {
      zmReportMessage("%s: zmAddChild() failed.", fn);
      discardZmObj(child, fn);
      return false;
    }
  }
  return true;
}

// ------------------------------------------------------- inline ranges

int32_t rangeNumberOf(ZmId id) { return id <= -(kIdsPerRange + 1) ? (-(id + 1)) / kIdsPerRange : 0; }

int collectRangeNumber(void* value, void* used) {
  static_cast<std::set<int32_t>*>(used)->insert(rangeNumberOf(static_cast<ZmObj*>(value)->id));
  return 1;
}

// The range numbers of the inline reads under way in this parse and in the
// parses it interrupted: their objects may not exist yet, so the id table
// cannot tell.
std::set<int32_t> rangesBeingRead() {
  std::set<int32_t> ranges;
  for (const QvParseSession* session = &qvSession(); session; session = session->outer)
    ranges.insert(session->rangesBeingRead.begin(), session->rangesBeingRead.end());
  return ranges;
}

// The range numbers in use in one world are gathered from its objects once
// per build (zmBuildInlineRanges). Within a build only its own inline reads
// hand out ranges, and each is added as it is handed out, so the lowest free
// number only grows. Objects deleted meanwhile leave their range marked:
// careful, not wrong.
void gatherUsedRanges(ZmWorld* world, ZmBuildInlineRanges& used) {
  used = ZmBuildInlineRanges();
  used.world = world;
  const std::set<int32_t> reading = rangesBeingRead();
  used.numbers.insert(reading.begin(), reading.end());
  if (world->idTable) zmForEachHashValue(world->idTable, collectRangeNumber, &used.numbers);
}

// The lowest inline range number free in the world, or 0 when none is.
int32_t freeRangeNumber(ZmWorld* world) {
  ZmBuildInlineRanges& used = zmBuildInlineRanges();
  if (used.world != world) gatherUsedRanges(world, used);
  int32_t& k = used.lowestFree;
  while (k <= kLastRangeNumber && used.numbers.count(k) != 0) ++k;
  return k <= kLastRangeNumber ? k : 0;
}

// Reads the local file under the inline object with a range of ids of its
// own; the names written in it are taken from its URL. 0, or -1 reported.
int readInlineFile(ZmObj* object, const std::string& url, const std::string& localFile, const char* fn) {
  int32_t k = freeRangeNumber(object->world);
  ZmId first = -(k + 1) * kIdsPerRange, last = first + kIdsPerRange - 1;
  if (k == 0 || zmPushIdCounter(&first, &last, 0) != 0) {
    zmReportWarning("QvWWWInline::traverse: zmPushIdCounter() failed.");
    return -1;
  }
  if (!zmBuildMayReadInline(object->world)) {
    zmPopIdCounter();
    return 0;  // left empty, as the build stops
  }
  zmBuildInlineRanges().numbers.insert(k);
  qvSession().rangesBeingRead.push_back(k);
  qvPushBaseUrl(url);
  int read = zmParseVRMLInZmObj(localFile.c_str(), object);
  qvPopBaseUrl();
  qvSession().rangesBeingRead.pop_back();
  if (zmPopIdCounter() != 0) {
    zmReportWarning("QvWWWInline::traverse: zmPopIdCounter() failed.");
    return -1;
  }
  if (read != 0) {
    zmReportMessage("%s: %s%s%s", fn, "zmParseVRMLInZmObj(\"", localFile.c_str(), "\") failed.");
    return -1;
  }
  return 0;
}

}  // namespace

int traverseWWWAnchor(QvNode* node, QvState* state, ZmObj** out) {
  const char* fn = "QvWWWAnchor::traverse";
  *out = nullptr;
  ZmObj* object = createZmObjFor(node, state, "WWWAnchor", fn);
  if (object == nullptr) return -1;
  const auto* anchor = static_cast<const QvWWWAnchor*>(node);
  if (vrmlLoading().setNameOfWWW(object, zmWWWAnchor, anchorUrl(anchor, fn).c_str()) != 0) {
    zmReportMessage("%s: zmSetNameOfWWW() failed.", fn);
    discardZmObj(object, fn);
    return -1;
  }
  applyZmAttachments(state, object, nullptr);
  if (!openAnchorLevel(node, state, object, fn)) {
    discardZmObj(object, fn);
    return -1;
  }
  bool added = addAnchorChildren(static_cast<const QvGroup*>(node), state, object, fn);
  state->pop();
  if (!added) {
    discardZmObj(object, fn);
    return -1;
  }
  *out = object;
  return 0;
}

int traverseWWWInline(QvNode* node, QvState* state, ZmObj** out) {
  const char* fn = "QvWWWInline::traverse";
  *out = nullptr;
  ZmObj* object = createZmObjFor(node, state, "WWWInline", fn);
  if (object == nullptr) return -1;
  const auto* inlined = static_cast<const QvWWWInline*>(node);
  const std::string url = qvResolveUrl(inlined->name.value.getString());
  if (vrmlLoading().setNameOfWWW(object, zmWWWInline, url.c_str()) != 0) {
    zmReportMessage("%s: zmSetNameOfWWW() failed.", fn);
    discardZmObj(object, fn);
    return -1;
  }
  const char* local = nullptr;
  if (vrmlLoading().getLocalNameOfWWW(object, zmWWWInline, &local) != 0 || local == nullptr) {
    zmReportWarning("%s: zmGetLocalNameOfWWW() failed.", fn);
    discardZmObj(object, fn);
    return -1;
  }
  // The entry's text may move while the file is read; keep a copy.
  const std::string localFile = local;
  // The file is read at the inline object's rigid place; the scale that
  // reaches the inline is carried into what was read.
  float leftover[9];
  leftoverOf(state, object, nullptr, leftover);
  if (!localFile.empty() && readInlineFile(object, url, localFile, fn) != 0) {
    discardZmObj(object, fn);
    return -1;
  }
  carryLeftover(object, leftover);
  *out = object;
  return 0;
}
