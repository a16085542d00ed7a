// loading/desktopopen.cpp -- the hand-over to xdg-open; see desktopopen.h.
#include "loading/desktopopen.h"

#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/recorder.h"

extern char** environ;

namespace {

constexpr const char* kSchemes[] = {"http:", "https:", "ftp:", "file:", "mailto:"};

void reapEnded(std::vector<pid_t>& started) {
  std::erase_if(started, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

bool hasAllowedScheme(const char* url) {
  return std::any_of(std::begin(kSchemes), std::end(kSchemes),
                     [url](const char* scheme) { return strncasecmp(url, scheme, std::strlen(scheme)) == 0; });
}

}  // namespace

bool zmDesktopMayOpen(const char* url) {
  if (url == nullptr || !hasAllowedScheme(url)) return false;
  for (const char* at = url; *at != '\0'; ++at)
    if (static_cast<unsigned char>(*at) < 0x20 || *at == 0x7f) return false;
  return true;
}

int zmDesktopOpen(const char* url, std::vector<pid_t>& started) {
  if (!zmDesktopMayOpen(url)) return -1;
  reapEnded(started);
  platform::recordEvent("DesktopOpen", url);
  char program[] = "xdg-open";
  std::vector<char> argument(url, url + std::strlen(url) + 1);
  char* argv[] = {program, argument.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
  started.push_back(pid);
  return 0;
}
