// shell/nickname.h -- the name other users know this user by.
//
// Owns: the 32-byte nickname buffer (kept in the shell's record,
// shell/appstate.h), which mirrors the preference "NickName", its first-start default (the system's user name, stored as
// both "Name" and "NickName" while "NickName" still holds the placeholder
// "(nik)"), and handing the current nickname to the multi-user client's
// settings. It does not own the preferences store (shell/preferences.h) nor
// what the client does with the name (the SOCKS user id, the avatar
// announcement).
#ifndef LUMENFOLD_SHELL_NICKNAME_H
#define LUMENFOLD_SHELL_NICKNAME_H

constexpr int ZM_NICKNAME_SIZE = 32;  // bytes, the terminator included

// Reads "NickName"; on a first start replaces the placeholder by the
// system's user name. 0.
int zmInitNickName();

// The nickname after reading the preference again (the Preferences dialog
// may have changed it). Never null.
const char* zmGetUserName();

#endif
