// vrml/extnodes.cpp -- accessors of the behaviour extension nodes.
#include "vrml/extnodes.h"

#include "core/event.h"
#include "core/report.h"
#include "core/strings.h"
#include "vrml/builderstate.h"
#include "vrml/qvnodes.h"

namespace {

// How one accessor words its two failures: "<fn><separator><text>".
struct CopyTexts {
  const char* fn;
  const char* noString;   // the field holds no text
  const char* noMemory;   // the copy could not be made
  const char* separator = ": ";
  const char* memorySeparator = ": ";
};

char* copyText(const QvSFString& field, const CopyTexts& texts) {
  const char* text = field.value.getString();
  if (text == nullptr) {
    zmReportMessage("%s%s%s", texts.fn, texts.separator, texts.noString);
    return nullptr;
  }
  char* copy = zmStrdup(text);
  if (copy == nullptr) zmReportMessage("%s%s%s", texts.fn, texts.memorySeparator, texts.noMemory);
  return copy;
}

// The task nodes word their failures alike: "<fn> : non-strings." and
// "<fn> : Couldn't allocate memory." (some with ": " for the latter).
char* copyTaskText(const QvSFString& field, const char* fn, const char* memorySeparator = " : ") {
  return copyText(field, {fn, "non-strings.", "Couldn't allocate memory.", " : ", memorySeparator});
}

// The file's ScriptType minus one, or kZmUnknownScriptType with the message.
int scriptTypeOf(const QvSFEnum& field, const char* unknownMessage) {
  if (field.value >= QvScriptType::PYTHON && field.value <= QvScriptType::INLINE) return field.value - 1;
  zmReportMessage("%s", unknownMessage);
  return kZmUnknownScriptType;
}

int isTrue(const QvSFBool& field) { return field.value == 1 ? 1 : 0; }

}  // namespace

uint32_t getZmEventSubstitutionFrom() { return builderState().substitution.from; }
uint32_t getZmEventSubstitutionTo() { return builderState().substitution.to; }

void setZmEventSubstitution(uint32_t from, uint32_t to) { builderState().substitution = {from, to}; }

// ------------------------------------------------------------ EventHandler

char* getZmFileName(const QvEventHandler* node) {
  return copyText(node->filename, {"QvEventHandler::getZmFileName", "non-filename.", "zmStrdup() failed."});
}

char* getZmUserData(const QvEventHandler* node) {
  return copyText(node->userData, {"QvEventHandler::getZmUserData", "non-userData.", "zmStrdup() failed."});
}

char* getZmFunction(const QvEventHandler* node) {
  return copyText(node->function, {"QvEventHandler::getZmFunction", "non-function.", "zmStrdup() failed."});
}

char* getZmActionObject(const QvEventHandler* node) {
  return copyText(node->actionObject,
                  {"QvEventHandler::getZmActionObject", "non-actionObject.", "zmStrdup() failed."});
}

uint32_t getZmEventType(const QvEventHandler* node) {
  const EventSubstitution& substitution = builderState().substitution;
  const uint32_t named = static_cast<uint32_t>(node->eventType.value);
  uint32_t mask = 0;
  for (int bit = 0; bit <= 21; ++bit) {
    const uint32_t b = 1u << bit;
    if ((named & b) != 0) mask |= (b == substitution.from) ? substitution.to : b;
  }
  return mask;
}

int getZmScriptType(const QvEventHandler* node) {
  return scriptTypeOf(node->scriptType, "QvEventHandler::getZmScriptType: Unknown scriptType");
}

// ------------------------------------------------------------ SporadicTask

char* getZmFileName(const QvSporadicTask* node) {
  return copyTaskText(node->filename, "QvSporadicTask::getZmFileName()");
}

int32_t getZmMillisecond(const QvSporadicTask* node) { return node->millisecond.value; }

char* getZmUserData(const QvSporadicTask* node) {
  return copyTaskText(node->userData, "QvSporadicTask::getZmUserData()");
}

char* getZmFunction(const QvSporadicTask* node) {
  return copyTaskText(node->function, "QvSporadicTask::getZmFunction()");
}

int getZmScriptType(const QvSporadicTask* node) {
  return scriptTypeOf(node->scriptType, "QvSporadicTask::getZmScriptType() : Unknown scriptType.");
}

// ------------------------------------------------------------ PeriodicTask

char* getZmFileName(const QvPeriodicTask* node) {
  return copyTaskText(node->filename, "QvPeriodicTask::getZmFileName()");
}

int32_t getZmMillisecond(const QvPeriodicTask* node) { return node->millisecond.value; }

char* getZmUserData(const QvPeriodicTask* node) {
  return copyTaskText(node->userData, "QvPeriodicTask::getZmUserData()", ": ");
}

char* getZmFunction(const QvPeriodicTask* node) {
  return copyTaskText(node->function, "QvPeriodicTask::getZmFunction()");
}

int getZmScriptType(const QvPeriodicTask* node) {
  return scriptTypeOf(node->scriptType, "QvPeriodicTask::getZmScriptType() : Unknown scriptType.");
}

// ------------------------------------------------------------ CalendarTask

char* getZmFileName(const QvCalendarTask* node) {
  return copyTaskText(node->filename, "QvCalendarTask::getZmFileName()");
}

char* getZmDate(const QvCalendarTask* node) { return copyTaskText(node->date, "QvCalendarTask::getZmDate()"); }

char* getZmUserData(const QvCalendarTask* node) {
  return copyTaskText(node->userData, "QvCalendarTask::getZmUserData()", ": ");
}

char* getZmFunction(const QvCalendarTask* node) {
  return copyTaskText(node->function, "QvCalendarTask::getZmFunction()");
}

int getZmScriptType(const QvCalendarTask* node) {
  return scriptTypeOf(node->scriptType, "QvCalendarTask::getZmScriptType() : Unknown scriptType.");
}

// ------------------------------------------------------------------ Script

char* getZmProcedure(const QvScript* node) {
  const char* fn = "QvScript::getZmProcedure";
  const char* text = node->procedure.value.getString();
  if (text == nullptr) {
    zmReportWarning("%s: non-strings.", fn);
    return nullptr;
  }
  char* procedure = zmPFconvCR(text);
  if (procedure == nullptr) zmReportMessage("%s: Couldn't allocate memory for procedure.", fn);
  return procedure;
}

int getZmScriptType(const QvScript* node) {
  return scriptTypeOf(node->scriptType, "QvScript::getZmScriptType: Unknown script type.");
}

// -------------------------------------------------------------- Attributes

int getZmVisible(const QvAttributes* node) { return isTrue(node->visible); }
int getZmGrasp(const QvAttributes* node) { return isTrue(node->grasp); }
int getZmSolid(const QvAttributes* node) { return isTrue(node->solid); }
int getZmCollision(const QvAttributes* node) { return isTrue(node->collision); }
int getZmMobile(const QvAttributes* node) { return isTrue(node->mobile); }
int getZmAssignId(const QvAttributes* node) { return isTrue(node->assignId); }
int getZmBackface(const QvAttributes* node) { return isTrue(node->backface); }
int getZmGouraud(const QvAttributes* node) { return isTrue(node->gouraud); }

char* getZmComment(const QvAttributes* node) {
  return copyText(node->comment,
                  {"QvAttributes::getZmComment", "non-strings.", "Couldn't allocate memory for comment."});
}
