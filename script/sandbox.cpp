// script/sandbox.cpp -- the confined commands of a world's interpreter; see
// sandbox.h.
#include "script/sandbox.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/dirs.h"
#include "loading/filetype.h"
#include "script/host.h"
#include "script/hostrecord.h"
#include "script/rights.h"
#include "script/tkguard.h"
#include "script/toolkit.h"

namespace {

// Commands taken away. "interp" comes back as a guarded one that calls the
// library's for aliases within the interpreter.
constexpr const char* kHidden[] = {"exec", "socket", "load", "unload", "cd", "interp"};
// Commands replaced: the library's stays hidden under its name.
constexpr const char* kGuarded[] = {"open", "file", "glob", "source", "exit"};
// Subcommands of "file" that change the file system (or read a time that a
// second argument would set).
constexpr const char* kFileWriters[] = {"atime", "attributes", "copy", "delete", "link", "mkdir", "mtime",
                                        "rename", "tempfile"};
// Subcommands of "file" that only work on the text of their words; every
// other one looks at the file system and its path must be readable. The
// implementations of those others ("::tcl::file::size", ...) are hidden as
// "zmfile_<name>", so that scripts reach them neither by their own names
// nor through the ensemble.
constexpr const char* kFileTextOnly[] = {"channels", "dirname", "extension", "join", "pathtype",
                                         "rootname", "separator", "split",    "tail", "volumes"};
constexpr const char* kFileSubcommands[] = {
    "atime",    "attributes", "channels",  "copy",     "delete",   "dirname",    "executable", "exists",
    "extension", "isdirectory", "isfile",  "join",     "link",     "lstat",      "mkdir",      "mtime",
    "nativename", "normalize", "owned",    "pathtype", "readable", "readlink",   "rename",     "rootname",
    "separator", "size",      "split",     "stat",     "system",   "tail",       "tempfile",   "type",
    "volumes",  "writable"};

// Per interpreter: the library's commands that the guarded ones call and
// the guarded auto_path.
struct Confinement {
  std::map<std::string, Tcl_CmdInfo> library;  // taken before they were hidden
  std::string autoPath;                  // the value scripts cannot change
  bool autoPathOpen = false;             // the toolkit's own scripts may extend it
};


constexpr const char* kConfinementKey = "zmConfinement";

Confinement* confinementOf(Tcl_Interp* interp) {
  return static_cast<Confinement*>(Tcl_GetAssocData(interp, kConfinementKey, nullptr));
}

int refuse(Tcl_Interp* interp, const std::string& text) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), -1));
  return TCL_ERROR;
}

// The interpreter's world, whose origin decides what its scripts read.
ZmWorld* worldOf(Tcl_Interp* interp) { return zmScriptInterpWorld(interp); }

// "~" names the user's home, which the library would expand where the
// rules could not follow it; no world reads there.
bool namesHome(std::string_view word) { return !word.empty() && word[0] == '~'; }

bool mayRead(Tcl_Interp* interp, const std::string& path) {
  return !namesHome(path) && zmScriptMayRead(worldOf(interp), path.c_str());
}

int refuseRead(Tcl_Interp* interp, const std::string& path) {
  return refuse(interp, "can't read " + path + " from zmbrowser.\n");
}

// A plain file name: one component naming a file in the sandbox folder.
bool isPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/|:\\") == std::string_view::npos;
}

std::string inSandbox(std::string_view name) { return zmScriptSandboxDir() + "/" + std::string(name); }

// Calls the library's command kept under `name` with the given words after
// it. Hidden commands cannot be reached by scripts; the library's procedure
// is called directly, as its dispatch would.
int invokeHidden(Tcl_Interp* interp, const char* name, const std::vector<Tcl_Obj*>& words) {
  Confinement* confinement = confinementOf(interp);
  auto found = confinement->library.find(name);
  if (found == confinement->library.end()) return refuse(interp, std::string(name) + " is not available.\n");
  std::vector<Tcl_Obj*> all;
  all.push_back(Tcl_NewStringObj(name, -1));
  all.insert(all.end(), words.begin(), words.end());
  for (Tcl_Obj* word : all) Tcl_IncrRefCount(word);
  Tcl_ResetResult(interp);
  const Tcl_CmdInfo& info = found->second;
  int code = info.objProc(info.objClientData, interp, int(all.size()), all.data());
  for (Tcl_Obj* word : all) Tcl_DecrRefCount(word);
  return code;
}

std::vector<Tcl_Obj*> wordsAfter(int objc, Tcl_Obj* const objv[], int first) {
  return std::vector<Tcl_Obj*>(objv + first, objv + objc);
}

// ---- open

bool accessWrites(std::string_view access) { return access.find_first_of("wa+") != std::string_view::npos; }
bool accessIsPosixList(std::string_view access) {
  return access.find_first_of("RWACENT") != std::string_view::npos;
}

// Writing: plain names in the sandbox folder only. Reading: a plain name in
// the sandbox folder, any other path only where the world may read
// (script/rights.h), and only a regular file, which cannot block.
int openCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc < 2) return invokeHidden(interp, "open", wordsAfter(objc, objv, 1));
  std::string name = Tcl_GetString(objv[1]);
  if (!name.empty() && name[0] == '|') return refuse(interp, "can't run " + name + " from zmbrowser.\n");
  bool special = name.find_first_of("/|:\\") != std::string::npos;
  if (objc >= 3) {
    std::string_view access = Tcl_GetString(objv[2]);
    if (accessWrites(access) && (special || !isPlainName(name)))
      return refuse(interp, "can't create " + name + " from zmbrowser.\n");
    if (accessIsPosixList(access) && special) return refuse(interp, "Posix access mode not support.\n");
  }
  std::vector<Tcl_Obj*> words = wordsAfter(objc, objv, 1);
  if (!special) {
    words[0] = Tcl_NewStringObj(inSandbox(name).c_str(), -1);
  } else if (!mayRead(interp, name) || zmIsNotRegularFile(name.c_str())) {
    return refuseRead(interp, name);
  }
  return invokeHidden(interp, "open", words);
}

// ---- file

// The full subcommand a word names (a unique prefix is enough, as for the
// library's ensemble), or empty.
std::string fileSubcommand(std::string_view word) {
  std::string found;
  for (const char* candidate : kFileSubcommands) {
    std::string_view full = candidate;
    if (full == word) return candidate;
    if (!word.empty() && full.substr(0, word.size()) == word) {
      if (!found.empty()) return {};
      found = candidate;
    }
  }
  return found;
}

bool isFileWriter(std::string_view subcommand) {
  return std::find(std::begin(kFileWriters), std::end(kFileWriters), subcommand) != std::end(kFileWriters);
}

bool isFileTextOnly(std::string_view subcommand) {
  return std::find(std::begin(kFileTextOnly), std::end(kFileTextOnly), subcommand) != std::end(kFileTextOnly);
}

// A subcommand that looks at a file: its path word names a file in the
// sandbox folder when plain, else one the world may read. False (with the
// result set) when refused.
bool mapQueriedPath(Tcl_Interp* interp, std::vector<Tcl_Obj*>& words) {
  // No words: the library's own usage message.
  return words.empty() || zmScriptCheckRead(interp, &words[0]) == TCL_OK;
}

// Text-only subcommands still expand "~" to the home folder.
bool namesHomeAnywhere(const std::vector<Tcl_Obj*>& words) {
  return std::any_of(words.begin(), words.end(), [](Tcl_Obj* word) { return namesHome(Tcl_GetString(word)); });
}

// Maps every path word of a changing "file" subcommand into the sandbox;
// false (with the result set) when one is not a plain name.
bool mapPathWords(Tcl_Interp* interp, const std::string& subcommand, std::vector<Tcl_Obj*>& words) {
  bool options = subcommand == "copy" || subcommand == "rename" || subcommand == "delete";
  size_t pathCount = words.size();
  if (subcommand == "attributes") pathCount = 1;
  if (subcommand == "atime" || subcommand == "mtime") pathCount = 1;
  for (size_t i = 0; i < words.size() && i < pathCount; ++i) {
    std::string word = Tcl_GetString(words[i]);
    if (options && (word == "-force" || word == "--")) {
      if (word == "--") options = false;
      ++pathCount;
      continue;
    }
    options = false;
    if (!isPlainName(word)) {
      refuse(interp, "can't change " + word + " from zmbrowser.\n");
      return false;
    }
    words[i] = Tcl_NewStringObj(inSandbox(word).c_str(), -1);
  }
  return true;
}

int fileCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  std::string subcommand = objc >= 2 ? fileSubcommand(Tcl_GetString(objv[1])) : std::string();
  if (subcommand.empty()) return invokeHidden(interp, "file", wordsAfter(objc, objv, 1));
  std::vector<Tcl_Obj*> words = wordsAfter(objc, objv, 2);
  if (isFileTextOnly(subcommand)) {
    if (namesHomeAnywhere(words)) return refuseRead(interp, "~");
    return invokeHidden(interp, "file", wordsAfter(objc, objv, 1));
  }
  if (!isFileWriter(subcommand)) {
    if (!mapQueriedPath(interp, words)) return TCL_ERROR;
    return invokeHidden(interp, ("zmfile_" + subcommand).c_str(), words);
  }
  bool queryOnly = ((subcommand == "atime" || subcommand == "mtime") && words.size() == 1) ||
                   (subcommand == "attributes" && words.size() <= 2);
  if (subcommand == "link" || subcommand == "tempfile")
    return refuse(interp, "file " + subcommand + " is not available from zmbrowser.\n");
  if (queryOnly ? !mapQueriedPath(interp, words) : !mapPathWords(interp, subcommand, words)) return TCL_ERROR;
  return invokeHidden(interp, ("zmfile_" + subcommand).c_str(), words);
}

// ---- glob: names in the sandbox folder only

int globCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  std::vector<Tcl_Obj*> words = {Tcl_NewStringObj("-directory", -1),
                                 Tcl_NewStringObj(zmScriptSandboxDir().c_str(), -1),
                                 Tcl_NewStringObj("-tails", -1)};
  int i = 1;
  for (; i < objc; ++i) {
    std::string word = Tcl_GetString(objv[i]);
    if (word == "--") {
      ++i;
      break;
    }
    if (word.empty() || word[0] != '-') break;
    if (word == "-nocomplain") {
      words.push_back(objv[i]);
    } else if (word == "-types" && i + 1 < objc) {
      words.push_back(objv[i]);
      words.push_back(objv[++i]);
    } else {
      return refuse(interp, "glob " + word + " is not available from zmbrowser.\n");
    }
  }
  words.push_back(Tcl_NewStringObj("--", -1));
  for (; i < objc; ++i) {
    std::string pattern = Tcl_GetString(objv[i]);
    if (!isPlainName(pattern) || pattern.find("..") != std::string::npos || pattern[0] == '~')
      return refuse(interp, "can't list " + pattern + " from zmbrowser.\n");
    words.push_back(objv[i]);
  }
  return invokeHidden(interp, "glob", words);
}

// ---- source: only what the world may read

int sourceCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  if (objc < 2) return invokeHidden(interp, "source", {});
  const std::string path = Tcl_GetString(objv[objc - 1]);
  // A file that is not there gets the library's own message.
  const std::string real = zmScriptRealPath(path);
  if (!namesHome(path) && (real.empty() || access(real.c_str(), F_OK) != 0))
    return invokeHidden(interp, "source", wordsAfter(objc, objv, 1));
  if (!mayRead(interp, path) || zmIsNotRegularFile(real.c_str()))
    return refuse(interp, "can't source " + path + " from zmbrowser.\n");
  return invokeHidden(interp, "source", wordsAfter(objc, objv, 1));
}

// ---- interp: what the library's scripts ask of their own interpreter:
// "interp issafe" and aliases from and to it ({} names it). An alias cannot
// reach a hidden command, so it is no more than a procedure.

int interpCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  std::string_view subcommand = objc >= 2 ? Tcl_GetString(objv[1]) : "";
  if (objc == 2 && subcommand == "issafe") {
    Tcl_SetObjResult(interp, Tcl_NewBooleanObj(0));
    return TCL_OK;
  }
  bool ownAlias = subcommand == "alias" && objc >= 4 && Tcl_GetCharLength(objv[2]) == 0 &&
                  (objc <= 4 || Tcl_GetCharLength(objv[4]) == 0);
  if (ownAlias) return invokeHidden(interp, "interp", wordsAfter(objc, objv, 1));
  return refuse(interp, "interp is not available from zmbrowser.\n");
}

// ---- exit: hides the toolkit's window when there is one, never ends the run

int exitCmd(ClientData, Tcl_Interp* interp, int, Tcl_Obj* const[]) {
  if (zmToolkitHasMainWindow(interp)) return Tcl_EvalEx(interp, "wm withdraw .", -1, TCL_EVAL_GLOBAL);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// ---- auto_path

char* autoPathTrace(ClientData clientData, Tcl_Interp* interp, const char*, const char*, int flags) {
  auto* confinement = static_cast<Confinement*>(clientData);
  if (flags & TCL_INTERP_DESTROYED) return nullptr;
  if (confinement->autoPathOpen) {
    if (flags & TCL_TRACE_UNSETS) confinement->autoPathOpen = false;
    else return nullptr;
  }
  const char* value = Tcl_GetVar(interp, "auto_path", TCL_GLOBAL_ONLY);
  if (value != nullptr && confinement->autoPath == value) return nullptr;
  Tcl_SetVar(interp, "auto_path", confinement->autoPath.c_str(), TCL_GLOBAL_ONLY);
  if (flags & TCL_TRACE_UNSETS) {
    Tcl_TraceVar(interp, "auto_path", TCL_GLOBAL_ONLY | TCL_TRACE_WRITES | TCL_TRACE_UNSETS, autoPathTrace,
                 clientData);
    return nullptr;
  }
  return const_cast<char*>("can't change auto_path from zmbrowser");
}

void guardAutoPath(Tcl_Interp* interp, Confinement* confinement) {
  const char* value = Tcl_GetVar(interp, "auto_path", TCL_GLOBAL_ONLY);
  if (value == nullptr) value = "";
  confinement->autoPath = value;
  Tcl_SetVar(interp, "auto_path", value, TCL_GLOBAL_ONLY);
  Tcl_TraceVar(interp, "auto_path", TCL_GLOBAL_ONLY | TCL_TRACE_WRITES | TCL_TRACE_UNSETS, autoPathTrace,
               confinement);
}

void freeConfinement(ClientData clientData, Tcl_Interp*) { delete static_cast<Confinement*>(clientData); }

// Keeps the library's command for the guarded one and hides it.
int hide(Tcl_Interp* interp, Confinement* confinement, const std::string& name, const std::string& keptAs) {
  Tcl_CmdInfo info;
  if (!Tcl_GetCommandInfo(interp, name.c_str(), &info)) return TCL_ERROR;
  confinement->library[keptAs] = info;
  return Tcl_HideCommand(interp, name.c_str(), name.c_str());
}

// The env array keeps only the display, which the toolkit opens, and no
// longer writes the process environment, which programs the loading layer
// runs would inherit: none of the user's variables is left for a world to
// send away. The user's login name goes from tcl_platform too.
int unlinkEnv(Tcl_Interp* interp) {
  return Tcl_EvalEx(interp,
                    "set zm_env [array get ::env DISPLAY]; unset ::env; array set ::env $zm_env; unset zm_env\n"
                    "set ::tcl_platform(user) {}",
                    -1, TCL_EVAL_GLOBAL);
}

int hideFileSystemSubcommands(Tcl_Interp* interp, Confinement* confinement) {
  for (const char* subcommand : kFileSubcommands) {
    if (isFileTextOnly(subcommand)) continue;
    std::string hidden = std::string("zmfile_") + subcommand;
    std::string rename = "rename ::tcl::file::" + std::string(subcommand) + " ::" + hidden;
    if (Tcl_EvalEx(interp, rename.c_str(), -1, TCL_EVAL_GLOBAL) != TCL_OK) return TCL_ERROR;
    if (hide(interp, confinement, hidden, hidden) != TCL_OK) return TCL_ERROR;
  }
  return TCL_OK;
}

// Notes, from an interpreter no world's script has run in, the folder
// that holds the library's script folders.
void noteLibraryFolder(Tcl_Interp* interp) {
  std::string& libraryFolder = zmScriptHost().libraryFolder;
  if (!libraryFolder.empty()) return;
  const char* library = Tcl_GetVar(interp, "tcl_library", TCL_GLOBAL_ONLY);
  const std::string folder = library != nullptr ? zmScriptRealPath(library) : std::string();
  const size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) libraryFolder = folder.substr(0, slash);
}

}  // namespace

std::string zmScriptSandboxDir() {
  char folder[1024];
  if (zmGetUserDirName(folder, sizeof folder) == 0) return {};
  std::string sandbox = std::string(folder) + "usrfiles";
  mkdir(sandbox.c_str(), 0700);
  return sandbox;
}

std::string zmScriptLibraryFolder() { return zmScriptHost().libraryFolder; }

int zmScriptInstallSandbox(Tcl_Interp* interp) {
  auto* confinement = new Confinement;
  Tcl_SetAssocData(interp, kConfinementKey, freeConfinement, confinement);
  noteLibraryFolder(interp);
  for (const char* name : kHidden) {
    if (hide(interp, confinement, name, name) != TCL_OK) return -1;
  }
  if (hideFileSystemSubcommands(interp, confinement) != TCL_OK) return -1;
  for (const char* name : kGuarded) {
    if (std::strcmp(name, "exit") == 0) {
      Tcl_DeleteCommand(interp, name);
    } else if (hide(interp, confinement, name, name) != TCL_OK) {
      return -1;
    }
  }
  Tcl_CreateObjCommand(interp, "open", openCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "file", fileCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "glob", globCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "source", sourceCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "interp", interpCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "exit", exitCmd, nullptr, nullptr);
  guardAutoPath(interp, confinement);
  return unlinkEnv(interp) == TCL_OK ? 0 : -1;
}

int zmScriptStartToolkit(Tcl_Interp* interp) {
  Confinement* confinement = confinementOf(interp);
  Tcl_SetVar(interp, "argv0", "zmtkname", TCL_GLOBAL_ONLY);
  Tcl_SetVar(interp, "argv", "-name zmtkname -class zmtk", TCL_GLOBAL_ONLY);
  Tcl_SetVar(interp, "argc", "4", TCL_GLOBAL_ONLY);
  if (confinement) confinement->autoPathOpen = true;
  int code = zmToolkitInit(interp);
  if (confinement) {
    confinement->autoPathOpen = false;
    const char* value = Tcl_GetVar(interp, "auto_path", TCL_GLOBAL_ONLY);
    confinement->autoPath = value ? value : "";
  }
  if (code != TCL_OK) return code;
  if (const char* geometry = Tcl_GetVar(interp, "geometry", TCL_GLOBAL_ONLY)) {
    std::string command = std::string("wm geometry . ") + geometry;
    Tcl_EvalEx(interp, command.c_str(), -1, TCL_EVAL_GLOBAL);
  }
  Tcl_EvalEx(interp, "wm withdraw .", -1, TCL_EVAL_GLOBAL);
  Tcl_EvalEx(interp, "wm protocol . WM_DELETE_WINDOW \"wm withdraw .\"", -1, TCL_EVAL_GLOBAL);
  code = confinement != nullptr ? zmScriptGuardToolkit(interp) : TCL_OK;
  if (code == TCL_OK) Tcl_ResetResult(interp);
  return code;
}

// ---- For the toolkit's guards

int zmScriptKeepAndHide(Tcl_Interp* interp, const char* name) {
  Confinement* confinement = confinementOf(interp);
  return confinement != nullptr ? hide(interp, confinement, name, name) : TCL_ERROR;
}

int zmScriptCallKept(Tcl_Interp* interp, const char* name, const std::vector<Tcl_Obj*>& words) {
  return invokeHidden(interp, name, words);
}

int zmScriptCheckRead(Tcl_Interp* interp, Tcl_Obj** word) {
  const std::string path = Tcl_GetString(*word);
  if (isPlainName(path) && !namesHome(path)) {
    *word = Tcl_NewStringObj(inSandbox(path).c_str(), -1);
    return TCL_OK;
  }
  return mayRead(interp, path) ? TCL_OK : refuseRead(interp, path);
}

int zmScriptCheckWrite(Tcl_Interp* interp, Tcl_Obj** word) {
  const std::string name = Tcl_GetString(*word);
  if (!isPlainName(name) || namesHome(name)) return refuse(interp, "can't create " + name + " from zmbrowser.\n");
  *word = Tcl_NewStringObj(inSandbox(name).c_str(), -1);
  return TCL_OK;
}
