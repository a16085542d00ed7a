// fuzz/tclcommands.cpp -- the world's script commands called with words a
// world's author could give them: their numbers, names, options and the
// texts that stand for the world's records.
//
// Each input line is one call: its first word picks a command among the
// "zm" commands of the world's interpreter, the other words are its
// arguments, where "$N" stands for the text of the Nth record handed out
// at the start (objects, parts, a colour list, the person) and any other
// word is given as it is. The command is called directly, without Tcl's own
// evaluation, so that only the commands' reading of their arguments and
// handles is tried. Commands that open the program's windows or another
// world are left out: the harness has neither.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <tcl.h>

#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "fuzz/harness.h"
#include "fuzz/layers.h"
#include "script/host.h"

namespace {

constexpr const char* kWorld =
    "#VRML V1.0 ascii\n"
    "Separator {\n"
    "  PerspectiveCamera { position 0 0 5 }\n"
    "  DEF box Separator { Material { diffuseColor 1 0 0 } DEF cube Cube { } }\n"
    "  DEF lamp Separator { DEF light PointLight { } }\n"
    "  DEF choice Switch { whichChild 0 Cube { } Sphere { } }\n"
    "  DEF spike Separator { Cone { } }\n"
    "}\n";
// Hands out the records the "$N" words stand for.
constexpr const char* kHandOut =
    "set box [zmGetObjByName box]; set cube [zmGetObjByName $box cube -r]\n"
    "list $box $cube [zmGetObjPart $cube 0] [zmGetObjByName lamp] "
    "[zmGetObjByName [zmGetObjByName lamp] light -r] [zmGetObjByName choice] "
    "[zmGetObjByName spike] [zmNewZmMFColor 3] [zmGetPerson] [zmGetActiveCamera]";
constexpr size_t kMostCalls = 64;
constexpr size_t kMostWords = 16;

// Commands that open the program's windows, dialogs or worlds.
const std::set<std::string> kLeftOut = {"zmMessageDlg", "zmMenuExec", "zmWwwOpenFile", "zmWwwOpenUrl",
                                        "zmPlay2DVideo", "zmPlay3DVideo", "zmVideoPlay"};

std::vector<std::string> commands;

void startLayers() {
  fuzz::startLayersOverPrivateFolder();
  zmTurnOffFlag(ZM_FLAG_WARNING);
  zmTurnOffFlag(ZM_FLAG_ERROR);
}

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> found;
  std::istringstream in(line);
  for (std::string word; found.size() < kMostWords && in >> word;) found.push_back(word);
  return found;
}

// The "zm" commands of the interpreter, sorted, less those left out.
std::vector<std::string> zmCommands(Tcl_Interp* interp) {
  std::vector<std::string> names;
  if (Tcl_EvalEx(interp, "lsort [info commands zm*]", -1, TCL_EVAL_GLOBAL) != TCL_OK) return names;
  for (const std::string& name : words(Tcl_GetStringResult(interp)))
    if (kLeftOut.count(name) == 0) names.push_back(name);
  return names;
}

void call(Tcl_Interp* interp, const std::vector<std::string>& line, const std::vector<std::string>& handles) {
  const std::string& name = commands[std::strtoul(line[0].c_str(), nullptr, 10) % commands.size()];
  Tcl_CmdInfo info;
  if (!Tcl_GetCommandInfo(interp, name.c_str(), &info) || info.proc == nullptr) return;
  std::vector<std::string> arguments = {name};
  for (size_t i = 1; i < line.size(); ++i) {
    const std::string& word = line[i];
    const bool handle = word.size() > 1 && word[0] == '$' && std::isdigit(static_cast<unsigned char>(word[1]));
    arguments.push_back(handle && !handles.empty() ? handles[std::strtoul(word.c_str() + 1, nullptr, 10) % handles.size()]
                                                   : word);
  }
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  Tcl_ResetResult(interp);
  info.proc(info.clientData, interp, int(arguments.size()), argv.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (startLayers(), true);
  (void)started;
  const std::string path =
      fuzz::writeInput("world.wrl", reinterpret_cast<const uint8_t*>(kWorld), std::strlen(kWorld));
  ZmWorld* world = fuzz::readCurrentWorld(path);
  if (zmScriptGetInterp(world) == nullptr) zmScriptInit(world, 1);
  Tcl_Interp* interp = zmScriptGetInterp(world);
  if (interp == nullptr) std::abort();
  if (commands.empty()) commands = zmCommands(interp);
  if (commands.empty()) std::abort();
  std::vector<std::string> handles;
  if (Tcl_EvalEx(interp, kHandOut, -1, TCL_EVAL_GLOBAL) == TCL_OK) handles = words(Tcl_GetStringResult(interp));
  std::istringstream lines(fuzz::asText(data, size));
  size_t calls = 0;
  for (std::string line; calls < kMostCalls && std::getline(lines, line);) {
    const std::vector<std::string> called = words(line);
    if (called.empty()) continue;
    call(interp, called, handles);
    ++calls;
  }
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  fuzz::clearPrivateFolder();
  return 0;
}
