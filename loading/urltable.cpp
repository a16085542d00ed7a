// loading/urltable.cpp -- a world's URL table and local files; see
// urltable.h.
#include "loading/urltable.h"

#include <cstdio>

#include "core/hash.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "loading/fetching.h"
#include "loading/filetype.h"
#include "loading/madecopies.h"
#include "loading/wwwlink.h"
#include "vrml/session.h"

namespace {

ZmUrlHash** bucketOf(ZmUrlHashTable* table, const char* url) {
  return &table->buckets[zmHashString(url) % (uint32_t)table->bucketCount];
}

/*
 * The local file of an entry goes with the entry when this run made it: a
 * web document the program fetched, or an unpacked or converted copy. Any
 * other file, whatever its URL or its name, is not the program's to delete.
 */
void deleteTemporaryLocalFile(const ZmUrlHash* entry) {
  if (entry->local_filename == nullptr || entry->local_filename[0] == '\0') return;
  zmDeleteMadeCopy(entry->local_filename);
}

void freeEntry(ZmUrlHash* entry) {
  deleteTemporaryLocalFile(entry);
  zmFree(entry->local_filename);
  zmFree(entry->url);
  zmFree(entry);
}

// Makes the entry's file local when it is not yet; false after a warning
// (`nullEntryWarning` for a null entry) when there is no entry or the fetch
// fails.
bool makeLocal(ZmUrlHash* entry, const char* nullEntryWarning) {
  if (entry == nullptr) {
    zmReportWarning("%s", nullEntryWarning);
    return false;
  }
  if (entry->local_filename != nullptr) return true;
  const char* fetched = zmFetchUrl(entry);
  if (fetched == nullptr) {
    zmReportWarning("zmGetLocalFile(): NULL");
    return false;
  }
  char* copy = zmStrdup(fetched);
  if (copy == nullptr) {
    zmReportWarning("zmWwwLoadFile: inconsistent pUrlHash->local_filename");
    return false;
  }
  entry->local_filename = copy;
  entry->mimeType = zmGetFileType(copy);
  return true;
}

bool isWwwKind(int kind) { return kind == zmWWWInline || kind == zmWWWAnchor; }

// The entry held as the object's extension of a WWW kind, or null.
ZmUrlHash* wwwEntry(ZmObj* object, int kind) {
  return reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(object, kind));
}

}  // namespace

int zmNewUrlHash(int32_t bucketCount, ZmUrlHashTable** table) {
  auto* made = bucketCount > 0 ? static_cast<ZmUrlHashTable*>(zmMalloc(sizeof(ZmUrlHashTable))) : nullptr;
  if (made != nullptr) made->buckets = static_cast<ZmUrlHash**>(zmMalloc(sizeof(ZmUrlHash*) * bucketCount));
  if (made == nullptr || made->buckets == nullptr) {
    zmFree(made);
    zmReportError("zmNewHash: Memory Allocation Failed.");
    return -5;
  }
  made->bucketCount = bucketCount;
  *table = made;
  return 0;
}

void zmFreeUrlHash(ZmUrlHashTable* table) {
  if (table == nullptr) return;
  for (int32_t i = 0; i < table->bucketCount; ++i) {
    for (ZmUrlHash* entry = table->buckets[i]; entry != nullptr;) {
      ZmUrlHash* next = entry->next;
      freeEntry(entry);
      entry = next;
    }
  }
  zmFree(table->buckets);
  zmFree(table);
}

void zmDeleteUrlHash(ZmWorld* world) {
  if (world == nullptr) return;
  zmFreeUrlHash(world->urlTable);
  world->urlTable = nullptr;
}

ZmUrlHash* zmFindUrlHashEntry(ZmUrlHashTable* table, const char* url) {
  if (table == nullptr || url == nullptr) return nullptr;
  for (ZmUrlHash* entry = *bucketOf(table, url); entry != nullptr; entry = entry->next)
    if (zmStrCaseEq(entry->url, url)) return entry;
  return nullptr;
}

ZmUrlHash* zmNewUrlHashEntry(ZmUrlHashTable* table, const char* url, const char* localFile, uint32_t type) {
  if (url == nullptr || table == nullptr) {
    zmReportWarning("zmNewUrlHashEntry: URL or pHashtable is NULL");
    return nullptr;
  }
  if (ZmUrlHash* found = zmFindUrlHashEntry(table, url)) return found;
  auto* entry = static_cast<ZmUrlHash*>(zmMalloc(sizeof(ZmUrlHash)));
  if (entry != nullptr) {
    entry->url = zmStrdup(url);
    entry->local_filename = localFile ? zmStrdup(localFile) : nullptr;
    entry->mimeType = type;
  }
  if (entry == nullptr || entry->url == nullptr || (localFile != nullptr && entry->local_filename == nullptr)) {
    if (entry != nullptr) {
      zmFree(entry->url);
      zmFree(entry->local_filename);
      zmFree(entry);
    }
    zmReportError("zmAddHashedFilenameEntry: Memory Allocation Failed.");
    return nullptr;
  }
  ZmUrlHash** bucket = bucketOf(table, url);
  entry->next = *bucket;
  *bucket = entry;
  return entry;
}

void zmDeleteUrlHashEntry(ZmUrlHashTable* table, const char* url) {
  if (table == nullptr) {
    zmReportWarning("zmDeleteUrlHashEntry: pHashtable is NULL");
    return;
  }
  if (url == nullptr) {
    zmReportWarning("zmDeleteUrlHashEntry: URL is NULL");
    return;
  }
  for (ZmUrlHash** link = bucketOf(table, url); *link != nullptr; link = &(*link)->next) {
    if (!zmStrEq((*link)->url, url)) continue;
    ZmUrlHash* entry = *link;
    *link = entry->next;
    freeEntry(entry);
    return;
  }
}

const char* zmGetUrl(ZmUrlHash* entry) { return entry ? entry->url : nullptr; }

ZmUrlFetch zmSetUrlFetch(ZmUrlFetch fetch) {
  ZmUrlFetch& urlFetch = urlFetching().fetch;
  ZmUrlFetch replaced = urlFetch;
  urlFetch = fetch;
  return replaced;
}

const char* zmFetchUrl(ZmUrlHash* entry) {
  ZmUrlFetch fetch = urlFetching().fetch;
  return fetch != nullptr ? fetch(entry) : nullptr;
}

const char* zmGetLocalFile(ZmUrlHash* entry) {
  if (!makeLocal(entry, "zmGetLocalFile: argument pointer to ZmUrlHash is null.")) return nullptr;
  return entry->local_filename;
}

uint32_t zmGetMimeType(ZmUrlHash* entry) {
  if (!makeLocal(entry, "zmGetMimeType: argument pointer to ZmUrlHash is null.")) return ZM_FILE_UNKNOWN;
  return entry->mimeType;
}

void zmReleaseUrlHashEntry(ZmUrlHash*) {}

ZmUrlHash* zmWwwLoadFile(const char* url) {
  ZmWorld* world = zmGetWorldBeingBuiltOrCurrent();
  if (world == nullptr) {
    zmReportWarning("zmWwwLoadFile: world is NULL");
    return nullptr;
  }
  return zmNewUrlHashEntry(world->urlTable, url, nullptr, ZM_FILE_UNKNOWN);
}

int zmSetNameOfWWW(ZmObj* object, int kind, const char* url) {
  const char* name = "zmSetNameOfWWW";
  if (object == nullptr || url == nullptr || !isWwwKind(kind)) {
    zmReportError("%s: Invalid argument.", name);
    return -1;
  }
  ZmUrlHash* entry = zmWwwLoadFile(url);
  if (entry == nullptr) {
    zmReportError("%s: zmWwwLoadFile() failed.", name);
    return -1;
  }
  if (zmRegisterObjExtension(object, kind, reinterpret_cast<intptr_t>(entry)) != 0) {
    zmReportError("%s: zmRegisterObjExtension() failed.", name);
    return -1;
  }
  return 0;
}

int zmGetUrlNameOfWWW(ZmObj* object, int kind, const char** url) {
  const char* name = "zmGetUrlNameOfWWW";
  if (object == nullptr || url == nullptr || !isWwwKind(kind)) {
    zmReportError("%s: Invalid argument.", name);
    return -1;
  }
  ZmUrlHash* entry = wwwEntry(object, kind);
  if (entry == nullptr) return -1;
  const char* text = zmGetUrl(entry);
  if (text == nullptr) {
    zmReportError("%s: zmGetUrl() failed.", name);
    return -1;
  }
  *url = text;
  return 0;
}

int zmGetLocalNameOfWWW(ZmObj* object, int kind, const char** localFile) {
  const char* name = "zmGetLocalNameOfWWW";
  if (object == nullptr || localFile == nullptr || !isWwwKind(kind)) {
    zmReportError("%s: Invalid argument.", name);
    return -1;
  }
  ZmUrlHash* entry = wwwEntry(object, kind);
  if (entry == nullptr) return -1;
  const char* local = zmGetLocalFile(entry);
  if (local == nullptr) {
    // A world's missing inline is no reason to close the program: warn only.
    zmReportWarning("%s: zmGetLocalFile() failed.", name);
    return -1;
  }
  *localFile = local;
  return 0;
}
