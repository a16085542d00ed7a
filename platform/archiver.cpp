// platform/archiver.cpp -- the LHA archiver library's calls over liblhasa.
#include "platform/archiver.h"

#include <fnmatch.h>
#include <lhasa.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "platform/handletable.h"
#include "platform/module.h"

namespace {

// One pass over an archive's headers; frees liblhasa's objects on the way out.
class ArchiveReader {
 public:
  explicit ArchiveReader(const std::string& file) {
    stream_ = lha_input_stream_from(const_cast<char*>(file.c_str()));
    if (stream_ != nullptr) reader_ = lha_reader_new(stream_);
  }
  ~ArchiveReader() {
    if (reader_ != nullptr) lha_reader_free(reader_);
    if (stream_ != nullptr) lha_input_stream_free(stream_);
  }
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  bool usable() const { return reader_ != nullptr; }
  LHAReader* reader() const { return reader_; }

  // The next header that is a member (a plain file), or null at the end.
  LHAFileHeader* nextMember() {
    for (;;) {
      LHAFileHeader* header = lha_reader_next_file(reader_);
      if (header == nullptr) return nullptr;
      if (isMember(header)) return header;
    }
  }

 private:
  static bool isMember(const LHAFileHeader* header) {
    return header->filename != nullptr && header->symlink_target == nullptr &&
           std::strcmp(header->compress_method, LHA_COMPRESS_TYPE_DIR) != 0;
  }

  LHAInputStream* stream_ = nullptr;
  LHAReader* reader_ = nullptr;
};

// The stored path and file name joined, with '\\' as '/', and every empty,
// "." or ".." part dropped: a path relative to the target folder that cannot
// leave it. Empty when nothing is left.
std::string safeMemberName(const LHAFileHeader* header) {
  std::string stored = header->path != nullptr ? header->path : "";
  if (!stored.empty() && stored.back() != '/') stored += '/';
  stored += header->filename;
  std::string safe;
  size_t start = 0;
  while (start <= stored.size()) {
    size_t end = stored.find_first_of("/\\", start);
    if (end == std::string::npos) end = stored.size();
    std::string part = stored.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") {
      if (!safe.empty()) safe += '/';
      safe += part;
    }
    start = end + 1;
  }
  return safe;
}

bool matchesPattern(const char* pattern, const std::string& name) {
  if (pattern == nullptr || std::strcmp(pattern, "*.*") == 0) return true;
  return fnmatch(pattern, name.c_str(), 0) == 0;
}

struct OpenArchive {
  std::string file;
  std::string pattern;
  std::unique_ptr<ArchiveReader> pass;  // null until find first
};

platform::HandleTable<HARC, OpenArchive>& openArchives() {
  static platform::HandleTable<HARC, OpenArchive> table{1};
  return table;
}

OpenArchive* fromHandle(HARC archive) { return openArchives().find(archive); }

void copyText(char* target, size_t size, const std::string& text) {
  if (size == 0) return;
  std::snprintf(target, size, "%s", text.c_str());
}

void fillInfo(const LHAFileHeader* header, const std::string& name, ArchiverMemberInfo* info) {
  *info = ArchiverMemberInfo{};
  info->originalSize = (DWORD)header->length;
  info->compressedSize = (DWORD)header->compressed_length;
  info->crc = header->crc;
  info->ratio = header->length == 0 ? 0 : (WORD)(header->compressed_length * 1000 / header->length);
  unsigned int stamp = header->timestamp;
  if (stamp != 0) {
    time_t seconds = (time_t)stamp;
    struct tm parts;
    localtime_r(&seconds, &parts);
    info->date = (WORD)(((parts.tm_year - 80) << 9) | ((parts.tm_mon + 1) << 5) | parts.tm_mday);
    info->time = (WORD)((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
  }
  copyText(info->fileName, sizeof info->fileName, name);
  copyText(info->method, sizeof info->method, header->compress_method);
}

// The next member of an open archive's pass that matches its pattern.
int findMatching(OpenArchive* open, ArchiverMemberInfo* info) {
  while (LHAFileHeader* header = open->pass->nextMember()) {
    std::string name = safeMemberName(header);
    if (name.empty() || !matchesPattern(open->pattern.c_str(), name)) continue;
    if (info != nullptr) fillInfo(header, name, info);
    return 0;
  }
  return -1;
}

// ---- the extract command ---------------------------------------------------

struct ExtractCommand {
  std::string archive;
  std::string folder;
};

// Splits the command line into words; double quotes group.
std::vector<std::string> commandWords(const char* line) {
  std::vector<std::string> words;
  const char* p = line;
  while (*p != '\0') {
    while (*p == ' ' || *p == '\t') p++;
    if (*p == '\0') break;
    std::string word;
    bool quoted = false;
    for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); p++) {
      if (*p == '"') {
        quoted = !quoted;
      } else {
        word += *p;
      }
    }
    words.push_back(word);
  }
  return words;
}

bool isKnownSwitch(const std::string& word) {
  return word.size() > 1 && word.find_first_not_of("cm", 1) == std::string::npos;
}

// 0 with the archive and folder, or the command's error code.
int parseExtractCommand(const char* line, ExtractCommand* command) {
  if (line == nullptr) return ARCHIVER_ERROR_ILLEGAL_COMMAND;
  std::vector<std::string> words = commandWords(line);
  if (words.empty() || (words[0] != "x" && words[0] != "X")) return ARCHIVER_ERROR_ILLEGAL_COMMAND;
  std::vector<std::string> files;
  for (size_t i = 1; i < words.size(); i++) {
    if (words[i].size() > 1 && words[i][0] == '-') {
      if (!isKnownSwitch(words[i])) return ARCHIVER_ERROR_ILLEGAL_COMMAND;
    } else {
      files.push_back(words[i]);
    }
  }
  if (files.empty() || files[0].empty()) return ARCHIVER_ERROR_NO_FILE_NAME;
  if (files.size() > 2) return ARCHIVER_ERROR_ILLEGAL_COMMAND;
  command->archive = files[0];
  command->folder = files.size() == 2 ? files[1] : "./";
  if (command->folder.back() != '/') command->folder += '/';
  return 0;
}

// Makes every folder on the way to `path` (which ends with a file name or
// '/'), starting below `root`, which must exist or be made first.
bool makeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return false;
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  }
  return true;
}

int extractMember(LHAReader* reader, const std::string& target) {
  if (!makeFolders(target)) return ARCHIVER_ERROR_MAKE_DIRECTORY;
  FILE* probe = std::fopen(target.c_str(), "wb");
  if (probe == nullptr) return ARCHIVER_ERROR_FILE_OPEN;
  std::fclose(probe);
  if (!lha_reader_extract(reader, const_cast<char*>(target.c_str()), nullptr, nullptr))
    return ARCHIVER_ERROR_CRC;
  return 0;
}

int extractAll(const ExtractCommand& command, std::string* report) {
  struct stat info;
  if (stat(command.archive.c_str(), &info) != 0) return ARCHIVER_ERROR_ARCHIVE_MISSING;
  if (!ArchiverCheckArchive(command.archive.c_str(), 0)) return ARCHIVER_ERROR_NOT_ARCHIVE;
  ArchiveReader pass(command.archive);
  if (!makeFolders(command.folder)) return ARCHIVER_ERROR_MAKE_DIRECTORY;
  int extracted = 0;
  while (LHAFileHeader* header = pass.nextMember()) {
    std::string name = safeMemberName(header);
    if (name.empty()) continue;
    int result = extractMember(pass.reader(), command.folder + name);
    if (result != 0) return result;
    extracted++;
  }
  *report = std::to_string(extracted) + " file(s) extracted";
  return 0;
}

}  // namespace

BOOL ArchiverCheckArchive(LPCSTR file, int) {
  if (file == nullptr) return FALSE;
  ArchiveReader pass(file);
  return pass.usable() && lha_reader_next_file(pass.reader()) != nullptr;
}

int ArchiverGetFileCount(LPCSTR file) {
  if (!ArchiverCheckArchive(file, 0)) return -1;
  ArchiveReader pass(file);
  int count = 0;
  while (LHAFileHeader* header = pass.nextMember())
    if (!safeMemberName(header).empty()) count++;
  return count;
}

HARC ArchiverOpenArchive(HWND, LPCSTR file, DWORD) {
  if (!ArchiverCheckArchive(file, 0)) return nullptr;
  return openArchives().add(OpenArchive{file, {}, nullptr});
}

int ArchiverCloseArchive(HARC archive) {
  if (fromHandle(archive) == nullptr) return ARCHIVER_ERROR_INVALID_HANDLE;
  openArchives().remove(archive);
  return 0;
}

int ArchiverFindFirst(HARC archive, LPCSTR pattern, ArchiverMemberInfo* info) {
  OpenArchive* open = fromHandle(archive);
  if (open == nullptr) return ARCHIVER_ERROR_INVALID_HANDLE;
  open->pattern = pattern != nullptr ? pattern : "*.*";
  open->pass = std::make_unique<ArchiveReader>(open->file);
  if (!open->pass->usable()) return ARCHIVER_ERROR_NOT_ARCHIVE;
  return findMatching(open, info);
}

int ArchiverFindNext(HARC archive, ArchiverMemberInfo* info) {
  OpenArchive* open = fromHandle(archive);
  if (open == nullptr) return ARCHIVER_ERROR_INVALID_HANDLE;
  if (open->pass == nullptr) return ARCHIVER_ERROR_FIND_ORDER;
  return findMatching(open, info);
}

int ArchiverCommand(HWND, LPCSTR commandLine, LPSTR output, DWORD size) {
  ExtractCommand command;
  int result = parseExtractCommand(commandLine, &command);
  std::string report;
  if (result == 0) result = extractAll(command, &report);
  if (output != nullptr) copyText(output, size, result == 0 ? report : "error");
  return result;
}

namespace {

// Entry points are stored untyped; callers cast back to the call's own type.
template <typename Function>
FARPROC asEntryPoint(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

namespace platform {

void provideArchiver() {
  static const ModuleEntryPoint entryPoints[] = {
      {"Unlha", asEntryPoint(&ArchiverCommand), ARCHIVER_ORDINAL_COMMAND},
      {"UnlhaCheckArchive", asEntryPoint(&ArchiverCheckArchive), ARCHIVER_ORDINAL_CHECK},
      {"UnlhaGetFileCount", asEntryPoint(&ArchiverGetFileCount), ARCHIVER_ORDINAL_COUNT},
      {"UnlhaOpenArchive", asEntryPoint(&ArchiverOpenArchive), ARCHIVER_ORDINAL_OPEN},
      {"UnlhaCloseArchive", asEntryPoint(&ArchiverCloseArchive), ARCHIVER_ORDINAL_CLOSE},
      {"UnlhaFindFirst", asEntryPoint(&ArchiverFindFirst), ARCHIVER_ORDINAL_FIND_FIRST},
      {"UnlhaFindNext", asEntryPoint(&ArchiverFindNext), ARCHIVER_ORDINAL_FIND_NEXT},
      {nullptr, nullptr, 0},
  };
  provideModule(ARCHIVER_LIBRARY_NAME, entryPoints);
}

}  // namespace platform
