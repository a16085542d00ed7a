// platform/ownmodule.cpp -- the program's modules over dlopen; see
// ownmodule.h.
#include "platform/ownmodule.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <utility>

#include "platform/winbase.h"

namespace platform {
namespace {

struct OwnModules {
  // What became of each module asked for: its handle, or null after a
  // failure that has been reported.
  std::map<std::string, void*> loaded;
  std::string folderForTest;  // empty: the program's library folder
  OwnModuleReporter reporter = nullptr;
};
OwnModules modules;

std::string loaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "no reason given";
}

void report(const std::string& text) {
  if (modules.reporter != nullptr) {
    modules.reporter(text.c_str());
  } else {
    OutputDebugStringA((text + "\n").c_str());
  }
}

// The program's library folder, or the test's folder.
std::string moduleFolder() {
  if (!modules.folderForTest.empty()) return modules.folderForTest;
  return programLibraryFolder();
}

// The module's handle; null after reporting why it cannot be loaded. The
// flags keep its symbols to itself and bind them all now, so that a module
// missing a library fails here rather than at its first call.
void* load(const std::string& name) {
  const std::string path = moduleFolder() + "/" + name + ".so";
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) report("Cannot load the " + name + " module: " + loaderError());
  return handle;
}

}  // namespace

std::string programLibraryFolder() {
  char program[4096];
  const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
  if (length == 0 || length >= sizeof program) return "../lib";
  std::string folder(program, length);
  folder = folder.substr(0, folder.rfind('/') + 1) + "../lib";
  struct stat info{};
  if (stat((folder + "/lumenfold").c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return folder + "/lumenfold";
  return folder;
}

const void* ownModuleSymbol(const char* name, const char* entry) {
  auto [known, isNew] = modules.loaded.try_emplace(name, nullptr);
  if (isNew) known->second = load(name);
  if (known->second == nullptr) return nullptr;
  dlerror();  // forgets an older error, which would be taken for this lookup's
  const void* symbol = dlsym(known->second, entry);
  if (symbol == nullptr) {
    report("Cannot find " + std::string(entry) + " in the " + name + " module: " + loaderError());
    known->second = nullptr;  // never loaded again: it stays mapped, unused
  }
  return symbol;
}

OwnModuleReporter setOwnModuleReporter(OwnModuleReporter report) { return std::exchange(modules.reporter, report); }

void setOwnModuleFolderForTest(const char* folder) {
  modules.folderForTest = folder != nullptr ? folder : "";
  modules.loaded.clear();
}

}  // namespace platform
