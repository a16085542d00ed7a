// shell/worldcache.h -- the worlds built during the run, and the history of
// the URLs shown.
//
// Owns: the world cache (every world the shell has built, found by the URL
// it was loaded from; it deletes them when they leave it) and the one
// history: an ordered list of URL copies with a current entry, as a web
// browser keeps it. It does not own the current world (core/world.h) nor
// what showing a world means (shell/worldload.h).
#ifndef LUMENFOLD_SHELL_WORLDCACHE_H
#define LUMENFOLD_SHELL_WORLDCACHE_H

struct ZmWorld;

// ---- World cache ----------------------------------------------------------

// Creates the empty cache (a second call keeps the one there is). 0.
int zmWorldCache();
// Adds the world at the front; the cache owns it from now on. 0; -1
// without cache or when memory runs out.
int zmCacheAddWorld(ZmWorld* world);
// The world whose name equals the URL exactly (case matters), or null.
ZmWorld* zmCacheFindWorld(const char* url);
// Takes the world of that name out of the cache and deletes it. 0; -1 when
// the cache holds no such world. The caller clears the current world first
// when it is that one.
int zmCacheRemoveWorld(const char* url);
// Deletes every world of the cache and the cache itself (shut-down).
void zmFreeWorldCache();
// The number of worlds held.
int zmCacheCount();

// ---- History --------------------------------------------------------------

struct ZmHistory {
  ZmHistory* next;
  ZmHistory* prev;
  char* url;  // owned copy
};

/*
 * zmAddHistory --
 *   Drops every entry after the current one, then adds an entry with a copy
 *   of the URL after the current entry (first entry of an empty history).
 *   The caller makes it current (zmSetCurrentHistory).
 * Results:
 *   The new entry; null when memory runs out (nothing is dropped then).
 */
ZmHistory* zmAddHistory(const char* url);
// The entry before or after `entry`; null at the ends or for a null entry.
ZmHistory* zmGetPrevHistory(ZmHistory* entry);
ZmHistory* zmGetNextHistory(ZmHistory* entry);
void zmSetCurrentHistory(ZmHistory* entry);
ZmHistory* zmGetCurrentHistory();
ZmHistory* zmGetFirstHistory();
// Frees every entry (shut-down, and a new run's state in tests).
void zmFreeHistory();

#endif
