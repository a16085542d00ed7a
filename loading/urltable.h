// loading/urltable.h -- the URL table of a world and the local files of its
// URLs.
//
// Owns: `ZmUrlHashTable` and its `ZmUrlHash` entries (URL, local file, type
// code); registering URLs without fetching them; which fetch is in place
// (the browser link's, unless a tool or test put its own; kept in the
// fetching record, loading/fetching.h); obtaining an
// entry's local file on first demand and keeping it for the life of the
// world; deleting, when the table is freed, the local files that fetching
// made and the unpacked and converted copies this run made
// (loading/madecopies.h), and no others. Also the URL entries that
// WWWInline and WWWAnchor objects hold as object extensions 9 and 10. It
// does not own the fetching itself (the browser link, loading/wwwlink.h),
// the file types (loading/filetype.h), or the world that holds the table
// (core/world.h).
#ifndef LUMENFOLD_LOADING_URLTABLE_H
#define LUMENFOLD_LOADING_URLTABLE_H

#include <cstdint>

struct ZmObj;
struct ZmWorld;

struct ZmUrlHash {
  char* url;             // owned; the key
  char* local_filename;  // owned; null until the file is local
  uint32_t mimeType;     // file type code (loading/filetype.h); 11 unknown
  ZmUrlHash* next;       // next entry of the same bucket
};

struct ZmUrlHashTable {
  int32_t bucketCount;
  ZmUrlHash** buckets;  // bucketCount heads
};

// A new empty table in *table. 0; -5 after the error "zmNewHash: Memory
// Allocation Failed." (also for a bucket count below 1).
int zmNewUrlHash(int32_t bucketCount, ZmUrlHashTable** table);
// Frees every entry (deleting its temporary local file), the buckets and the
// table; null is ignored.
void zmFreeUrlHash(ZmUrlHashTable* table);
// The world's destroy handler: frees the world's table and clears the field.
void zmDeleteUrlHash(ZmWorld* world);

/*
 * zmNewUrlHashEntry --
 *   The entry for `url`: an existing one (same bucket, URL equal ignoring
 *   case) is returned unchanged, whatever localFile and type say; otherwise
 *   a new entry with copies of the URL and of localFile (may be null).
 * Results:
 *   The entry, owned by the table; null after the warning "zmNewUrlHashEntry:
 *   URL or pHashtable is NULL" or the error "zmAddHashedFilenameEntry:
 *   Memory Allocation Failed.".
 */
ZmUrlHash* zmNewUrlHashEntry(ZmUrlHashTable* table, const char* url, const char* localFile, uint32_t type);
// The entry whose URL equals `url` ignoring case in url's bucket, or null.
ZmUrlHash* zmFindUrlHashEntry(ZmUrlHashTable* table, const char* url);
// Removes and frees the entry whose URL equals `url` exactly, if any.
void zmDeleteUrlHashEntry(ZmUrlHashTable* table, const char* url);

const char* zmGetUrl(ZmUrlHash* entry);  // null for a null entry

// A synchronous fetch of an entry's URL: the local file, in a buffer of the
// fetcher's that the next fetch overwrites, with the entry's type code set;
// or null.
using ZmUrlFetch = const char* (*)(ZmUrlHash* entry);

/*
 * zmSetUrlFetch --
 *   Puts `fetch` in place of the browser link's zmWwwFetchUrl behind
 *   zmFetchUrl: for the tools and tests that read worlds without a browser
 *   or the web (from a folder of their own, or a recorder). Null: nothing
 *   can be fetched.
 * Results:
 *   The fetch in place before, for the caller to put back.
 */
ZmUrlFetch zmSetUrlFetch(ZmUrlFetch fetch);

// Fetches the entry's URL now through the fetch in place (zmWwwFetchUrl
// unless replaced), leaving the entry's local file alone: as ZmUrlFetch;
// null when nothing can be fetched.
const char* zmFetchUrl(ZmUrlHash* entry);
/*
 * zmGetLocalFile --
 *   The entry's local file; fetched (zmFetchUrl) and kept in
 *   the entry when it has none yet.
 * Results:
 *   The name, owned by the entry; null after a warning when the entry is
 *   null or the fetch fails (the next call tries again).
 */
const char* zmGetLocalFile(ZmUrlHash* entry);
// The entry's type code after the same steps as zmGetLocalFile; 11 when
// they fail.
uint32_t zmGetMimeType(ZmUrlHash* entry);
// Entries live as long as their table; releasing one does nothing.
void zmReleaseUrlHashEntry(ZmUrlHash* entry);

// The entry for `url` of the world being built, else of the current world
// (new ones: no local file, type 11);
// null after the warning "zmWwwLoadFile: world is NULL" or a failed entry.
ZmUrlHash* zmWwwLoadFile(const char* url);

// Kind 9 (inline) or 10 (anchor): registers `url` and attaches its entry to
// the object as that extension. 0, or -1 after an error.
int zmSetNameOfWWW(ZmObj* object, int kind, const char* url);
// The URL of the object's extension of that kind in *url (owned by the
// entry). 0; -1 (reported, except when the object has no such extension).
int zmGetUrlNameOfWWW(ZmObj* object, int kind, const char** url);
// As zmGetUrlNameOfWWW, with the entry's local file (zmGetLocalFile, which
// may fetch); a file that cannot be had is a warning, not an error.
int zmGetLocalNameOfWWW(ZmObj* object, int kind, const char** localFile);

#endif
