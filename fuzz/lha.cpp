// fuzz/lha.cpp -- an LHA archive through the archiver library's calls
// (check, count, find first/next, extract) and through the loading layer's
// extraction into the program's temporary folder, members post-processed as
// the program does. Every name reported must stay inside the target
// folder, and every file extracted must land there.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/report.h"
#include "fuzz/harness.h"
#include "loading/lha.h"
#include "platform/archiver.h"

namespace {

bool leadsOutside(const char* name) {
  if (name[0] == '/') return true;
  for (const char* part = name; part; part = std::strchr(part, '/')) {
    if (*part == '/') ++part;
    if (std::strncmp(part, "..", 2) == 0 && (part[2] == '/' || part[2] == '\0')) return true;
  }
  return false;
}

void listMembers(const std::string& archive) {
  ArchiverCheckArchive(archive.c_str(), 0);
  const int count = ArchiverGetFileCount(archive.c_str());
  HARC handle = ArchiverOpenArchive(nullptr, archive.c_str(), 0);
  if ((handle != nullptr) != (count >= 0)) std::abort();
  if (handle == nullptr) return;
  ArchiverMemberInfo info{};
  int found = 0;
  for (int result = ArchiverFindFirst(handle, "*.*", &info); result == 0; result = ArchiverFindNext(handle, &info)) {
    if (std::memchr(info.fileName, '\0', sizeof info.fileName) == nullptr || leadsOutside(info.fileName))
      std::abort();
    ++found;
  }
  if (found > count) std::abort();
  ArchiverCloseArchive(handle);
}

// The report must come back as a text within its buffer.
void extractInto(const std::string& archive, const std::string& folder) {
  char report[256];
  const std::string command = "x \"" + archive + "\" \"" + folder + "\"";
  ArchiverCommand(nullptr, command.c_str(), report, sizeof report);
  if (std::memchr(report, '\0', sizeof report) == nullptr) std::abort();
}

// Whatever the private folder holds beside the archive, the command's folder,
// the program's temporary folder and the user folder (where members that
// are converted or unpacked go) was written outside where it belonged.
bool wroteElsewhere(const std::string& root) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(root, ignored)) {
    const std::string name = entry.path().filename().string();
    if (name != "in.lzh" && name != "out" && name != "LumenfoldLib" && name != "user") return true;
  }
  return false;
}

void startLayers() {
  fuzz::adoptPrivateFolderAsHome();
  setenv("LUMENFOLD_HOME", (fuzz::privateFolder() + "user").c_str(), 1);
  zmTurnOffFlag(ZM_FLAG_WARNING);
  zmTurnOffFlag(ZM_FLAG_ERROR);
  platform::provideArchiver();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (startLayers(), true);
  (void)ready;
  const std::string root = fuzz::privateFolder();
  const std::string archive = fuzz::writeInput("in.lzh", data, size);
  listMembers(archive);
  extractInto(archive, root + "out/");
  zmExtractLha(("file://" + archive).c_str());
  if (wroteElsewhere(root)) std::abort();
  fuzz::clearPrivateFolder();
  return 0;
}
