// vrml/worldinfo.h -- world settings carried by Info nodes.
//
// Owns: the conversion of an Info node, which by its DEF name (compared
// exactly, with case) sets one setting of the state's world: background
// colour, image and image type, viewer speed, title, world server, gravity,
// an LHA archive of resources, or the articulated-body file that stops the
// enclosing group. An Info node with another name, or none, is a comment.
// It does not own the world record (core/world.h), the navigation state,
// the URL table or the archive's unpacking, which it reaches through
// vrml/hooks.h, nor the stop flag's meaning (vrml/session.h) and the body
// setting (vrml/parse.h).
#ifndef LUMENFOLD_VRML_WORLDINFO_H
#define LUMENFOLD_VRML_WORLDINFO_H

#include <cstdint>

class QvInfo;
class QvNode;
class QvState;

// The setting an Info node's DEF name selects.
enum QvInfoType : int32_t {
  QV_INFO_BACKGROUND_COLOR = 0,
  QV_INFO_KINEMATION = 1,
  QV_INFO_TITLE = 2,
  QV_INFO_VIEWER_SPEED = 3,
  QV_INFO_ZM_SERVER = 4,
  QV_INFO_BACKGROUND_TEXTURE = 5,
  QV_INFO_BACKGROUND_IMAGE = 6,
  QV_INFO_GRAVITY = 7,
  QV_INFO_ARCHIVE = 8,
  QV_INFO_BACKGROUND_TEXTURE_TYPE = 9,
  QV_INFO_BACKGROUND_IMAGE_TYPE = 10,
  QV_INFO_COMMENT = 11,
};

QvInfoType getInfoType(const QvInfo* info);

// A zmStrdup copy of the node's string (the caller frees it), or null after
// "QvInfo::getStringField(): Couldn't allocate memory.".
char* getInfoStringField(const QvInfo* info);

/*
 * traverseInfo --
 *   Applies the node's setting to the state's world. A "Kinemation" node
 *   that names a body file (while such files are honoured) sets the stop
 *   flag to 1.
 * Results:
 *   Always 0: an Info node makes no object and never fails the traversal.
 *   Unreadable values fall back as each setting says, with a warning.
 */
int traverseInfo(const QvNode* node, QvState* state);

#endif
