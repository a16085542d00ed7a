// platform/registry.h -- the registry: keys holding named, typed values,
// kept in one text file under the user's configuration folder.
//
// Owns: RegCreateKeyExA, RegOpenKeyExA, RegCloseKey, RegQueryValueExA,
// RegSetValueExA, RegDeleteValueA, RegQueryInfoKeyA, RegEnumValueA, the
// predefined root keys and the registry file. It does not own private
// profile (INI) files (profile.h) nor any preference's meaning.
//
// The file is $LUMENFOLD_HOME/registry when LUMENFOLD_HOME is set, else
// $XDG_CONFIG_HOME/lumenfold/registry (default ~/.config/lumenfold/). Every
// call reads it afresh and every change rewrites it whole through a
// temporary file renamed over it, so a crash leaves either the old or the
// new file. Its format, one key per section, values in the key's order:
//
//   # comment
//   [HKEY_CURRENT_USER\Software\Orvane Corporation\Lumenfold\User]
//   "Name"=sz:"ann \"the\" user"
//   "Count"=dword:42
//   "Raw"=hex(3):01 ff 00
//
// Section names write '%' and control characters as %HH; quoted texts
// escape \\ \" \n \r \t and other control characters as \xHH. A string
// value is written as sz only when its data is one text with exactly one
// terminator; any other data keeps its exact bytes as hex(type).
//
// Key and value names compare without regard to letter case and keep the
// case they were created with. Access masks and security attributes are
// accepted and not enforced: the file belongs to the user. Calls return the
// system error code (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA,
// ERROR_INVALID_HANDLE, ...) and never touch an out argument they fail on,
// except the sizes that ERROR_MORE_DATA reports.
#ifndef LUMENFOLD_PLATFORM_REGISTRY_H
#define LUMENFOLD_PLATFORM_REGISTRY_H

#include <string>

#include "platform/lasterror.h"
#include "platform/wintypes.h"

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
typedef FILETIME* PFILETIME;

typedef HKEY* PHKEY;
typedef DWORD REGSAM;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003u)

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

/*
 * RegCreateKeyExA --
 *   Opens `subKey` (backslash-separated, relative to `key`; null or empty:
 *   `key` itself), creating it and any missing parents.
 * Results:
 *   ERROR_SUCCESS with a new handle in *result (close it with RegCloseKey)
 *   and REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY in *disposition when
 *   that is not null. ERROR_INVALID_HANDLE for an unknown key,
 *   ERROR_INVALID_PARAMETER for a null result, ERROR_CANTWRITE when the
 *   file cannot be written.
 */
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                     REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                     LPDWORD disposition);

// As RegCreateKeyExA, but ERROR_FILE_NOT_FOUND when the key does not exist.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);

// Closes an opened key; the predefined roots close as a no-op.
LONG RegCloseKey(HKEY key);

/*
 * RegQueryValueExA --
 *   Reads the value `name` (null or empty: the key's default value).
 *   *type receives its type when type is not null. With data null only the
 *   size is reported in *dataSize.
 * Results:
 *   ERROR_SUCCESS with *dataSize = bytes stored. ERROR_MORE_DATA with
 *   *dataSize = bytes needed when the buffer is too small (data untouched).
 *   ERROR_FILE_NOT_FOUND for a missing value or key; ERROR_INVALID_PARAMETER
 *   for data without dataSize.
 */
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize);

// Stores `size` bytes of `data` under `name` with `type`, replacing any
// value of that name. String data is kept as given: callers count the
// terminator in `size`.
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);

// ERROR_FILE_NOT_FOUND when there is no such value.
LONG RegDeleteValueA(HKEY key, LPCSTR name);

/*
 * RegQueryInfoKeyA --
 *   Counts and sizes of the key; each out argument may be null. Name
 *   lengths are in characters without the terminator; the class is always
 *   empty and the write time zero.
 */
LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueSize,
                      LPDWORD securityDescriptorSize, PFILETIME lastWriteTime);

/*
 * RegEnumValueA --
 *   The value at `index` in the key's order. *nameSize holds the name
 *   buffer's size on entry and the name's length (without terminator) on
 *   success; data and size as RegQueryValueExA.
 * Results:
 *   ERROR_SUCCESS; ERROR_NO_MORE_ITEMS past the last value; ERROR_MORE_DATA
 *   when the name or the data does not fit.
 */
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD dataSize);

#define RegCreateKeyEx RegCreateKeyExA
#define RegOpenKeyEx RegOpenKeyExA
#define RegQueryValueEx RegQueryValueExA
#define RegSetValueEx RegSetValueExA
#define RegDeleteValue RegDeleteValueA
#define RegQueryInfoKey RegQueryInfoKeyA
#define RegEnumValue RegEnumValueA

namespace platform {

// The path of the registry file as described above (it may not exist yet).
std::string registryFilePath();

}  // namespace platform

#endif
