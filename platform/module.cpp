// platform/module.cpp -- the table of libraries the platform provides.
#include "platform/module.h"

#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ProvidedModule {
  std::string name;
  const platform::ModuleEntryPoint* entryPoints;
  int useCount = 0;
};

std::vector<ProvidedModule>& modules() {
  static std::vector<ProvidedModule> instance;
  return instance;
}

// The file name part of a path written with '/' or '\\'.
const char* baseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; p++)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

// The 1-based position of the provided library of that name; 0 for none.
size_t findByName(const char* name) {
  for (size_t i = 0; i < modules().size(); i++)
    if (strcasecmp(modules()[i].name.c_str(), name) == 0) return i + 1;
  return 0;
}

// Handles are 1-based positions in the table, so none is NULL.
ProvidedModule* fromHandle(HMODULE module) {
  auto index = reinterpret_cast<uintptr_t>(module);
  if (index == 0 || index > modules().size()) return nullptr;
  return &modules()[index - 1];
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR name) {
  if (name == nullptr) return nullptr;
  size_t index = findByName(baseName(name));
  if (index == 0) return nullptr;
  modules()[index - 1].useCount++;
  return reinterpret_cast<HMODULE>(index);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  ProvidedModule* m = fromHandle(module);
  if (m == nullptr || m->useCount == 0 || name == nullptr) return nullptr;
  auto ordinal = reinterpret_cast<uintptr_t>(name);
  if (ordinal < 0x10000) {
    for (const platform::ModuleEntryPoint* e = m->entryPoints; e->name != nullptr; e++)
      if (e->ordinal != 0 && e->ordinal == ordinal) return e->address;
    return nullptr;
  }
  for (const platform::ModuleEntryPoint* e = m->entryPoints; e->name != nullptr; e++)
    if (std::strcmp(e->name, name) == 0) return e->address;
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  ProvidedModule* m = fromHandle(module);
  if (m == nullptr || m->useCount == 0) return FALSE;
  m->useCount--;
  return TRUE;
}

namespace platform {

bool provideModule(const char* name, const ModuleEntryPoint* entryPoints) {
  if (name == nullptr || entryPoints == nullptr || findByName(name) != 0) return false;
  modules().push_back(ProvidedModule{name, entryPoints, 0});
  return true;
}

}  // namespace platform
