// loading/lha.cpp -- LHA archives through the outside archiver library.
#include "loading/lha.h"

#include <cstdio>
#include <cstring>

#include "core/dirs.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/loadhooks.h"
#include "loading/madecopies.h"
#include "loading/urltable.h"
#include "platform/archiver.h"
#include "platform/windows.h"
#include "vrml/session.h"

namespace {

// The archiver's calls, as the program calls them by ordinal.
struct Archiver {
  HMODULE module = nullptr;
  BOOL (*check)(LPCSTR file, int mode) = nullptr;
  int (*count)(LPCSTR file) = nullptr;
  HARC (*open)(HWND window, LPCSTR file, DWORD mode) = nullptr;
  int (*close)(HARC archive) = nullptr;
  int (*findFirst)(HARC archive, LPCSTR pattern, ArchiverMemberInfo* info) = nullptr;
  int (*findNext)(HARC archive, ArchiverMemberInfo* info) = nullptr;
  int (*command)(HWND window, LPCSTR commandLine, LPSTR output, DWORD size) = nullptr;

  ~Archiver() {
    if (module != nullptr) FreeLibrary(module);
  }
};

template <typename Function>
bool bind(HMODULE module, int ordinal, Function** function) {
  FARPROC address = GetProcAddress(module, reinterpret_cast<LPCSTR>((uintptr_t)ordinal));
  *function = reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(address));
  return address != nullptr;
}

bool loadArchiver(Archiver* archiver) {
  archiver->module = LoadLibraryA(ARCHIVER_LIBRARY_NAME);
  if (archiver->module == nullptr) return false;
  HMODULE m = archiver->module;
  return bind(m, ARCHIVER_ORDINAL_CHECK, &archiver->check) &&
         bind(m, ARCHIVER_ORDINAL_COUNT, &archiver->count) &&
         bind(m, ARCHIVER_ORDINAL_OPEN, &archiver->open) &&
         bind(m, ARCHIVER_ORDINAL_CLOSE, &archiver->close) &&
         bind(m, ARCHIVER_ORDINAL_FIND_FIRST, &archiver->findFirst) &&
         bind(m, ARCHIVER_ORDINAL_FIND_NEXT, &archiver->findNext) &&
         bind(m, ARCHIVER_ORDINAL_COMMAND, &archiver->command);
}

// The run's extractions.
struct Extractions {
  int folderCounter = 0;    // the number of the next extraction folder
  bool runsScripts = true;  // whether Tcl members run as they are entered
} extractions;

struct ArchiverErrorText {
  int code;
  const char* text;
};

const ArchiverErrorText kErrorTexts[] = {
    {0x8005, "lack of disk space."},
    {0x10B, "cannot make (sub)directory"},
    {0x8006, "cannot overwrite a read-only file."},
    {0x8007, "terminated by user."},
    {0x800C, "CRC error."},
    {0x800D, "file open error."},
    {0x800E, "more fresh file exists."},
    {0x8013, "file write error."},
    {0x8014, "huffman code is broken."},
    {0x8015, "comment header is broken."},
    {0x8016, "header checksum is wrong."},
    {0x8017, "header is broken."},
    {0x8018, "cannot open the arcive file."},
    {0x8019, "there is no .LZH file."},
    {0x801A, "file read error."},
    {0x801B, "this is not archive file."},
    {0x801C, "illegal command string."},
    {0x801D, "lack of mem."},
    {0x801E, "lack of mem."},
    {0x801F, "unlha32.dll is already running."},
    {0x8020, "extracting is terminated by user."},
    {0x8021, "invalid archive handle."},
    {0x8022, "UnlhaFindNext() must be called after UnlhaFindFirst() is called."},
    {0x8023, "unsupported API is called."},
    {0x8024, "time stamp format is wrong."},
    {0x8025, "cannot open temporary file."},
    {0x8026, "directory name is too long."},
    {0x8027, "cannot modify a read-only archive."},
    {0x8028, "the same name file is already existed in the archive."},
    {0x8029, "the specified archive file is not exist."},
    {0x802A, "read error is occured in reading the response file."},
    {0x802B, "a filename is needed."},
};

const char* archiverErrorText(int code) {
  for (const ArchiverErrorText& entry : kErrorTexts)
    if (entry.code == code) return entry.text;
  return nullptr;
}

// Lesser codes are the library's notes, not failures.
bool isExtractionFailure(int code) { return code == 0x10B || code >= 0x8005; }

// A member table: `names` has room for `capacity` names and a null.
struct MemberNames {
  char** names = nullptr;
  int capacity = 0;
  int found = 0;

  ~MemberNames() {
    if (names == nullptr) return;
    for (int i = 0; i < found; i++) zmFree(names[i]);
    zmFree(names);
  }
};

// A member name that stays inside the extraction folder: relative, and
// without ".." parts.
bool isSafeMemberName(const char* name) {
  if (name[0] == '\0' || name[0] == '/' || name[0] == '\\') return false;
  const char* part = name;
  for (;;) {
    size_t length = std::strcspn(part, "/\\");
    if (length == 2 && part[0] == '.' && part[1] == '.') return false;
    if (part[length] == '\0') return true;
    part += length + 1;
  }
}

// Fills the table from find first/next. -1 when memory runs out (after
// the error), else 0.
int collectMembers(const Archiver& archiver, HARC archive, const char* file, MemberNames* members) {
  ArchiverMemberInfo info;
  if (archiver.findFirst(archive, "*.*", &info) != 0) {
    zmReportWarning("zmExtractLha: there is no file in %s", file);
    return 0;
  }
  int seen = 0;
  do {
    seen++;
    // The table was sized by the count; a listing that runs longer keeps
    // only what fits.
    if (members->found == members->capacity) continue;
    char* copy = zmStrdup(info.fileName);
    if (copy == nullptr) {
      zmReportError("zmExtractLha: can not allocate menory");
      return -1;
    }
    members->names[members->found++] = copy;
  } while (archiver.findNext(archive, &info) == 0);
  if (seen != members->capacity) zmReportWarning("zmExtractLha: inconsistent number of file");
  return 0;
}

// "<folder><name>" in `path`; false when it does not fit.
bool memberPath(const char* folder, const char* name, char (&path)[ZM_LHA_PATH_SIZE]) {
  int length = std::snprintf(path, sizeof path, "%s%s", folder, name);
  return length >= 0 && length < (int)sizeof path;
}

// Runs the extract command; the archiver's result, or -1 when the command
// line cannot be made.
int runExtraction(const Archiver& archiver, const char* file, const char* folder) {
  size_t size = std::strlen("x -cm \"\" \"\"") + std::strlen(file) + std::strlen(folder) + 1;
  char* commandLine = (char*)zmMalloc(size);
  if (commandLine == nullptr) {
    zmReportError("zmExtractLha: can not allocate memory");
    return -1;
  }
  std::snprintf(commandLine, size, "x -cm \"%s\" \"%s\"", file, folder);
  char output[10];
  int result = archiver.command(nullptr, commandLine, output, sizeof output);
  zmFree(commandLine);
  return result;
}

void removeMembers(const char* folder, const MemberNames& members) {
  char path[ZM_LHA_PATH_SIZE];
  for (int i = 0; i < members.found; i++)
    if (isSafeMemberName(members.names[i]) && memberPath(folder, members.names[i], path))
      std::remove(path);
}

// Post-processes one extracted member, runs it when it is a script, and
// enters it in the URL table of the world being built (else the current
// world's), so that an archive named by a world file lands in that world.
void enterMember(const char* folder, const char* name) {
  char path[ZM_LHA_PATH_SIZE];
  if (!isSafeMemberName(name) || !memberPath(folder, name, path)) {
    zmReportWarning("zmExtractLha: invalid member name %s", name);
    return;
  }
  char out[ZM_LHA_PATH_SIZE];
  if (zmPreProcessFile(ZM_PLACE_LOCAL, path, out, sizeof out, ZM_FILE_WRL) != 0) return;
  const uint32_t type = zmGetFileType(out);
  ZmWorld* world = zmGetWorldBeingBuiltOrCurrent();
  if (type == ZM_FILE_TCL) {
    if (extractions.runsScripts)
      loadingScript().scriptEvalFile(world, out);
    else
      zmReportWarning("zmExtractLha: %s: the script of another user's archive does not run.", name);
  }
  if (world != nullptr) zmNewUrlHashEntry(world->urlTable, name, out, type);
}

// Extracts into the next numbered folder and enters the members.
void extractInto(const Archiver& archiver, const char* file, const MemberNames& members) {
  const char* tempDir = zmGetTempDir();
  if (tempDir == nullptr) return;
  char folder[ZM_LHA_PATH_SIZE];
  int length = std::snprintf(folder, sizeof folder, "%s/%d/", tempDir, extractions.folderCounter++);
  if (length < 0 || length >= (int)sizeof folder) return;
  int result = runExtraction(archiver, file, folder);
  zmDeleteMadeCopy(file);
  if (result == -1 || isExtractionFailure(result)) {
    const char* text = archiverErrorText(result);
    if (text != nullptr) zmReportWarning("%s", text);
    removeMembers(folder, members);
    return;
  }
  for (int i = 0; i < members.found; i++) enterMember(folder, members.names[i]);
}

// Everything after the fetch; the local file is a copy the caller keeps.
int extractLocalArchive(const Archiver& archiver, const char* file) {
  if (!archiver.check(file, 1)) {
    zmReportWarning("zmExtractLha: invalid LHA file %s", file);
    return 0;
  }
  int count = archiver.count(file);
  if (count < 1) {
    zmReportWarning("zmExtractLha: there is no file in %s", file);
    return 0;
  }
  MemberNames members;
  members.names = (char**)zmMalloc(((size_t)count + 1) * sizeof(char*));
  if (members.names == nullptr) {
    zmReportError("zmExtractLha: can not allocate menory");
    return -1;
  }
  members.capacity = count;
  HARC archive = archiver.open(nullptr, file, 1);
  if (archive == nullptr) {
    zmReportWarning("zmExtractLha: can not open file %s", file);
    return 0;
  }
  if (collectMembers(archiver, archive, file, &members) != 0) {
    archiver.close(archive);
    return -1;
  }
  members.names[members.found] = nullptr;
  if (archiver.close(archive) != 0) {
    zmReportWarning("zmExtractLha: can not close file %s", file);
    return 0;
  }
  extractInto(archiver, file, members);
  return 0;
}

}  // namespace

int zmExtractLha(const char* url) {
  if (url == nullptr) return 0;
  // Fetched as any other file of the world, under the same rules: relative
  // to the world, and never a local file for a world from the web.
  ZmUrlHash archiveUrl{const_cast<char*>(url), nullptr, ZM_FILE_UNKNOWN, nullptr};
  const char* fetched = zmFetchUrl(&archiveUrl);
  if (fetched == nullptr) return 0;
  char file[ZM_LHA_PATH_SIZE];
  int length = std::snprintf(file, sizeof file, "%s", fetched);
  if (length < 0 || length >= (int)sizeof file) {
    zmReportWarning("zmExtractLha: invalid LHA file %s", fetched);
    return 0;
  }
  Archiver archiver;
  if (!loadArchiver(&archiver)) {
    zmReportWarning("zmExtractLha: can not load %s", ARCHIVER_LIBRARY_NAME);
    return 0;
  }
  return extractLocalArchive(archiver, file);
}

int zmNextLhaFolderNumber() { return extractions.folderCounter; }

bool zmLhaSetRunsScripts(bool runs) {
  const bool before = extractions.runsScripts;
  extractions.runsScripts = runs;
  return before;
}

void zmExtractLhaCopy(const char* archive, char* owned) {
  zmExtractLha(archive);
  zmFree(owned);
}
