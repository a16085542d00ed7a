// script/tkguard.cpp -- the guards on a world's toolkit; see tkguard.h.
#include "script/tkguard.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/world.h"
#include "script/host.h"
#include "script/sandbox.h"
#include "script/toolkit.h"

namespace {

// Taken away: "send" lets other programs on the display run scripts here,
// "clipboard" and "selection" read what the user copied.
constexpr const char* kTakenAway[] = {"send", "clipboard", "selection"};

using Words = std::vector<Tcl_Obj*>;

Words wordsAfter(int objc, Tcl_Obj* const objv[], int first) { return Words(objv + first, objv + objc); }

int refuse(Tcl_Interp* interp, const std::string& text) {
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text.c_str(), -1));
  return TCL_ERROR;
}

// The toolkit takes any unique start of a subcommand or an option: `word`
// stands for `full` when it starts it and is at least `least` long (what
// tells it from the others).
bool abbreviates(Tcl_Obj* word, std::string_view full, size_t least) {
  const std::string_view text = Tcl_GetString(word);
  return text.size() >= least && full.substr(0, text.size()) == text;
}

// Every "-file" (or "-maskfile") option among the words from `first` on
// names a file the world may read; the word after it is checked, and a
// plain name becomes its file in the sandbox folder, as for "open".
int checkFileOptions(Tcl_Interp* interp, Words& words, size_t first) {
  for (size_t i = first; i + 1 < words.size(); ++i) {
    if (!abbreviates(words[i], "-file", 3) && !abbreviates(words[i], "-maskfile", 6)) continue;
    if (zmScriptCheckRead(interp, &words[i + 1]) != TCL_OK) return TCL_ERROR;
  }
  return TCL_OK;
}

// ---- Commands the toolkit makes (images, canvases), with a guard in front

using Check = int (*)(Tcl_Interp* interp, Words& words);

// The toolkit's procedure of the command and its data, kept for the guard.
struct Guarded {
  Tcl_ObjCmdProc* proc;
  ClientData data;
  Tcl_CmdDeleteProc* deleteProc;
  ClientData deleteData;
  Check check;
};

int guardedCmd(ClientData clientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  const auto* guarded = static_cast<const Guarded*>(clientData);
  Words words(objv, objv + objc);
  const int checked = guarded->check(interp, words);
  for (Tcl_Obj* word : words) Tcl_IncrRefCount(word);
  const int code = checked == TCL_OK ? guarded->proc(guarded->data, interp, int(words.size()), words.data()) : checked;
  for (Tcl_Obj* word : words) Tcl_DecrRefCount(word);
  return code;
}

void deleteGuarded(ClientData clientData) {
  const auto* guarded = static_cast<const Guarded*>(clientData);
  if (guarded->deleteProc != nullptr) guarded->deleteProc(guarded->deleteData);
  delete guarded;
}

// Puts the check in front of the command `name` the toolkit just made.
void guard(Tcl_Interp* interp, const char* name, Check check) {
  Tcl_CmdInfo info;
  if (!Tcl_GetCommandInfo(interp, name, &info) || info.objProc == guardedCmd) return;
  auto* guarded = new Guarded{info.objProc, info.objClientData, info.deleteProc, info.deleteData, check};
  info.objProc = guardedCmd;
  info.objClientData = guarded;
  info.deleteProc = deleteGuarded;
  info.deleteData = guarded;
  Tcl_SetCommandInfo(interp, name, &info);
}

// An image: "read" and "configure -file" read, "write" writes.
int checkImage(Tcl_Interp* interp, Words& words) {
  if (words.size() < 3) return TCL_OK;
  if (abbreviates(words[1], "read", 3)) return zmScriptCheckRead(interp, &words[2]);
  if (abbreviates(words[1], "write", 1)) return zmScriptCheckWrite(interp, &words[2]);
  if (abbreviates(words[1], "configure", 3)) return checkFileOptions(interp, words, 2);
  return TCL_OK;
}

// A canvas: "postscript -file" writes.
int checkCanvas(Tcl_Interp* interp, Words& words) {
  if (words.size() < 2 || !abbreviates(words[1], "postscript", 1)) return TCL_OK;
  for (size_t i = 2; i + 1 < words.size(); ++i) {
    if (abbreviates(words[i], "-file", 3) && zmScriptCheckWrite(interp, &words[i + 1]) != TCL_OK) return TCL_ERROR;
  }
  return TCL_OK;
}

// Frees the words a check made in place of others when they are not used.
int dropWords(const Words& words) {
  for (Tcl_Obj* word : words) {
    Tcl_IncrRefCount(word);
    Tcl_DecrRefCount(word);
  }
  return TCL_ERROR;
}

int imageCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  Words words = wordsAfter(objc, objv, 1);
  const bool create = !words.empty() && abbreviates(words[0], "create", 1);
  if (create && checkFileOptions(interp, words, 2) != TCL_OK) return dropWords(words);
  const int code = zmScriptCallKept(interp, "image", words);
  if (code == TCL_OK && create) guard(interp, Tcl_GetStringResult(interp), checkImage);
  return code;
}

int canvasCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  const int code = zmScriptCallKept(interp, "canvas", wordsAfter(objc, objv, 1));
  if (code == TCL_OK) guard(interp, Tcl_GetStringResult(interp), checkCanvas);
  return code;
}

// "option readfile FILE" reads as "open" does.
int optionCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  Words words = wordsAfter(objc, objv, 1);
  if (words.size() >= 2 && abbreviates(words[0], "readfile", 1) && zmScriptCheckRead(interp, &words[1]) != TCL_OK)
    return dropWords(words);
  return zmScriptCallKept(interp, "option", words);
}

// ---- Toplevels: the world's name leads every title, so that no window of
// a world passes for one of the program's (a password box, say).

std::string worldName(Tcl_Interp* interp) {
  const ZmWorld* world = zmScriptInterpWorld(interp);
  return world != nullptr && world->name != nullptr ? world->name : "a world";
}

// Gives the toplevel `path` a title that begins with the world's name,
// keeping the rest; anything else named is left alone. The interpreter's
// result stays as it was.
void ensureWorldTitle(Tcl_Interp* interp, const char* path) {
  Tcl_InterpState kept = Tcl_SaveInterpState(interp, TCL_OK);
  if (zmToolkitIsToplevel(interp, path) &&
      zmScriptCallKept(interp, "wm", {Tcl_NewStringObj("title", -1), Tcl_NewStringObj(path, -1)}) == TCL_OK) {
    const std::string name = worldName(interp);
    const std::string title = Tcl_GetStringResult(interp);
    if (title.compare(0, name.size(), name) != 0) {
      const std::string titled = name + " - " + title;
      zmScriptCallKept(interp, "wm",
                       {Tcl_NewStringObj("title", -1), Tcl_NewStringObj(path, -1),
                        Tcl_NewStringObj(titled.c_str(), -1)});
    }
  }
  Tcl_RestoreInterpState(interp, kept);
}

// "wm" as the toolkit's, after which the window named keeps the world's
// name in its title (a new title, a frame made a toplevel).
int wmCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  const int code = zmScriptCallKept(interp, "wm", wordsAfter(objc, objv, 1));
  if (code == TCL_OK && objc >= 3) ensureWorldTitle(interp, Tcl_GetString(objv[2]));
  return code;
}

// "toplevel" as the toolkit's, but never inside another program's window
// ("-use"), and titled with the world's name.
int toplevelCmd(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
  for (int i = 2; i < objc; i += 2) {
    if (abbreviates(objv[i], "-use", 2)) return refuse(interp, "toplevel -use is not available from zmbrowser.\n");
  }
  const int code = zmScriptCallKept(interp, "toplevel", wordsAfter(objc, objv, 1));
  if (code == TCL_OK && objc >= 2) ensureWorldTitle(interp, Tcl_GetString(objv[1]));
  return code;
}

// The toolkit's commands replaced by guarded ones.
struct Replaced {
  const char* name;
  Tcl_ObjCmdProc* proc;
};
constexpr Replaced kReplaced[] = {
    {"wm", wmCmd}, {"toplevel", toplevelCmd}, {"image", imageCmd}, {"canvas", canvasCmd}, {"option", optionCmd},
};

}  // namespace

int zmScriptGuardToolkit(Tcl_Interp* interp) {
  for (const char* name : kTakenAway) {
    if (Tcl_HideCommand(interp, name, name) != TCL_OK) Tcl_DeleteCommand(interp, name);
  }
  for (const Replaced& command : kReplaced) {
    if (zmScriptKeepAndHide(interp, command.name) != TCL_OK)
      return refuse(interp, std::string("the toolkit has no ") + command.name + ".\n");
    Tcl_CreateObjCommand(interp, command.name, command.proc, nullptr, nullptr);
  }
  ensureWorldTitle(interp, ".");
  return TCL_OK;
}
