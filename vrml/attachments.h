// vrml/attachments.h -- what every object made from a node takes from the
// pending behaviour nodes of the traversal state.
//
// Owns: the six attachments in the order a traversal applies them: the top
// Attributes node (name, comment, object and leaf flags), every pending
// Script (evaluated), EventHandler (added, then the object's CREATE_NOTIFY
// event), SporadicTask and PeriodicTask (time-outs) and CalendarTask
// (warned about), each consumed as it is applied.
// It does not own the nodes' values (vrml/extnodes.h), the state
// (vrml/qvstate.h), nor what scripting does with the handlers, time-outs and
// texts handed to it through vrml/hooks.h.
//
// In a file another user added (vrml/session.h) only the Attributes node
// applies: every behaviour node is taken off unread, with one warning.
//
// No attachment fails its object: what fails is reported and stays pending
// for the next object, except a node naming an unknown script type, which
// is refused ("unknown script type") and taken off so that it is not tried
// again by every later object.
#ifndef LUMENFOLD_VRML_ATTACHMENTS_H
#define LUMENFOLD_VRML_ATTACHMENTS_H

class QvState;
struct ZmLeaf;
struct ZmObj;

void setZmAttributes(QvState* state, ZmObj* object, ZmLeaf* chain);
void setZmScript(QvState* state, ZmObj* object);
void setZmEventHandler(QvState* state, ZmObj* object);  // then sends CREATE_NOTIFY
void setZmSporadicTask(QvState* state, ZmObj* object);
void setZmPeriodicTask(QvState* state, ZmObj* object);
void setZmCalendarTask(QvState* state, ZmObj* object);
// All six, in that order.
void applyZmAttachments(QvState* state, ZmObj* object, ZmLeaf* chain);

// The assignId request of the top pending Attributes node (0 when none);
// the node stays pending for the attachments.
int getZmAssignId(QvState* state);

#endif
