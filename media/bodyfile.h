// media/bodyfile.h -- articulated-body files: the records of a body and the
// readers of its three sections (body, capture, motion).
//
// Owns: `ZmKinBody` with its segments, sites and joints (the body owns them
// through its three tables), the program-wide word reader both section
// readers share, the grammar of the body section with the rest offsets and
// joint matrices computed at its end, and the capture and motion readers
// with their program-wide column map (the reader's record, with the flag of
// a load under way: media/bodyreading.h). It does not own the scene objects a
// body is shown with, nor the frames it is moved to (media/bodies.h).
//
// Matrices are 3x3 rows acting on row vectors: p maps to p x R + t, and a
// product A x B applies A first. Angles in the file are degrees; the triple
// (x, y, z) is the rotation Rz(z) x Ry(y) x Rx(x) (zmKinRotationFromAngles).
//
// Failures caused by the file are warnings (the program goes on without the
// body); running out of memory is an error. Every reader returns 0 or -1 and
// leaves a partly filled body, which the caller frees with zmKinDeleteBody.
#ifndef LUMENFOLD_MEDIA_BODYFILE_H
#define LUMENFOLD_MEDIA_BODYFILE_H

#include <cstdint>
#include <cstdio>

#include "core/vecmath.h"

struct ZmHash;

struct ZmKinMatrix {
  float m[9];
};

struct ZmKinSegment;

struct ZmKinSite {
  ZmKinSite* next;          // next site of the same segment
  char* name;               // owned: segment name, ".", site name
  int32_t inbound;          // 1: the segment's inbound site
  ZmRT transform;           // from the site's "xfm" line
  ZmKinSite* connected;     // the other end of a joint, or null
  ZmKinSegment* segment;    // the segment that declares the site
};

struct ZmKinSegment {
  char* name;                 // owned
  ZmKinMatrix parentSide;     // identity until the position computation
  ZmKinMatrix ownSide;
  ZmVec3 offset;              // rest offset of the origin in the parent
  ZmKinSite* inboundSite;     // null until a joint or "root" names it
  ZmKinSite* sites;           // outbound sites in file order
  ZmKinMatrix* motion;        // owned, frameCount rotations; null before the motion
};

struct ZmKinJoint {
  char* name;               // owned
  ZmKinSite* parentSite;    // not owned
  ZmKinSite* childSite;     // not owned
};

struct ZmKinBody {
  char* name;                    // owned
  ZmRT rootTransform;            // identity until "root ... xfm"
  ZmHash* segmentTable;          // name -> ZmKinSegment
  ZmHash* siteTable;             // "segment.site" -> ZmKinSite
  ZmHash* jointTable;            // name -> ZmKinJoint
  ZmKinSegment* rootSegment;     // null until "root"
  ZmKinSite* rootSite;
  int32_t frameCount;            // motion lines
  int32_t columnCount;           // values per frame
  ZmKinMatrix* rootRotations;    // owned, frameCount
  ZmVec3* rootSteps;             // owned, frameCount: root position minus the previous one
};

// The rotation of an angle triple in degrees, as the file means it.
void zmKinRotationFromAngles(float x, float y, float z, ZmKinMatrix* out);

// A body with its three tables and an identity root transform; null (with
// the error) when memory runs out.
ZmKinBody* zmKinNewBody();
// Frees the body with everything it owns; null is accepted.
void zmKinDeleteBody(ZmKinBody* body);

// ---- The word reader ----------------------------------------------------------
// Words are separated by space, tab and line feed only (a carriage return
// belongs to a word). A word keeps at most 99 bytes: the rest of a longer
// word is read and dropped. The returned text lives in a shared buffer that
// the next read overwrites; callers copy what they keep.

void zmKinResetWords();
void zmKinSkipSpace(std::FILE* file);
// The next word (or the last one again after zmKinUngetWord); null at the
// end of the file, which also loses a last word that no separator ends.
const char* zmKinGetWord(std::FILE* file);
void zmKinUngetWord();

// ---- The sections -------------------------------------------------------------

// Reads the body section into an empty body, then computes each reached
// segment's offset and matrices. A joint that would give a segment a second
// inbound site (a cycle, or two parents) refuses the body with "Kinemation
// bod file has incorrect tree structure.".
int zmKinParseBody(std::FILE* file, ZmKinBody* body);
// Diagnostic: the segment tree, one name per line indented by depth.
void printSegmentTree(ZmKinSegment* segment, int depth);

/*
 * parseCapFile --
 *   Reads the capture section: the column count and which joint each
 *   target column drives. A target whose column would leave its three
 *   angles outside the frame (outside 6 .. column count - 2) is ignored with
 *   a warning; a column count below 6 cannot hold the root's six values and
 *   refuses the section.
 * Results:
 *   0 or -1; the column map lives until zmLoadMov or a failure frees it.
 */
int parseCapFile(std::FILE* file, ZmKinBody* body);
int parseCapInput(std::FILE* file, ZmKinBody* body);
int parseCapTarget(std::FILE* file, ZmKinBody* body);
// The text after the first ".", or null when there is none.
const char* afterFirstDot(const char* text);
// Frame count := the line feeds from here to the end; the position is kept.
// A file without a line of motion is refused (-1).
int zmLineCount(std::FILE* file, ZmKinBody* body);
// Gives the segment zero-filled motion for every frame; 1, or 0 when memory
// runs out (the table walk stops). `body` is the ZmKinBody.
int movDataAlloc(void* segment, void* body);
// Reads frameCount frames of columnCount values into the root rotations and
// steps and the segments' motion; frees the column map.
int zmLoadMov(std::FILE* file, ZmKinBody* body);

#endif
