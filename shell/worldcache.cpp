// shell/worldcache.cpp -- the world cache and the history; see worldcache.h.
#include "shell/worldcache.h"

#include <cstdlib>
#include <cstring>

#include "core/list.h"
#include "core/world.h"

namespace {

// The cache is a generic list of worlds, the most recently added first.
struct WorldCache {
  bool created = false;
  ZmListNode* first = nullptr;
};

// The entries run from the first to the last; the current one is where the
// user stands, null before the first is shown.
struct History {
  ZmHistory* first = nullptr;
  ZmHistory* last = nullptr;
  ZmHistory* current = nullptr;
};

// The worlds built and the URLs shown during the run.
struct Visits {
  WorldCache cache;
  History history;
};
Visits visits;

// The list's match answer: 0 when the world was loaded from the URL.
int worldHasUrl(intptr_t key, intptr_t value) {
  const ZmWorld* world = reinterpret_cast<const ZmWorld*>(value);
  const char* name = world->name != nullptr ? world->name : "";
  return std::strcmp(name, reinterpret_cast<const char*>(key));
}

void deleteWorld(intptr_t value) { zmDeleteWorld(reinterpret_cast<ZmWorld*>(value)); }

ZmListNode* findNode(const char* url) {
  ZmListNode* node = nullptr;
  if (url == nullptr || !visits.cache.created) return nullptr;
  zmFindInList(visits.cache.first, reinterpret_cast<intptr_t>(url), worldHasUrl, &node);
  return node;
}

void freeEntry(ZmHistory* entry) {
  std::free(entry->url);
  std::free(entry);
}

// Frees every entry after the current one, the last first.
void dropAfterCurrent() {
  ZmHistory* entry = visits.history.last;
  while (entry != nullptr && entry != visits.history.current) {
    ZmHistory* before = entry->prev;
    freeEntry(entry);
    entry = before;
  }
  visits.history.last = visits.history.current;
  if (visits.history.current != nullptr) visits.history.current->next = nullptr;
}

}  // namespace

int zmWorldCache() {
  if (!visits.cache.created) zmInitList(&visits.cache.first);
  visits.cache.created = true;
  return 0;
}

int zmCacheAddWorld(ZmWorld* world) {
  if (!visits.cache.created || world == nullptr) return -1;
  return zmPushToList(&visits.cache.first, reinterpret_cast<intptr_t>(world)) == 1 ? 0 : -1;
}

ZmWorld* zmCacheFindWorld(const char* url) {
  ZmListNode* node = findNode(url);
  return node != nullptr ? reinterpret_cast<ZmWorld*>(node->value) : nullptr;
}

int zmCacheRemoveWorld(const char* url) {
  ZmListNode* node = findNode(url);
  if (node == nullptr) return -1;
  ZmWorld* world = reinterpret_cast<ZmWorld*>(node->value);
  zmRemoveFromList(&visits.cache.first, &node);
  zmDeleteWorld(world);
  return 0;
}

void zmFreeWorldCache() {
  if (!visits.cache.created) return;
  zmDeleteList(&visits.cache.first, deleteWorld);
  visits.cache.created = false;
}

int zmCacheCount() {
  int count = 0;
  const WorldCache& cache = visits.cache;
  for (ZmListNode* node = cache.created ? cache.first : nullptr; node != nullptr; node = node->next) ++count;
  return count;
}

ZmHistory* zmAddHistory(const char* url) {
  auto* entry = static_cast<ZmHistory*>(std::calloc(1, sizeof(ZmHistory)));
  char* copy = strdup(url != nullptr ? url : "");
  if (entry == nullptr || copy == nullptr) {
    std::free(entry);
    std::free(copy);
    return nullptr;
  }
  entry->url = copy;
  if (visits.history.current != nullptr) dropAfterCurrent();
  if (visits.history.first == nullptr) {
    visits.history.first = entry;
  } else {
    // Without a current entry the new one follows the last.
    ZmHistory* before = visits.history.current != nullptr ? visits.history.current : visits.history.last;
    before->next = entry;
    entry->prev = before;
  }
  visits.history.last = entry;
  return entry;
}

ZmHistory* zmGetPrevHistory(ZmHistory* entry) { return entry != nullptr ? entry->prev : nullptr; }
ZmHistory* zmGetNextHistory(ZmHistory* entry) { return entry != nullptr ? entry->next : nullptr; }
void zmSetCurrentHistory(ZmHistory* entry) { visits.history.current = entry; }
ZmHistory* zmGetCurrentHistory() { return visits.history.current; }
ZmHistory* zmGetFirstHistory() { return visits.history.first; }

void zmFreeHistory() {
  visits.history.current = nullptr;
  dropAfterCurrent();
  visits.history = History{};
}
