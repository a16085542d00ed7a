// platform/profile.h -- reading private profile (INI) files.
//
// Owns: GetPrivateProfileIntA and GetPrivateProfileStringA. It does not own
// the registry (registry.h) and writes no files.
//
// A profile is lines of "[section]" and "key=value"; lines starting with ';'
// are comments. Section and key names compare without regard to letter
// case; the first section and the first key of a name win. Spaces around
// names and values are dropped, and a value wholly in matching single or
// double quotes loses the quotes. The file is read afresh on every call; a
// missing file reads as an empty profile.
#ifndef LUMENFOLD_PLATFORM_PROFILE_H
#define LUMENFOLD_PLATFORM_PROFILE_H

#include "platform/wintypes.h"

/*
 * GetPrivateProfileIntA --
 *   The value of `key` in `section` as an integer: optional spaces, an
 *   optional '-', then decimal digits or "0x" and hex digits, up to the
 *   first other character.
 * Results:
 *   The number (negative numbers wrap, as an unsigned result does); 0 when
 *   the value does not start with a number; `defaultValue` when the file,
 *   section or key is missing or any name is null.
 */
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);

/*
 * GetPrivateProfileStringA --
 *   Copies the value of `key` in `section` into `out` (size bytes), or
 *   `defaultValue` (null: empty) when it is missing. With `section` null the
 *   section names, with `key` null the section's key names, are copied as a
 *   list: each name followed by '\0', the list ended by one more '\0'.
 * Results:
 *   The characters copied without the final terminator. A value that does
 *   not fit is cut and size - 1 returned; a list that does not fit is cut
 *   and size - 2 returned. 0 for a null out or size 0.
 */
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out,
                               DWORD size, LPCSTR fileName);

#define GetPrivateProfileInt GetPrivateProfileIntA
#define GetPrivateProfileString GetPrivateProfileStringA

#endif
