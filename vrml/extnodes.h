// vrml/extnodes.h -- the values of the behaviour extension nodes, as the
// scene builder hands them on.
//
// Owns: the accessors of EventHandler, SporadicTask, PeriodicTask,
// CalendarTask, Script and Attributes nodes (copies of their texts, the
// handler's event mask, the script type in the form handlers and tasks
// store it, the Attributes flags), and the program-wide event-bit
// substitution that every EventHandler's mask goes through (kept in the
// builder's record, vrml/builderstate.h).
// It does not own the node classes and their reading (vrml/qvnodes.h), nor
// what is done with the values (vrml/attachments.h).
//
// Every text accessor returns a new copy from the scene core's allocator
// (the caller frees it with zmFree; an unset field gives an empty text), or
// null after reporting why.
#ifndef LUMENFOLD_VRML_EXTNODES_H
#define LUMENFOLD_VRML_EXTNODES_H

#include <cstdint>

class QvAttributes;
class QvCalendarTask;
class QvEventHandler;
class QvPeriodicTask;
class QvScript;
class QvSporadicTask;

// The script type given for UNKNOWN_SCRIPT or any value outside the six
// languages: no scripting language answers to it, and the builder refuses
// the node that carries it.
constexpr int kZmUnknownScriptType = -1;

// The event-bit substitution {from, to}: an EventHandler that names the
// from-bit is handed out with the to-bit instead. It starts as
// {RIGHT_BUTTON_DOWN, PICK}.
uint32_t getZmEventSubstitutionFrom();
uint32_t getZmEventSubstitutionTo();
void setZmEventSubstitution(uint32_t from, uint32_t to);

// ---- EventHandler ----------------------------------------------------------
char* getZmFileName(const QvEventHandler* node);
char* getZmUserData(const QvEventHandler* node);
char* getZmFunction(const QvEventHandler* node);
char* getZmActionObject(const QvEventHandler* node);
// Bits 0 to 21 of the node's mask, the substitution applied.
uint32_t getZmEventType(const QvEventHandler* node);
// PYTHON 0 ... INLINE 5 (the file's value minus one); kZmUnknownScriptType
// with a message for any other value.
int getZmScriptType(const QvEventHandler* node);

// ---- SporadicTask and PeriodicTask -----------------------------------------
char* getZmFileName(const QvSporadicTask* node);
int32_t getZmMillisecond(const QvSporadicTask* node);
char* getZmUserData(const QvSporadicTask* node);
char* getZmFunction(const QvSporadicTask* node);
int getZmScriptType(const QvSporadicTask* node);

char* getZmFileName(const QvPeriodicTask* node);
int32_t getZmMillisecond(const QvPeriodicTask* node);
char* getZmUserData(const QvPeriodicTask* node);
char* getZmFunction(const QvPeriodicTask* node);
int getZmScriptType(const QvPeriodicTask* node);

// ---- CalendarTask ----------------------------------------------------------
char* getZmFileName(const QvCalendarTask* node);
char* getZmDate(const QvCalendarTask* node);
char* getZmUserData(const QvCalendarTask* node);
char* getZmFunction(const QvCalendarTask* node);
int getZmScriptType(const QvCalendarTask* node);

// ---- Script ----------------------------------------------------------------
// The procedure text with each backslash-n pair turned into a line feed.
char* getZmProcedure(const QvScript* node);
int getZmScriptType(const QvScript* node);

// ---- Attributes ------------------------------------------------------------
// 1 when the field is exactly TRUE, else 0.
int getZmVisible(const QvAttributes* node);
int getZmGrasp(const QvAttributes* node);
int getZmSolid(const QvAttributes* node);
int getZmCollision(const QvAttributes* node);
int getZmMobile(const QvAttributes* node);
int getZmAssignId(const QvAttributes* node);
int getZmBackface(const QvAttributes* node);
int getZmGouraud(const QvAttributes* node);
char* getZmComment(const QvAttributes* node);

#endif
