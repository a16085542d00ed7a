// platform/process.cpp -- kernel handles, command-line splitting, program
// lookup and fork/exec for CreateProcessA.
#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/asciicase.h"
#include "platform/handletable.h"
#include "platform/recorder.h"

namespace {

// --- the handle table ------------------------------------------------------

enum class ObjectKind { File, Process, Thread };

struct KernelObject {
  ObjectKind kind;
  int fd = -1;                     // File: the open descriptor
  pid_t pid = 0;                   // Process and Thread: the child
};

// What is known of a child: shared by its process and thread handles.
struct ChildState {
  bool ended = false;
  DWORD exitCode = 0;
  std::optional<DWORD> terminatedWith;  // set by TerminateProcess
};

// The kernel objects handed out and the children they stand for.
struct Processes {
  platform::HandleTable<HANDLE, KernelObject> kernelObjects{0x100, 4};
  std::map<pid_t, ChildState> children;
};
Processes processes;

HANDLE addObject(KernelObject object) { return processes.kernelObjects.add(object); }

KernelObject* findObject(HANDLE handle) { return processes.kernelObjects.find(handle); }

bool childHasHandles(pid_t pid) {
  return processes.kernelObjects.firstWhere([pid](const KernelObject& object) {
    return object.kind != ObjectKind::File && object.pid == pid;
  }) != nullptr;
}

// Collects the child's end when it has come (or waits for it when `block`).
void updateChild(pid_t pid, bool block) {
  ChildState& child = processes.children[pid];
  if (child.ended) return;
  int status = 0;
  pid_t reaped;
  do {
    reaped = waitpid(pid, &status, block ? 0 : WNOHANG);
  } while (reaped < 0 && errno == EINTR);
  if (reaped == 0) return;
  child.ended = true;
  if (child.terminatedWith) child.exitCode = *child.terminatedWith;
  else if (reaped < 0) child.exitCode = 1;  // reaped elsewhere: no code to report, so not success
  else if (WIFEXITED(status)) child.exitCode = static_cast<DWORD>(WEXITSTATUS(status));
  else child.exitCode = 128 + static_cast<DWORD>(WTERMSIG(status));
}

// Children whose handles are all closed are reaped once they end and then
// forgotten, so no zombie outlives them for long.
void forgetEndedOrphans() {
  for (auto it = processes.children.begin(); it != processes.children.end();) {
    if (childHasHandles(it->first)) {
      ++it;
      continue;
    }
    updateChild(it->first, false);
    it = it->second.ended ? processes.children.erase(it) : std::next(it);
  }
}

DWORD errorFromErrno(int error, bool creating) {
  switch (error) {
    case ENOENT: return creating ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOEXEC: return ERROR_BAD_FORMAT;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_ACCESS_DENIED;
  }
}

// --- command lines ---------------------------------------------------------

struct CommandWord {
  std::string text;
  bool isRedirection;  // an unquoted "<", ">" or ">>"
};

// Splits as the original C runtime does; with `shellOperators`, unquoted
// '<' and '>' also end a word and stand as words of their own.
std::vector<CommandWord> splitCommandLine(const std::string& line, bool shellOperators) {
  std::vector<CommandWord> words;
  size_t at = 0;
  auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
  while (true) {
    while (at < line.size() && isSpace(line[at])) ++at;
    if (at >= line.size()) break;
    if (shellOperators && (line[at] == '<' || line[at] == '>')) {
      const bool doubled = line[at] == '>' && line.compare(at, 2, ">>") == 0;
      words.push_back({doubled ? ">>" : std::string(1, line[at]), true});
      at += doubled ? 2 : 1;
      continue;
    }
    std::string word;
    bool quoted = false;
    while (at < line.size() && (quoted || !isSpace(line[at])) &&
           !(shellOperators && !quoted && (line[at] == '<' || line[at] == '>'))) {
      size_t backslashes = 0;
      while (at < line.size() && line[at] == '\\') ++backslashes, ++at;
      if (at < line.size() && line[at] == '"') {
        word.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          word += '"';
        } else if (quoted && line.compare(at, 2, "\"\"") == 0) {
          word += '"';
          ++at;
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        word.append(backslashes, '\\');
        if (backslashes == 0 && at < line.size()) word += line[at++];
      }
    }
    words.push_back({word, false});
  }
  return words;
}

using platform::asciiLowered;

std::string baseName(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::optional<std::string> withoutWindowsExtension(const std::string& name) {
  const std::string lower = asciiLowered(name);
  for (const char* extension : {".exe", ".com"}) {
    const size_t length = strlen(extension);
    if (lower.size() > length && lower.compare(lower.size() - length, length, extension) == 0)
      return name.substr(0, name.size() - length);
  }
  return std::nullopt;
}

bool isInterpreter(const std::string& word) {
  const std::string name = asciiLowered(baseName(word));
  return name == "cmd.exe" || name == "cmd" || name == "command.com" || name == "command";
}

// The text after "/c" when the command line runs the interpreter, with
// cmd's outer quotes dropped (it removes the first and the last quote).
std::optional<std::string> interpretedCommand(const std::string& line) {
  std::vector<CommandWord> words = splitCommandLine(line, false);
  if (words.size() < 2 || !isInterpreter(words[0].text) || asciiLowered(words[1].text) != "/c")
    return std::nullopt;
  const size_t switchAt = asciiLowered(line).find("/c", line.find_first_of(" \t"));
  std::string rest = line.substr(switchAt + 2);
  rest.erase(0, rest.find_first_not_of(" \t"));
  const std::string interpreter = asciiLowered(baseName(words[0].text));
  const bool isCmd = interpreter == "cmd.exe" || interpreter == "cmd";
  if (isCmd && !rest.empty() && rest[0] == '"') {
    const size_t lastQuote = rest.rfind('"');
    if (lastQuote > 0) rest.erase(lastQuote, 1);
    rest.erase(0, 1);
  }
  return rest;
}

// --- finding the program ---------------------------------------------------

bool isExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> searchPath(const std::string& name) {
  const char* path = getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    if (isExecutableFile(folder + "/" + name)) return folder + "/" + name;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> resolveProgram(const std::string& name) {
  if (name.empty()) return std::nullopt;
  const bool hasFolder = name.find_first_of("/\\") != std::string::npos;
  if (hasFolder && isExecutableFile(name)) return name;
  const std::optional<std::string> stripped = withoutWindowsExtension(baseName(name));
  if (hasFolder && !stripped) return std::nullopt;
  if (!hasFolder)
    if (std::optional<std::string> found = searchPath(name)) return found;
  if (!stripped) return std::nullopt;
  // Names written for the original system ignore case ("GZIP.EXE").
  if (std::optional<std::string> found = searchPath(*stripped)) return found;
  return searchPath(asciiLowered(*stripped));
}

// --- starting --------------------------------------------------------------

// What the child is to run, and where its standard handles go.
struct Launch {
  std::string program;  // resolved path
  std::vector<std::string> arguments;
  int standardFds[3] = {-1, -1, -1};  // -1: inherit this process's
  std::vector<int> openedFds;         // opened here for redirection; closed after the start
};

void closeOpened(Launch& launch) {
  for (int fd : launch.openedFds) close(fd);
  launch.openedFds.clear();
}

int fileDescriptorOf(HANDLE handle) {
  const KernelObject* object = findObject(handle);
  return object != nullptr && object->kind == ObjectKind::File ? object->fd : -1;
}

// Applies the words of an interpreted command: redirections open their
// files, the rest become the arguments. The last error on failure.
std::optional<DWORD> applyShellWords(const std::vector<CommandWord>& words, Launch& launch) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (!words[i].isRedirection) {
      launch.arguments.push_back(words[i].text);
      continue;
    }
    if (i + 1 >= words.size() || words[i + 1].isRedirection) return ERROR_INVALID_PARAMETER;
    const std::string& op = words[i].text;
    const int flags = op == "<" ? O_RDONLY : O_WRONLY | O_CREAT | (op == ">>" ? O_APPEND : O_TRUNC);
    const int fd = open(words[++i].text.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return errorFromErrno(errno, op != "<");
    launch.openedFds.push_back(fd);
    launch.standardFds[op == "<" ? 0 : 1] = fd;
  }
  return std::nullopt;
}

std::optional<DWORD> prepareLaunch(LPCSTR applicationName, const std::string& line,
                                   const STARTUPINFOA* startup, Launch& launch) {
  if (startup != nullptr && (startup->dwFlags & STARTF_USESTDHANDLES) != 0) {
    launch.standardFds[0] = fileDescriptorOf(startup->hStdInput);
    launch.standardFds[1] = fileDescriptorOf(startup->hStdOutput);
    launch.standardFds[2] = fileDescriptorOf(startup->hStdError);
  }
  std::optional<std::string> interpreted = interpretedCommand(line);
  if (interpreted) {
    if (std::optional<DWORD> failure = applyShellWords(splitCommandLine(*interpreted, true), launch))
      return failure;
  } else {
    for (const CommandWord& word : splitCommandLine(line, false)) launch.arguments.push_back(word.text);
  }
  const std::string programName =
      applicationName != nullptr && !interpreted ? std::string(applicationName)
      : launch.arguments.empty()                 ? std::string()
                                                 : launch.arguments[0];
  if (programName.empty()) return ERROR_INVALID_PARAMETER;
  std::optional<std::string> program = resolveProgram(programName);
  if (!program) return ERROR_FILE_NOT_FOUND;
  launch.program = *program;
  if (launch.arguments.empty()) launch.arguments.push_back(programName);
  return std::nullopt;
}

// In the child: only async-signal-safe calls.
[[noreturn]] void runChild(const Launch& launch, char* const* argv, const char* directory,
                           int errorPipe) {
  for (int target = 0; target < 3; ++target) {
    const int fd = launch.standardFds[target];
    if (fd < 0) continue;
    if (fd == target) fcntl(fd, F_SETFD, 0);
    else dup2(fd, target);
  }
  if (directory == nullptr || chdir(directory) == 0) execv(launch.program.c_str(), argv);
  const int error = errno;
  ssize_t ignored = write(errorPipe, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

// Forks and execs; the child's pid, or the last error.
std::optional<pid_t> startChild(const Launch& launch, const char* directory, DWORD* failure) {
  std::vector<char*> argv;
  for (const std::string& argument : launch.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    *failure = ERROR_NOT_ENOUGH_MEMORY;
    return std::nullopt;
  }
  const pid_t pid = fork();
  if (pid == 0) runChild(launch, argv.data(), directory, errorPipe[1]);
  close(errorPipe[1]);
  int childError = 0;
  ssize_t got;
  do {
    got = read(errorPipe[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(errorPipe[0]);
  if (pid < 0 || got > 0) {
    if (pid > 0) waitpid(pid, nullptr, 0);
    *failure = pid < 0 ? ERROR_NOT_ENOUGH_MEMORY : errorFromErrno(childError, false);
    return std::nullopt;
  }
  return pid;
}

bool isDirectory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

BOOL failWith(DWORD error) {
  SetLastError(error);
  return FALSE;
}

uint64_t monotonicMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}

KernelObject* findChildObject(HANDLE handle) {
  KernelObject* object = findObject(handle);
  return object != nullptr && object->kind != ObjectKind::File ? object : nullptr;
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD, HANDLE) {
  static const int kDispositionFlags[] = {-1, O_CREAT | O_EXCL, O_CREAT | O_TRUNC, 0, O_CREAT, O_TRUNC};
  const bool reads = (access & GENERIC_READ) != 0, writes = (access & GENERIC_WRITE) != 0;
  if (name == nullptr || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const int mode = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  const int flags = kDispositionFlags[disposition];
  const int fd = open(name, mode | flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetLastError(errorFromErrno(errno, (flags & O_CREAT) != 0));
    return INVALID_HANDLE_VALUE;
  }
  return addObject({ObjectKind::File, fd, 0});
}

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION info) {
  const std::string line = commandLine != nullptr ? commandLine
                           : applicationName != nullptr ? applicationName
                                                        : "";
  platform::recordEvent("Process", line);
  forgetEndedOrphans();
  if (info == nullptr || line.empty()) return failWith(ERROR_INVALID_PARAMETER);
  if (currentDirectory != nullptr && !isDirectory(currentDirectory)) return failWith(ERROR_DIRECTORY);
  Launch launch;
  std::optional<DWORD> failure = prepareLaunch(applicationName, line, startupInfo, launch);
  DWORD startError = 0;
  std::optional<pid_t> pid;
  if (!failure) pid = startChild(launch, currentDirectory, &startError);
  closeOpened(launch);
  if (failure) return failWith(*failure);
  if (!pid) return failWith(startError);
  processes.children[*pid] = ChildState();
  info->hProcess = addObject({ObjectKind::Process, -1, *pid});
  info->hThread = addObject({ObjectKind::Thread, -1, *pid});
  info->dwProcessId = static_cast<DWORD>(*pid);
  info->dwThreadId = static_cast<DWORD>(*pid);
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  const KernelObject* object = findObject(process);
  if (object == nullptr || object->kind != ObjectKind::Process) return failWith(ERROR_INVALID_HANDLE);
  if (exitCode == nullptr) return failWith(ERROR_INVALID_PARAMETER);
  updateChild(object->pid, false);
  const ChildState& child = processes.children[object->pid];
  *exitCode = child.ended ? child.exitCode : STILL_ACTIVE;
  return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  const KernelObject* object = findObject(process);
  if (object == nullptr || object->kind != ObjectKind::Process) return failWith(ERROR_INVALID_HANDLE);
  updateChild(object->pid, false);
  ChildState& child = processes.children[object->pid];
  if (child.ended) return failWith(ERROR_ACCESS_DENIED);
  child.terminatedWith = exitCode;
  kill(object->pid, SIGKILL);
  updateChild(object->pid, true);
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  const KernelObject* found = findChildObject(object);
  if (found == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const pid_t pid = found->pid;
  if (milliseconds == INFINITE) {
    updateChild(pid, true);
    return WAIT_OBJECT_0;
  }
  const uint64_t deadline = monotonicMs() + milliseconds;
  for (;;) {
    updateChild(pid, false);
    if (processes.children[pid].ended) return WAIT_OBJECT_0;
    const uint64_t now = monotonicMs();
    if (now >= deadline) return WAIT_TIMEOUT;
    const uint64_t pause = std::min<uint64_t>(deadline - now, 2);
    timespec step{0, static_cast<long>(pause * 1000000)};
    nanosleep(&step, nullptr);
  }
}

BOOL CloseHandle(HANDLE object) {
  const KernelObject* found = findObject(object);
  if (found == nullptr) return failWith(ERROR_INVALID_HANDLE);
  if (found->kind == ObjectKind::File) close(found->fd);
  processes.kernelObjects.remove(object);
  forgetEndedOrphans();
  return TRUE;
}
