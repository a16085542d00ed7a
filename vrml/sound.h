// vrml/sound.h -- AmbientSound objects.
//
// Owns: the sound leaf made from an AmbientSound node (its file's URL
// entry, the channel chosen by the file name's suffix, the auto-play and
// loop flags) and the finishing of its object (the box the node gives, the
// entry in the world's sound objects).
// It does not own the sound leaf record (core/leaf.h) nor the playing of
// sounds (media, through vrml/hooks.h).
#ifndef LUMENFOLD_VRML_SOUND_H
#define LUMENFOLD_VRML_SOUND_H

class QvNode;
class QvState;
struct ZmLeaf;
struct ZmObj;

/*
 * createZmAmbientSoundLeaf --
 *   The node's sound leaf. The last four characters of the file name choose
 *   the channel: ".wav" wave, ".mid" MIDI, ".sna" sound set; any other
 *   suffix (capitals included) leaves channel 0 with a warning.
 * Results:
 *   The leaf, or null (reported; nothing left behind).
 */
ZmLeaf* createZmAmbientSoundLeaf(const QvNode* node, QvState* state);

// Sets the object's own box from bboxCenter and bboxSize and enters it in
// the world's sound objects. The object, or null after deleting it.
ZmObj* setZmAmbientSoundSpecialNode(const QvNode* node, QvState* state, ZmObj* object, ZmLeaf* leaf);

#endif
