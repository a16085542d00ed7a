// shell/worldload.cpp -- the road from a URL to a world on show; see
// worldload.h.
#include "shell/worldload.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/camera.h"
#include "core/event.h"
#include "core/report.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/urltable.h"
#include "script/events.h"
#include "script/host.h"
#include "script/mainloop.h"
#include "script/timeouts.h"
#include "shell/avatar.h"
#include "shell/cmdline.h"
#include "shell/commands.h"
#include "shell/lamp.h"
#include "shell/location.h"
#include "shell/mainmenu.h"
#include "shell/preferences.h"
#include "shell/worldcache.h"
#include "viewer/api.h"
#include "media/sound.h"
#include "platform/wingdi.h"
#include "multiuser/connection.h"
#include "viewer/navigation.h"
#include "viewer/person.h"
#include "viewer/rendering.h"
#include "viewer/texture.h"

namespace {

// The world server is joined through the proxy and as the avatar the user
// has chosen by the time of the join, so changes in the preferences and the
// avatar chooser count from the next world on.
void handSettingsToClient() {
  ZmMultiUserSettings& settings = zmMultiUserSettings();
  char host[256] = "";
  char port[256] = "";
  settings.socksHost = zmGetPreference(ZM_PREF_SOCKS_HOST, host) == 0 ? host : "";
  settings.socksPort = zmGetPreference(ZM_PREF_SOCKS_PORT, port) == 0 ? port : "";
  settings.avatarFile = zmGetAvatarFile();
}

// A world's textures are applied once it is read while both the Auto Load
// Images option and the user's "Load Texture" preference are on; else they
// stay queued. A preference that cannot be read keeps its default, on.
bool texturesWanted() {
  int texture = 1;
  if (zmGetPreference(ZM_PREF_TEXTURE, &texture) != 0) texture = 1;
  return zmAutoLoadImages() != 0 && texture == 1;
}

void deliverWorldEvent(ZmWorld* world, uint32_t type) {
  if (world == nullptr) return;
  ZmEvent event{};
  event.type = type;
  zmCallWorldEventHandlers(world, &event);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void repaintView(bool now) {
  HWND view = zmGetViewHwnd();
  if (view == nullptr) return;
  InvalidateRect(view, nullptr, TRUE);
  if (now) UpdateWindow(view);
}

// The lamp blinks green while a world is fetched (red is the alert's).
constexpr COLORREF kLoadingLamp = RGB(0, 255, 0);

// After a load that failed, the program shows what it showed before: the
// world of the current history entry when the cache still holds it (the
// failed world never entered the history), else it waits for a world.
void showWorldBefore() {
  zmRestLamp();
  ZmHistory* entry = zmGetCurrentHistory();
  if (entry == nullptr || zmCacheFindWorld(entry->url) == nullptr || zmActivateWorld(entry, nullptr) != 0) {
    zmSetCurrentWorld(nullptr);
    zmAppShowNothing();
    zmSetLocationText("");
    repaintView(false);
    zmUpdateAllCommandLooks();
  }
  if (zmShell.failedLoadObserver != nullptr) zmShell.failedLoadObserver();
}

// A world that failed to become the one on show is let go, and the one
// shown before comes back.
int giveUpLoad(ZmWorld* world, int code) {
  zmSetCurrentWorld(nullptr);
  if (world != nullptr && zmCacheRemoveWorld(world->name) != 0) zmDeleteWorld(world);
  showWorldBefore();
  return code;
}

// The avatar joins a world that has none and stands at its active camera.
int addPerson(ZmWorld* world) {
  if (zmAddPersonToWorld(world) != 0) return -1;
  zmAdjustPersonToActiveCamera(world->person);
  return 0;
}

}  // namespace

bool zmCopyUrl(char* buffer, size_t size, const char* url, const char* who) {
  if (url == nullptr) url = "";
  const size_t length = std::strlen(url);
  if (length >= size) {
    zmReportWarning("%s: the URL is longer than %d characters: refused", who, static_cast<int>(size - 1));
    return false;
  }
  std::memcpy(buffer, url, length + 1);
  return true;
}

void zmUnescapeUrl(char* text) {
  if (text == nullptr) return;
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    const int high = in[0] == '%' ? hexValue(in[1]) : -1;
    const int low = high >= 0 ? hexValue(in[2]) : -1;
    if (low >= 0) {
      *out++ = static_cast<char>(high * 16 + low);
      in += 2;
    } else {
      *out++ = *in;
    }
  }
  *out = '\0';
}

int zmGoToUrl(const char* url, const ZmRT* camera) {
  // The program fetches web worlds itself; only other URLs need the browser.
  int& registration = zmShell.viewerRegistration;
  if (registration != 0 && !zmWwwIsWebWorld(url)) {
    registration = zmWwwRegisterViewer();
    if (registration == -1) zmReportMessage("%s", "Please run Netscape Navigator, and try again.");
  }
  if (registration != 0 && !zmWwwIsWebWorld(url)) return -1;
  if (zmCacheFindWorld(url) != nullptr) return zmLoadCachedWorld(url, camera);
  if (camera != nullptr) zmShell.pendingCamera = *camera;
  zmShell.cameraPending = camera != nullptr;
  const int result = zmWwwOpenUrl(url);
  if (result != 0) {
    zmShell.cameraPending = false;
    zmEndFailedFetch();
  }
  return result;
}

void zmEndFailedFetch() {
  zmShell.reloading.pending = false;
  if (zmAppIsBuilding()) return;  // the build ends it
  ZmWorld* world = zmGetCurrentWorld();
  // A world that ticks on keeps its state; a fetch's gives way.
  if (!zmAppIsRunning()) {
    zmRestLamp();
    zmAppFetchFailed(world != nullptr);
    repaintView(false);
  }
  zmSetLocationText(world != nullptr ? world->name : "");
  zmUpdateAllCommandLooks();
  if (zmShell.failedLoadObserver != nullptr) zmShell.failedLoadObserver();
}

void zmOnLoading() {
  // A world being built keeps its state, which drops loads that arrive
  // meanwhile; the fetch started inside it shows no signs of its own.
  if (zmAppIsBuilding()) return;
  zmAppBeginFetching();
  repaintView(false);  // cleared for the count, which the ticks draw
  zmUpdateAllCommandLooks();
  zmSetLamp(kLoadingLamp);
}

void zmKeepLoadingLamp() {
  if (zmShell.zmAppState == ZM_APP_FETCHING && zmGetLampPhases() == 0) zmSetLamp(kLoadingLamp);
}

void zmSetFailedLoadObserver(void (*observer)()) { zmShell.failedLoadObserver = observer; }

int zmLoadWorld(const char* localFile, const char* url, const ZmRT* camera) {
  char name[ZM_SHARED_URL_SIZE];
  if (!zmCopyUrl(name, sizeof name, url, "zmLoadWorld")) return giveUpLoad(nullptr, -1);
  if (localFile == nullptr || access(localFile, R_OK) != 0) {
    zmReportMessage("%s: cannot be read: %s", name, localFile == nullptr ? "no local file" : std::strerror(errno));
    return giveUpLoad(nullptr, -1);
  }
  zmRestLamp();
  zmScriptTkSuspend(zmGetCurrentWorld());
  ZmWorld* world = zmNewWorld(name);
  zmSetCurrentWorld(world);
  if (world == nullptr) {
    zmReportError("Can't create world\n");
    return giveUpLoad(nullptr, -1);
  }
  zmAppBeginNewWorld();
  repaintView(true);
  zmNewUrlHashEntry(world->urlTable, name, localFile, ZM_FILE_WRL);
  if (zmCacheAddWorld(world) != 0) return giveUpLoad(world, -1);
  const bool reload = zmShell.reloading.pending;
  zmShell.reloading.pending = false;
  zmAppBeginBuilding();
  zmUpdateCommandStates();
  zmWwwSetBaseUrl(name);
  zmVFclearPendingTextures();
  const int built = zmReadWorld(localFile, world);
  if (texturesWanted()) zmVFloadAllPendingTextures();
  if (built != 0) {
    zmReportMessage("%s: cannot be read as a VRML 1.0 world", name);
    return giveUpLoad(world, built);
  }
  zmSoundAutoPlay(world);
  zmSetWorldBoundingCube(world);
  if (world->server == nullptr && addPerson(world) != 0) return giveUpLoad(world, -1);
  // Only a world that came enters the history; a reload keeps its entry.
  if (!reload) {
    ZmHistory* entry = zmAddHistory(name);
    if (entry == nullptr) return giveUpLoad(world, -1);
    zmSetCurrentHistory(entry);
  }
  const int shown = zmActivateWorld(zmGetCurrentHistory(), camera);
  if (shown != 0) return giveUpLoad(world, shown);
  zmAppWorldBuilt();
  return 0;
}

int zmLoadCachedWorld(const char* url, const ZmRT* camera) {
  ZmHistory* entry = zmAddHistory(url);
  if (entry == nullptr) return -1;
  zmSetCurrentHistory(entry);
  return zmActivateWorld(entry, camera);
}

int zmActivateWorld(ZmHistory* entry, const ZmRT* camera) {
  const char* name = entry != nullptr ? entry->url : "";
  zmStopLampBlink();
  zmScriptTkSuspend(zmGetCurrentWorld());
  zmSetCurrentHistory(entry);
  ZmWorld* world = zmCacheFindWorld(name);
  zmSetCurrentWorld(world);
  zmSetWindowTitle();
  zmWwwSetBaseUrl(name);
  if (world != nullptr) {
    if (world->person == nullptr && addPerson(world) != 0) return -1;
    if (camera != nullptr) zmRestorePersonCamera(world, camera);
    zmSoundSetWorld(world);
    int width = 0, height = 0;
    zmGetViewWindowSize(&width, &height);
    zmSetCameraViewport(world, 0, 0, width, height);
    zmNavInit();
  }
  zmSetLocationText(name);
  repaintView(false);
  if (world != nullptr) {
    zmScriptTkResume(world);
    zmResetTimeOutHandlers(world);
    deliverWorldEvent(world, ZM_EVENT_WORLD_IN);
  }
  zmAppWorldShown();
  zmUpdateAllCommandLooks();
  handSettingsToClient();
  zmZMQXConnect();
  return 0;
}

int zmLeaveWorld(const char* name) {
  zmZMQXExit();
  deliverWorldEvent(zmGetCurrentWorld(), ZM_EVENT_WORLD_OUT);
  return 0;
}

int zmReloadWorld(const char* url, const ZmRT* camera) {
  zmZMQXExit();
  if (zmCacheFindWorld(url) == nullptr) return -1;
  char copy[ZM_SHARED_URL_SIZE];
  if (!zmCopyUrl(copy, sizeof copy, url, "zmReloadWorld")) return -1;
  ZmWorld* world = zmCacheFindWorld(copy);
  if (world == zmGetCurrentWorld()) zmSetCurrentWorld(nullptr);
  zmCacheRemoveWorld(copy);
  zmAppAwaitWorld();
  std::memcpy(zmShell.sharedUrl, copy, sizeof copy);
  if (camera != nullptr) {
    zmShell.reloading.camera = *camera;
    camera = &zmShell.reloading.camera;
  }
  zmShell.reloading.pending = true;
  return zmGoToUrl(zmShell.sharedUrl, camera);  // a failed fetch clears the pending reload
}

LRESULT zmOnLoadWorld(ZmLoadRecord* record) {
  if (zmShell.zmAppState == ZM_APP_BUILDING || record == nullptr) return 0;
  if (zmGetCurrentWorld() != nullptr) zmLeaveWorld(zmGetCurrentWorld()->name);
  ZmRT cameraCopy{};
  const ZmRT* camera = nullptr;
  if (zmShell.cameraPending) {
    cameraCopy = zmShell.pendingCamera;
    camera = &cameraCopy;
  }
  zmShell.cameraPending = false;
  // The senders' URL buffers are their own writable ones (the browser link's
  // base URL, the first-load record's, a test's), decoded where they lie.
  char* url = const_cast<char*>(record->url);
  zmUnescapeUrl(url);
  if (zmCacheFindWorld(url) == nullptr)
    zmLoadWorld(record->local, url, camera);
  else
    zmLoadCachedWorld(url, camera);
  ZmCommandLine& line = zmShell.commandLine;
  if (line.argIndex < line.argc) zmWwwOpenFile(line.argv[line.argIndex++]);
  return 0;
}
