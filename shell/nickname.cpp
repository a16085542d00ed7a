// shell/nickname.cpp -- the user's nickname; see nickname.h.
#include "shell/nickname.h"

#include <cstring>

#include "multiuser/connection.h"
#include "platform/sysinfo.h"
#include "shell/appstate.h"
#include "shell/preferences.h"

namespace {

constexpr const char* kPlaceholder = "(nik)";

// The client reads the name from its settings when it connects.
void handToClient() { zmMultiUserSettings().nickname = zmShell.nickname; }

}  // namespace

int zmInitNickName() {
  char* nickname = zmShell.nickname;
  zmGetPreference(ZM_PREF_NICK_NAME, nickname);
  if (std::strcmp(nickname, kPlaceholder) == 0) {
    DWORD size = sizeof zmShell.nickname;
    if (WNetGetUserA(nullptr, nickname, &size) != NO_ERROR) std::strcpy(nickname, kPlaceholder);
    zmSetPreference(ZM_PREF_USER_NAME, nickname);
    zmSetPreference(ZM_PREF_NICK_NAME, nickname);
  }
  handToClient();
  return 0;
}

const char* zmGetUserName() {
  zmGetPreference(ZM_PREF_NICK_NAME, zmShell.nickname);
  handToClient();
  return zmShell.nickname;
}
