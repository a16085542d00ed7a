// shell/preferences.h -- the user's preferences: the fixed table of them,
// their in-memory cache, their values in the registry, and the Preferences
// dialog that edits seven of them.
//
// Owns: the preference table and its cache buffers, zmGetPreference and
// zmSetPreference, the small registry services they use (reading and
// writing one value under a key path, splitting a key path at its root),
// the dialog resource "PREFERENCE" and its procedure. It does not own the
// registry itself (platform/registry.h) nor what a preference means to its
// readers (the multi-user client, the texture loader, the menu command
// that opens the dialog).
//
// A row's cache is filled on its first use: from the registry when the
// value is there and fits the row, otherwise the default is written there.
// Values live under the key ZM_PREFERENCE_KEY followed by the row's
// section, as REG_SZ texts; yes/no preferences are the texts "yes" and
// "no".
#ifndef LUMENFOLD_SHELL_PREFERENCES_H
#define LUMENFOLD_SHELL_PREFERENCES_H

#include <cstddef>

#include "platform/registry.h"
#include "platform/wintypes.h"

// Preference ids.
enum {
  ZM_PREF_SOUND = 0,
  ZM_PREF_WALKING_SOUND = 1,
  ZM_PREF_MULTI_USER = 2,
  ZM_PREF_TEXTURE = 3,
  ZM_PREF_USER_NAME = 4,
  ZM_PREF_NICK_NAME = 5,
  ZM_PREF_SOCKS_HOST = 6,
  ZM_PREF_SOCKS_PORT = 7,
};

// Preference types.
enum { ZM_PREF_YES_NO = 0, ZM_PREF_TEXT = 1 };

// One row of the table. The table ends with a row whose value name is
// empty (section "TERMINATER").
struct zmPreference {
  const char* section;
  const char* valueName;
  char* cache;   // null until first use, then the row's buffer
  int size;      // bytes of the buffer, terminator included
  int type;      // ZM_PREF_YES_NO or ZM_PREF_TEXT
  int id;
};

#define ZM_PREFERENCE_KEY "HKEY_CURRENT_USER\\Software\\Orvane Corporation\\Lumenfold\\"

/*
 * zmGetPreference --
 *   Reads preference `id` into `out`: a yes/no preference writes an int (1
 *   for exactly "yes", else 0); a text preference copies its text, so `out`
 *   must hold the row's size in bytes (32 for the names, 256 for the SOCKS
 *   host and port).
 * Results:
 *   0; -1 for an unknown id or when the value can be neither read from nor
 *   written to the registry (`out` is then untouched).
 */
int zmGetPreference(int id, void* out);

/*
 * zmSetPreference --
 *   Sets preference `id` from `in`: an int for yes/no (1 gives "yes",
 *   anything else "no"), a text otherwise (cut to the row's size).
 * Results:
 *   0 when the value changed and was written to the registry; -1 when the
 *   write failed, the id is unknown, or the value is the one already held
 *   (nothing is written then).
 */
int zmSetPreference(int id, const void* in);

// The size in bytes of a preference's buffer; 0 for an unknown id.
int zmPreferenceSize(int id);

// Test support: forgets every cached value and puts the defaults back, as
// at the start of a run. The program never calls it.
void zmResetPreferencesForTest();

// ---- Registry services (used by the store only) -----------------------------

/*
 * zmSplitKeyPath --
 *   Splits "ROOT\sub\key" at its first backslash. ROOT must be exactly one
 *   of "HKEY_CLASSES_ROOT", "HKEY_USERS", "HKEY_LOCAL_MACHINE",
 *   "HKEY_CURRENT_USER". *subKey points into `path` after the backslash.
 * Results:
 *   0, or -1 for any other root name or a path without backslash.
 */
int zmSplitKeyPath(const char* path, HKEY* root, const char** subKey);

/*
 * zmReadRegistryValue --
 *   Copies the value named `name` (compared case-sensitively) of the key at
 *   `keyPath` into `out`, creating the key when it is missing. For string
 *   types the value must fit in `size` bytes with its terminator, and what
 *   is copied is always terminated.
 * Results:
 *   0; -1 when the key cannot be opened or the value is missing or larger
 *   than `size`.
 */
int zmReadRegistryValue(const char* keyPath, const char* name, void* out, DWORD size, DWORD type);

// Writes `size` bytes (for string types: the text and its terminator) as
// the value `name` of the key at `keyPath`, creating the key. 0 or -1.
int zmWriteRegistryValue(const char* keyPath, const char* name, const void* data, DWORD size,
                         DWORD type);

// ---- The Preferences dialog -------------------------------------------------

// Control ids of the dialog "PREFERENCE".
enum {
  ZM_PREFDLG_SOUND = 1000,
  ZM_PREFDLG_WALKING_SOUND = 1001,
  ZM_PREFDLG_MULTI_USER = 1003,
  ZM_PREFDLG_SOCKS_HOST = 1004,
  ZM_PREFDLG_TEXTURE = 1005,
  ZM_PREFDLG_SOCKS_PORT = 1006,
  ZM_PREFDLG_NICK_NAME = 1008,
};

// Registers the dialog resource "PREFERENCE" (again: it replaces itself).
void zmRegisterPreferenceDialog();

INT_PTR CALLBACK zmPreferenceDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

/*
 * zmOpenPreferenceDialog --
 *   Runs the dialog modally over `owner`. OK writes the seven preferences
 *   it shows; Cancel writes nothing.
 * Results:
 *   0 when the dialog ended with OK, else -1.
 */
int zmOpenPreferenceDialog(HWND owner);

#endif
