// vrml/wwwnodes.h -- anchors and inline worlds: the grouping nodes that
// name a URL.
//
// Owns: the WWWAnchor object (its link URL kept as extension 10, the
// attachments, its children in a level of their own) and the WWWInline
// object (its URL kept as extension 9, the file behind it fetched through
// the loading layer and read under the object with a fresh id range).
// Inline ranges: the world's own objects take ids from -10000 to -1; each
// inline read takes the lowest range -(k+1)*10000 .. -(k+1)*10000+9999,
// k >= 1, that no object the world held when the build began, no read under
// way and no earlier read of the same build uses, so nested inlines and
// files added later never hand out an id twice. The build limits
// (vrml/buildlimits.h) bound how many inline files a build reads.
// It does not own the URL table and the fetching (loading, through
// vrml/hooks.h), nor the parse entry point that reads the file
// (vrml/parse.h).
#ifndef LUMENFOLD_VRML_WWWNODES_H
#define LUMENFOLD_VRML_WWWNODES_H

class QvNode;
class QvState;
struct ZmObj;

// Both: 0 with the object in *object, or -1 with nothing left behind (the
// enclosing group passes over the node).
int traverseWWWAnchor(QvNode* node, QvState* state, ZmObj** object);
int traverseWWWInline(QvNode* node, QvState* state, ZmObj** object);

#endif
