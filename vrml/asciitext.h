// vrml/asciitext.h -- the 3-D text leaf of an AsciiText node.
//
// Owns: the text leaf made from an AsciiText node (an owned copy of the
// text, one line per string of the node, the justification code, the
// spacing between lines and the width) and the two
// readings of the node's fields it rests on. The leaf takes no texture or
// material from the state. It does not own the leaf record (core/leaf.h),
// the object it hangs on (vrml/traverse.h), nor the glyphs, which the
// viewer builds when the world is shown.
#ifndef LUMENFOLD_VRML_ASCIITEXT_H
#define LUMENFOLD_VRML_ASCIITEXT_H

#include <cstdint>

class QvAsciiText;
class QvNode;
class QvState;
struct ZmLeaf;

// A zmStrdup copy of the text, its lines joined by '\n', or null ("QvAsciiText::getString: Couldn't
// allocate memory for string.").
char* getAsciiTextString(const QvAsciiText* text);
// The leaf's code for the node's justification: 0 LEFT, 1 CENTER, 2 RIGHT.
int32_t getAsciiTextJustification(const QvAsciiText* text);

// The node's text leaf (a leaf without text when the copy failed), or null
// ("QvAsciiText::createZmLeaf: Couldn't allocate memory for ZmLeaf.").
ZmLeaf* createZmAsciiTextLeaf(const QvNode* node, QvState* state);

#endif
