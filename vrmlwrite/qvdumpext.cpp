// vrmlwrite/qvdumpext.cpp -- the extension block ahead of an object's node:
// Script, Attributes, EventHandler, SporadicTask and PeriodicTask.
//
// Script type 4 marks a native callback the program registered for itself;
// such scripts, handlers and tasks are never written.
#include <string>
#include <vector>

#include "core/event.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "vrmlwrite/qvdump.h"
#include "vrmlwrite/qvdumps.h"

namespace {

constexpr int32_t kNativeCallback = 4;

const char* scriptTypeWord(int32_t type) {
  switch (type) {
    case 0: return "PYTHON";
    case 1: return "TCL";
    case 2: return "JAVA";
    case 3: return "VB";
    case 5: return "INLINE";
    default: return nullptr;
  }
}

struct EventWord {
  uint32_t bit;
  const char* word;
};

constexpr EventWord eventWords[] = {
    {ZM_EVENT_KEY_DOWN, "KEY_DOWN"},
    {ZM_EVENT_KEY_UP, "KEY_UP"},
    {ZM_EVENT_COLLISION, "COLLISION"},
    {ZM_EVENT_LEFT_BUTTON_UP, "LEFT_BUTTON_UP"},
    {ZM_EVENT_LEFT_BUTTON_DOWN, "LEFT_BUTTON_DOWN"},
    {ZM_EVENT_MIDDLE_BUTTON_UP, "MIDDLE_BUTTON_UP"},
    {ZM_EVENT_MIDDLE_BUTTON_DOWN, "MIDDLE_BUTTON_DOWN"},
    {ZM_EVENT_RIGHT_BUTTON_UP, "RIGHT_BUTTON_UP"},
    {ZM_EVENT_RIGHT_BUTTON_DOWN, "RIGHT_BUTTON_DOWN"},
    {ZM_EVENT_WORLD_IN, "WORLD_IN"},
    {ZM_EVENT_WORLD_OUT, "WORLD_OUT"},
    {ZM_EVENT_CREATE_NOTIFY, "CREATE_NOTIFY"},
    {ZM_EVENT_DELETE_NOTIFY, "DELETE_NOTIFY"},
    {ZM_EVENT_TIME_OUT, "TIME_OUT"},
    {ZM_EVENT_FRAME, "FRAME"},
    {ZM_EVENT_DRAG, "DRAG"},
    {ZM_EVENT_PICK, "PICK"},
    {ZM_EVENT_GRAB, "GRAB"},
    {ZM_EVENT_RELEASE, "RELEASE"},
    {ZM_EVENT_CREATE_WORLD, "CREATE_WORLD"},
    {ZM_EVENT_DELETE_WORLD, "DELETE_WORLD"},
};

// The folded groups, tried in this order; the first whose bits are all set
// becomes the base word.
constexpr EventWord eventGroups[] = {
    {ZM_EVENT_KEY, "KEY"},
    {ZM_EVENT_BUTTON, "BUTTON"},
    {ZM_EVENT_BUTTON_UP, "BUTTON_UP"},
    {ZM_EVENT_BUTTON_DOWN, "BUTTON_DOWN"},
};

// Appends the word of each set bit of mask, in increasing bit order. Bit
// 0x100000 has no word and is left out.
void zmDumpEventTypeWord(std::vector<const char*>& words, uint32_t mask) {
  for (const EventWord& entry : eventWords)
    if (mask & entry.bit) words.push_back(entry.word);
}

std::string joinEventWords(const std::vector<const char*>& words) {
  if (words.empty()) return "";
  if (words.size() == 1) return words[0];
  std::string text = "( ";
  for (size_t i = 0; i < words.size(); i++) {
    if (i > 0) text += " | ";
    text += words[i];
  }
  return text + " )";
}

// The event-type text of a mask with one group folded into its base word.
std::string foldedEventType(uint32_t mask, const EventWord& group) {
  std::vector<const char*> words{group.word};
  zmDumpEventTypeWord(words, mask & ~group.bit);
  return joinEventWords(words);
}

std::string zmDumpKeyEventType(uint32_t mask) { return foldedEventType(mask, eventGroups[0]); }
std::string zmDumpButtonEventType(uint32_t mask) { return foldedEventType(mask, eventGroups[1]); }
std::string zmDumpButtonUpEventType(uint32_t mask) { return foldedEventType(mask, eventGroups[2]); }
std::string zmDumpButtonDownEventType(uint32_t mask) { return foldedEventType(mask, eventGroups[3]); }

std::string eventTypeText(uint32_t mask) {
  auto has = [mask](const EventWord& group) { return (mask & group.bit) == group.bit; };
  if (has(eventGroups[0])) return zmDumpKeyEventType(mask);
  if (has(eventGroups[1])) return zmDumpButtonEventType(mask);
  if (has(eventGroups[2])) return zmDumpButtonUpEventType(mask);
  if (has(eventGroups[3])) return zmDumpButtonDownEventType(mask);
  std::vector<const char*> words;
  zmDumpEventTypeWord(words, mask);
  return joinEventWords(words);
}

// A missing text is written as an empty one between the quotes.
const char* textOrEmpty(const void* text) { return text != nullptr ? static_cast<const char*>(text) : ""; }

bool isNonEmpty(const void* text) { return text != nullptr && static_cast<const char*>(text)[0] != '\0'; }

void zmDumpScriptTypeOfZmTimeOutHandlerList(DumpContext& dump, int32_t type) {
  const char* word = scriptTypeWord(type);
  if (word == nullptr)
    zmReportWarning("%s: %s", "zmDumpScriptTypeOfZmTimeOutHandlerList()", "Unknwon script type.");
  else
    dumpPrintf(dump, "scriptType  %s", word);
}

bool dumpIsTaskOfObj(ZmObj* object, ZmTimeOutHandlerList* entry, int32_t taskKind) {
  return entry->object == object && entry->taskType == taskKind;
}

void dumpTasks(DumpContext& dump, ZmObj* object, int32_t taskKind, const char* opening) {
  if (object->world == nullptr) return;
  for (ZmTimeOutHandlerList* entry = object->world->timeOutQueue; entry != nullptr; entry = entry->next) {
    if (entry->scriptType == kNativeCallback || !dumpIsTaskOfObj(object, entry, taskKind)) continue;
    dumpPrintf(dump, "%s", opening);
    dump.indent++;
    dumpAbs2UrlOfFileName(dump, entry->scriptHandle, "filename   ");
    dumpPrintf(dump, "millisecond %ld", static_cast<long>(entry->interval));
    if (isNonEmpty(entry->userData)) dumpPrintf(dump, "userData    \"%s\"", entry->userData);
    if (isNonEmpty(entry->function)) dumpPrintf(dump, "function    \"%s\"", static_cast<const char*>(entry->function));
    zmDumpScriptTypeOfZmTimeOutHandlerList(dump, entry->scriptType);
    dump.indent--;
    dumpPrintf(dump, "}");
  }
}

}  // namespace

void zmDumpScript(DumpContext& dump, ZmObj* object) {
  auto* script = reinterpret_cast<ZmScriptNodeData*>(zmGetObjExtension(object, zmScriptNode));
  if (script == nullptr || script->word == kNativeCallback) return;
  dumpPrintf(dump, "Script{");
  dump.indent++;
  if (script->script != nullptr) dumpPrintf(dump, "procedure  \"%s\"", script->script);
  const char* word = scriptTypeWord(static_cast<int32_t>(script->word));
  if (word == nullptr)
    zmReportWarning("zmDumpScript(): unknwon script type.");
  else
    dumpPrintf(dump, "scriptType %s", word);
  dump.indent--;
  dumpPrintf(dump, "}");
}

void zmDumpAttributes(DumpContext& dump, ZmObj* object) {
  if (dumpIsDefaultAttributes(object)) return;
  uint32_t flags = object->obj_flags;
  dumpPrintf(dump, "Attributes{");
  dump.indent++;
  if (isNonEmpty(object->comment[3])) dumpPrintf(dump, "comment   \"%s\"", object->comment[3]);
  if (!(flags & ZM_OBJ_VISIBLE)) dumpPrintf(dump, "visible   FALSE");
  if (!(flags & ZM_OBJ_GRASP)) dumpPrintf(dump, "grasp     FALSE");
  if (!(flags & ZM_OBJ_SOLID)) dumpPrintf(dump, "solid     FALSE");
  if (!(flags & ZM_OBJ_COLLISION)) dumpPrintf(dump, "collision FALSE");
  // Said for nested objects too: the node's own default would make them mobile.
  if (!(flags & ZM_OBJ_MOBILE)) dumpPrintf(dump, "mobile    FALSE");
  zmDumpLeafAttributes(dump, object->leaf);
  dump.indent--;
  dumpPrintf(dump, "}");
}

void zmDumpLeafAttributes(DumpContext& dump, ZmLeaf* leaf) {
  if (leaf == nullptr || !zmIsShapeLeaf(leaf)) return;
  uint32_t flags = static_cast<ZmShape*>(leaf)->leafFlags;
  if (!(flags & ZM_LEAF_BACKFACE)) dumpPrintf(dump, "backface  FALSE");
  if (!(flags & ZM_LEAF_GOURAUD)) dumpPrintf(dump, "gouraud   FALSE");
}

void zmDumpEventHandler(DumpContext& dump, ZmObj* object) {
  if (object->world == nullptr) return;
  for (ZmEventHandler* handler = object->eventHandlers; handler != nullptr; handler = handler->next) {
    if (handler->scriptType == kNativeCallback) continue;
    dumpPrintf(dump, "EventHandler{");
    dump.indent++;
    std::string eventType = eventTypeText(handler->eventMask);
    dumpAbs2UrlOfFileName(dump, handler->scriptHandle, "filename   ");
    dumpPrintf(dump, "eventType  %s", eventType.c_str());
    dumpPrintf(dump, "userData   \"%s\"", textOrEmpty(handler->userData));
    dumpPrintf(dump, "function   \"%s\"", textOrEmpty(handler->function));
    const char* word = scriptTypeWord(handler->scriptType);
    if (word == nullptr)
      zmReportWarning("zmDumpEventHandler(): unknwon script type.");
    else
      dumpPrintf(dump, "scriptType %s", word);
    if (isNonEmpty(handler->actionObject)) dumpPrintf(dump, "actionObject \"%s\"", handler->actionObject);
    dump.indent--;
    dumpPrintf(dump, "}");
  }
}

void zmDumpSporadicTask(DumpContext& dump, ZmObj* object) { dumpTasks(dump, object, 0, "SporadicTask{"); }

void zmDumpPeriodicTask(DumpContext& dump, ZmObj* object) { dumpTasks(dump, object, 1, "PeriodicTask{"); }
