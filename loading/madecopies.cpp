// loading/madecopies.cpp -- the copies the program made; see madecopies.h.
//
// A journal holds one line per event: "+path" when a copy is made, "-path"
// when it is deleted. What is left over after the last line is on disk.
#include "loading/madecopies.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "loading/filetype.h"
#include "platform/windows.h"

namespace {

std::set<std::string> madeCopies;  // this run's copies still on disk

// The journals' folder with its trailing '/', made when missing; empty
// when there is no user folder.
std::string journalFolder() {
  char user[MAX_PATH];
  if (zmGetUserDirName(user, sizeof user) == 0) return "";
  std::string folder = std::string(user) + "copies/";
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
  return folder;
}

void journal(char event, const std::string& path) {
  std::string folder = journalFolder();
  if (folder.empty()) return;
  std::ofstream out(folder + std::to_string(getpid()) + ".list", std::ios::app);
  out << event << path << '\n';
}

bool runGoing(pid_t pid) { return pid == getpid() || kill(pid, 0) == 0 || errno == EPERM; }

// The copies a journal leaves on disk.
std::set<std::string> leftIn(const std::string& journalFile) {
  std::set<std::string> left;
  std::ifstream in(journalFile);
  for (std::string line; std::getline(in, line);) {
    if (line.size() < 2) continue;
    if (line[0] == '+') left.insert(line.substr(1));
    if (line[0] == '-') left.erase(line.substr(1));
  }
  return left;
}

}  // namespace

void zmRecordMadeCopy(const char* path) {
  if (path == nullptr || *path == '\0') return;
  if (madeCopies.insert(path).second) journal('+', path);
}

bool zmIsMadeCopy(const char* path) { return path != nullptr && madeCopies.count(path) != 0; }

void zmDeleteMadeCopy(const char* path) {
  if (!zmIsMadeCopy(path)) return;
  std::remove(path);
  madeCopies.erase(path);
  journal('-', path);
}

int zmCleanUpLeftCopies() {
  std::string folder = journalFolder();
  DIR* directory = folder.empty() ? nullptr : opendir(folder.c_str());
  if (directory == nullptr) return 0;
  int deleted = 0;
  while (const dirent* item = readdir(directory)) {
    std::string name = item->d_name;
    const std::string suffix = ".list";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    char* end = nullptr;
    long pid = std::strtol(name.c_str(), &end, 10);
    if (pid <= 0 || std::string(end) != suffix || runGoing(static_cast<pid_t>(pid))) continue;
    std::string journalFile = folder + name;
    for (const std::string& copy : leftIn(journalFile)) deleted += std::remove(copy.c_str()) == 0;
    std::remove(journalFile.c_str());
  }
  closedir(directory);
  return deleted;
}
