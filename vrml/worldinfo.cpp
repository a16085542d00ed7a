// vrml/worldinfo.cpp -- Info-node world settings.
#include "vrml/worldinfo.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/clocale.h"
#include "vrml/hooks.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "vrml/parse.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"
#include "vrml/session.h"
#include "vrml/traverse.h"
#include "vrml/urlbase.h"

namespace {

struct FreeText {
  void operator()(char* text) const { zmFree(text); }
};
using OwnedText = std::unique_ptr<char, FreeText>;

const char* textOf(const QvInfo* info) { return info->string.value.getString(); }

// The string's numbers read as the "C" locale writes them, whatever the
// toolkit made of the process locale.
template <class... Out> int scanText(const QvInfo* info, const char* format, Out*... out) {
  ZmCLocaleScope cLocale;
  return std::sscanf(textOf(info), format, out...);
}

void setBackgroundColor(const QvInfo* info, ZmWorld* world) {
  float rgb[3];
  if (scanText(info, "%f%f%f", &rgb[0], &rgb[1], &rgb[2]) != 3) {
    zmReportWarning("%s: %s", "QvInfo::setBackgroundColor()", "fails to get background color.");
    return;
  }
  for (int i = 0; i < 3; ++i) world->backgroundColor[i] = rgb[i];
}

// Title and server keep the first value any node gave them.
void setFirstText(const QvInfo* info, char** setting) {
  if (*setting == nullptr) *setting = getInfoStringField(info);
}

void setViewerSpeed(const QvInfo* info, ZmWorld* world) {
  double speed = 0.1;
  if (scanText(info, "%lf", &speed) != 1) {
    speed = 0.1;
    zmReportWarning("%s: %s", "QvInfo::setZmViewerSpeed()", "fails to get ViewerSpeed value.");
  }
  world->viewerSpeed = static_cast<float>(speed);
}

void setBackgroundImage(const QvInfo* info, ZmWorld* world) {
  if (world->backgroundImage != nullptr) return;
  OwnedText url(getInfoStringField(info));
  if (url == nullptr) {
    zmReportMessage("QvInfo::setBackgroundTexture(): getStringField() failed.");
    return;
  }
  ZmUrlHash* entry = vrmlLoading().wwwLoadFile(qvResolveUrl(url.get()).c_str());
  if (entry == nullptr) {
    zmReportMessage("QvInfo::setBackgroundTexture(): zmWwwLoadFile() failed.");
    return;
  }
  world->backgroundImage = entry;
}

// Gravity kind 1, switched on only by the exact text "on".
void setGravity(const QvInfo* info) {
  OwnedText text(getInfoStringField(info));
  if (text == nullptr) return;
  vrmlViewer().navSetGravity(1, std::strcmp(text.get(), "on") == 0 ? 1 : 0);
}

void setArchive(const QvInfo* info) {
  char* archive = getInfoStringField(info);
  if (archive == nullptr) return;
  vrmlLoading().extractLha(archive, archive);
}

void setBackgroundTextureType(const QvInfo* info, ZmWorld* world, const char* fn) {
  long type = 0;
  if (scanText(info, "%ld", &type) != 1) {
    type = 0;
    zmReportWarning("%s: %s", fn, "fails to get BackgroundTextureType value.");
  }
  world->backgroundTextureType = static_cast<int32_t>(type);
}

struct InfoName {
  const char* name;
  QvInfoType type;
};

// In the order the names are tested.
constexpr InfoName kInfoNames[] = {
    {"Kinemation", QV_INFO_KINEMATION},
    {"ZmServer", QV_INFO_ZM_SERVER},
    {"BackgroundColor", QV_INFO_BACKGROUND_COLOR},
    {"ViewerSpeed", QV_INFO_VIEWER_SPEED},
    {"BackgroundTexture", QV_INFO_BACKGROUND_TEXTURE},
    {"BackgroundImage", QV_INFO_BACKGROUND_IMAGE},
    {"Title", QV_INFO_TITLE},
    {"Gravity", QV_INFO_GRAVITY},
    {"Archive", QV_INFO_ARCHIVE},
    {"BackgroundTextureType", QV_INFO_BACKGROUND_TEXTURE_TYPE},
    {"BackgroundImageType", QV_INFO_BACKGROUND_IMAGE_TYPE},
};

}  // namespace

QvInfoType getInfoType(const QvInfo* info) {
  const char* name = info->getName().getString();
  for (const InfoName& entry : kInfoNames)
    if (std::strcmp(name, entry.name) == 0) return entry.type;
  return QV_INFO_COMMENT;
}

char* getInfoStringField(const QvInfo* info) {
  char* copy = zmStrdup(textOf(info));
  if (copy == nullptr) zmReportMessage("QvInfo::getStringField(): Couldn't allocate memory.");
  return copy;
}

int traverseInfo(const QvNode* node, QvState* state) {
  const auto* info = static_cast<const QvInfo*>(node);
  ZmWorld* world = state->getWorld();
  switch (getInfoType(info)) {
    case QV_INFO_BACKGROUND_COLOR: setBackgroundColor(info, world); break;
    case QV_INFO_KINEMATION:
      if (int stop = setKinemation(info, state); stop > 0) qvSession().stopFlag = stop;
      break;
    case QV_INFO_TITLE: setFirstText(info, &world->title); break;
    case QV_INFO_VIEWER_SPEED: setViewerSpeed(info, world); break;
    case QV_INFO_ZM_SERVER: setFirstText(info, &world->server); break;
    case QV_INFO_BACKGROUND_TEXTURE:
    case QV_INFO_BACKGROUND_IMAGE: setBackgroundImage(info, world); break;
    case QV_INFO_GRAVITY: setGravity(info); break;
    case QV_INFO_ARCHIVE: setArchive(info); break;
    case QV_INFO_BACKGROUND_TEXTURE_TYPE:
      setBackgroundTextureType(info, world, "QvInfo::setBackgroundTextureType");
      break;
    case QV_INFO_BACKGROUND_IMAGE_TYPE:
      setBackgroundTextureType(info, world, "QvInfo::setBackgroundImageType");
      break;
    case QV_INFO_COMMENT: break;
  }
  return 0;
}
