// vrml/attachments.cpp -- the six attachments of a newly made object.
#include "vrml/attachments.h"

#include <initializer_list>

#include "core/event.h"
#include "vrml/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "vrml/extnodes.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"
#include "vrml/session.h"

namespace {

void freeAll(std::initializer_list<char*> texts) {
  for (char* text : texts) zmFree(text);
}

// Takes a node with an unknown script type off its stack: no language can
// run it, so it would only fail again for every later object.
void refuseUnknownScriptType(QvState* state, int32_t stack, const char* fn) {
  zmReportWarning("%s: %s", fn, "unknown script type");
  state->popElement(stack);
}

void setFlag(uint32_t* flags, uint32_t bit, int on) {
  if (on) *flags |= bit; else *flags &= ~bit;
}

// The backface and gouraud bits of every shape leaf of the chain.
void setZmLeafAttributes(const QvAttributes* node, ZmLeaf* chain) {
  for (ZmLeaf* leaf = chain; leaf; leaf = leaf->next) {
    if (leaf->kind < ZM_LEAF_ASCII_TEXT || leaf->kind > ZM_LEAF_SPHERE) continue;
    auto* shape = static_cast<ZmShape*>(leaf);
    setFlag(&shape->leafFlags, ZM_LEAF_BACKFACE, getZmBackface(node));
    setFlag(&shape->leafFlags, ZM_LEAF_GOURAUD, getZmGouraud(node));
  }
}

// The SporadicTask and PeriodicTask loops: one time-out per pending node,
// the most recent first. A time-out that scripting cannot queue (its script
// file fails, say) stops the loop and stays pending.
template <class Task>
void setZmTimeOutTasks(QvState* state, ZmObj* object, int32_t stack, int repeating, const char* fn) {
  while (QvElement* element = state->getTopElement(stack)) {
    const auto* node = static_cast<const Task*>(element->node);
    if (node == nullptr) {
      zmReportMessage("%s: %s", fn, "pEltObj->data is null.");
      return;
    }
    int scriptType = getZmScriptType(node);
    if (scriptType == kZmUnknownScriptType) {
      refuseUnknownScriptType(state, stack, fn);
      continue;
    }
    char* fileName = getZmFileName(node);
    char* function = fileName ? getZmFunction(node) : nullptr;
    char* userData = function ? getZmUserData(node) : nullptr;
    if (userData == nullptr) {
      freeAll({fileName, function});
      return;
    }
    ZmTimeOutHandlerList* handler = vrmlScript().addTimeOutHandler(object, fileName, getZmMillisecond(node), scriptType,
                                                          function, userData, repeating);
    freeAll({fileName, function, userData});
    if (handler == nullptr) {
      zmReportWarning("%s: %s", fn, "zmAddTimeOutHandler() failed.");
      return;
    }
    state->popElement(stack);
  }
}

void sendCreateNotify(ZmObj* object, const char* fn) {
  ZmEvent event = {};
  event.type = ZM_EVENT_CREATE_NOTIFY;
  if (coreScript().callEventHandler(object, &event) != 0)
    zmReportMessage("%s: %s", fn, "zmCallEventHandler() failed.");
}

}  // namespace

int getZmAssignId(QvState* state) {
  const auto* node = static_cast<const QvAttributes*>(state->getTopNode(QV_ATTRIBUTES));
  return node ? getZmAssignId(node) : 0;
}

void setZmAttributes(QvState* state, ZmObj* object, ZmLeaf* chain) {
  const char* fn = "QvNode::setZmAttributes()";
  QvElement* element = state->getTopElement(QV_ATTRIBUTES);
  if (element == nullptr) return;
  const auto* node = static_cast<const QvAttributes*>(element->node);
  if (node == nullptr) {
    zmReportMessage("%s: %s", fn, "pEltObj->data is null.");
    return;
  }
  char* comment = getZmComment(node);
  if (comment == nullptr) return;
  if (zmNameObject(object, object->comment[1] ? object->comment[1] : "") == nullptr) {
    zmFree(comment);
    zmReportMessage("%s: %s", fn, "zmNameObject() failed.");
    return;
  }
  if (comment[0] != '\0') {
    zmFree(object->comment[3]);
    object->comment[3] = comment;
  } else {
    zmFree(comment);
  }
  setFlag(&object->obj_flags, ZM_OBJ_VISIBLE, getZmVisible(node));
  setFlag(&object->obj_flags, ZM_OBJ_GRASP, getZmGrasp(node));
  setFlag(&object->obj_flags, ZM_OBJ_SOLID, getZmSolid(node));
  setFlag(&object->obj_flags, ZM_OBJ_COLLISION, getZmCollision(node));
  setFlag(&object->obj_flags, ZM_OBJ_MOBILE, getZmMobile(node));
  setZmLeafAttributes(node, chain);
  state->popElement(QV_ATTRIBUTES);
}

void setZmScript(QvState* state, ZmObj* object) {
  const char* fn = "QvNode::setZmScript()";
  while (QvElement* element = state->getTopElement(QV_SCRIPT)) {
    const auto* node = static_cast<const QvScript*>(element->node);
    if (node == nullptr) {
      zmReportMessage("QvNode::setZmScript(): pEltObj->data is null.");
      return;
    }
    int scriptType = getZmScriptType(node);
    if (scriptType == kZmUnknownScriptType) {
      refuseUnknownScriptType(state, QV_SCRIPT, fn);
      continue;
    }
    char* procedure = getZmProcedure(node);
    if (procedure == nullptr) return;
    if (procedure[0] == '\0') {
      zmFree(procedure);
      zmReportWarning("%s : %s", fn, "procedure is ignore for non-strings.");
      return;
    }
    char* result = nullptr;
    int evaluated = vrmlScript().scriptEvalStr(object->world, scriptType, procedure, &result);
    zmFree(procedure);
    if (evaluated != 0) {
      zmReportMessage("QvNode::setZmScript(): zmScriptEvalStr() failed.");
      return;
    }
    state->popElement(QV_SCRIPT);
  }
}

void setZmEventHandler(QvState* state, ZmObj* object) {
  const char* fn = "QvNode::setZmEventHandler()";
  while (QvElement* element = state->getTopElement(QV_EVENT_HANDLER)) {
    const auto* node = static_cast<const QvEventHandler*>(element->node);
    if (node == nullptr) {
      zmReportMessage("QvNode::setZmEventHandler(): pEltObj->data is null.");
      return;
    }
    int scriptType = getZmScriptType(node);
    if (scriptType == kZmUnknownScriptType) {
      refuseUnknownScriptType(state, QV_EVENT_HANDLER, fn);
      continue;
    }
    char* fileName = getZmFileName(node);
    char* function = fileName ? getZmFunction(node) : nullptr;
    char* userData = function ? getZmUserData(node) : nullptr;
    char* action = userData ? getZmActionObject(node) : nullptr;
    if (action == nullptr) {
      freeAll({fileName, function, userData});
      return;
    }
    int added =
        vrmlScript().addEventHandler(object, fileName, getZmEventType(node), scriptType, function, userData, action);
    freeAll({fileName, function, userData, action});
    if (added != 0) {
      zmReportMessage("%s: %s", fn, "zmAddEventHandler() failed.");
      return;
    }
    state->popElement(QV_EVENT_HANDLER);
  }
  sendCreateNotify(object, fn);
}

void setZmSporadicTask(QvState* state, ZmObj* object) {
  setZmTimeOutTasks<QvSporadicTask>(state, object, QV_SPORADIC_TASK, 0, "QvNode::setZmSporadicTask()");
}

void setZmPeriodicTask(QvState* state, ZmObj* object) {
  setZmTimeOutTasks<QvPeriodicTask>(state, object, QV_PERIODIC_TASK, 1, "QvNode::setZmPeriodicTask()");
}

// Calendar tasks never reach the object: each pending one is read, warned
// about and taken off.
void setZmCalendarTask(QvState* state, ZmObj*) {
  const char* fn = "QvNode::setZmCalendarTask()";
  while (QvElement* element = state->getTopElement(QV_CALENDAR_TASK)) {
    const auto* node = static_cast<const QvCalendarTask*>(element->node);
    if (node == nullptr) {
      zmReportMessage("%s: %s", fn, "pEltObj->data is null.");
      return;
    }
    char* fileName = getZmFileName(node);
    char* date = fileName ? getZmDate(node) : nullptr;
    char* userData = date ? getZmUserData(node) : nullptr;
    char* function = userData ? getZmFunction(node) : nullptr;
    if (function == nullptr) {
      freeAll({fileName, date, userData});
      return;
    }
    getZmScriptType(node);  // read as for the other tasks; an unknown type is reported
    zmReportWarning("%s : %s", fn, "The CalendarTask cannot set in the ZmObj.");
    freeAll({fileName, date, userData, function});
    state->popElement(QV_CALENDAR_TASK);
  }
}

namespace {

// Another user's file runs nothing in this world: the world's interpreter
// would give its scripts the world's rights, and a handler's user data is
// script text. Its behaviour nodes are taken off unread, with one warning.
bool dropPeerBehaviour(QvState* state) {
  QvParseSession& session = qvSession();
  if (!session.fromPeer) return false;
  bool dropped = false;
  for (int32_t stack : {QV_SCRIPT, QV_EVENT_HANDLER, QV_SPORADIC_TASK, QV_PERIODIC_TASK, QV_CALENDAR_TASK}) {
    while (state->getTopElement(stack) != nullptr) {
      state->popElement(stack);
      dropped = true;
    }
  }
  if (dropped && !session.peerBehaviourReported) {
    session.peerBehaviourReported = true;
    zmReportWarning("QvNode::applyZmAttachments(): the scripts of a file another user added do not run.");
  }
  return true;
}

}  // namespace

void applyZmAttachments(QvState* state, ZmObj* object, ZmLeaf* chain) {
  setZmAttributes(state, object, chain);
  if (dropPeerBehaviour(state)) return;
  setZmScript(state, object);
  setZmEventHandler(state, object);
  setZmSporadicTask(state, object);
  setZmPeriodicTask(state, object);
  setZmCalendarTask(state, object);
}
