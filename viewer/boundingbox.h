// viewer/boundingbox.h -- an object's bounding cube shown as a wireframe box.
//
// Owns: the box clump (a yellow outer box around the cube and a blue inner
// one just inside it), held as the object's extension of type 3 with the
// object as its data word. The box takes the object's place when it is built
// and does not follow later moves; world construction builds it anew.
#ifndef LUMENFOLD_VIEWER_BOUNDINGBOX_H
#define LUMENFOLD_VIEWER_BOUNDINGBOX_H

struct ZmObj;

// 0 (also when the object has a box already), or -1 after a report.
int zmRenderSetBoundingBoxInViewer(ZmObj* object);
// 0 (also when it has none), or -1 after a report.
int zmRenderDeleteBoundingBoxInViewer(ZmObj* object);

#endif
