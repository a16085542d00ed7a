// vrml/session.h -- the record of the parse under way.
//
// Owns: QvParseSession, everything one parse keeps while it reads and
// converts a file (the world it builds, the stop flag, the articulated-body
// setting, the inline counter, the id ranges its inline reads hold, the
// current node line and file, the level of the last read error); the stack
// of sessions, whose top is the current one and whose lower entries are the
// parses it interrupted, each saved whole by a QvSessionGuard; and the rule
// by which calls that take no world find one.
// A parse may be interrupted by another on the same thread (an inline fetch
// or a message box pumps the queue, and a script or the multi-user client
// adds an object from a string): each parse entry point takes a guard, so
// the inner parse starts at rest and the outer one resumes as it was.
// It does not own what outlives a parse: the node-name dictionary and class
// tables (vrml/qvnode.h), the repeat filter of reader messages
// (vrml/qvreaderror.h), nor the program-wide id counter stack (core).
#ifndef LUMENFOLD_VRML_SESSION_H
#define LUMENFOLD_VRML_SESSION_H

#include <cstdint>
#include <string>
#include <memory>
#include <vector>

#include "core/memory.h"

struct ZmUrlHash;
struct ZmWorld;

struct QvOwnedTextFree {
  void operator()(char* text) const { zmFree(text); }
};

struct QvParseSession {
  ZmWorld* world = nullptr;  // the world being built; null outside any parse
  // 1 while a "Kinemation" Info node asks its nearest enclosing group to
  // stop; the group that acts on it puts it back to 0.
  int32_t stopFlag = 0;
  std::unique_ptr<char, QvOwnedTextFree> kinemationFile;  // the body file named; null at rest
  int kinemationMode = 1;       // 1: a body file is honoured; 0 while the file is re-read as a plain world
  int32_t inlineCounter = 1;    // the number the next WWWInline node takes
  std::vector<int32_t> rangesBeingRead;  // id range numbers of this parse's inline reads, outermost first
  std::vector<std::string> baseUrls;     // URLs of the inline files being read, innermost last
  long currentNodeLine = 0;              // line of the "{" of the node being read
  ZmUrlHash* currentFile = nullptr;      // file entry of the input being read
  int readErrorLevel = 0;                // level of the last read error (vrml/qvreaderror.h)
  bool buildStarted = false;             // this parse began the build the limits count
  ZmSlab* nodeSlab = nullptr;            // where the file's nodes are carved from; null: the heap
  // The file is another user's (and so are the files it inlines): its
  // behaviour nodes are dropped, and its anchors lead nowhere local.
  bool fromPeer = false;
  bool peerBehaviourReported = false;    // the dropping was warned about once
  // The session this one interrupted, as its guard saved it; null for the
  // session at rest.
  const QvParseSession* outer = nullptr;
};

// The current session: the innermost parse under way, or the session at
// rest when none is.
QvParseSession& qvSession();

/*
 * QvSessionGuard --
 *   Taken by each parse entry point for the whole of its work.
 * Side effects:
 *   The constructor saves the current session whole and starts a fresh one
 *   building `world`, its inline counter at `inlineCounter` (a negative one
 *   marks an inlined file, which keeps the inline URLs around it); the destructor
 *   drops that one (and the body file it may name) and puts the saved one
 *   back, on every path out of the entry point.
 */
class QvSessionGuard {
 public:
  QvSessionGuard(ZmWorld* world, int32_t inlineCounter);
  ~QvSessionGuard();
  QvSessionGuard(const QvSessionGuard&) = delete;
  QvSessionGuard& operator=(const QvSessionGuard&) = delete;

 private:
  QvParseSession saved;
};

// The world that calls taking no world act on: the world being built, else
// the current world (either may be null).
ZmWorld* zmGetWorldBeingBuiltOrCurrent();

#endif
