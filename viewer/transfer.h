// viewer/transfer.h -- moved objects carried to the engine lazily, and the
// switching of a subtree's engine objects on and off, filled or wireframe.
//
// Owns: the nodes of a world's transferred-object list (the list head lives
// in the world's rendering record) and the up-to-date mark 0x40 of objects.
// Moving an object never touches the engine: the scene core queues it here,
// and the first step of the next frame gives every queued subtree's clumps,
// lights and cameras their new world matrices. It does not own the engine
// objects (the leaf builders) nor the camera table (the scene core).
#ifndef LUMENFOLD_VIEWER_TRANSFER_H
#define LUMENFOLD_VIEWER_TRANSFER_H

struct ZmLeaf;
struct ZmObj;
struct ZmWorld;

// Queues the object unless it or an ancestor waits already; clears the mark
// on its subtree. 0; -1 with a warning when its world has no rendering
// record; -5 when memory runs out.
int zmRwAddObjToTransferedObjList(ZmObj* object);
// Takes a waiting object out of its world's list (deletion). 0.
int zmRwRemoveObjFromTransferedObjList(ZmObj* object);
// Refreshes every queued subtree in queue order and empties the list. 0.
int zmRenderTransferObjects(ZmWorld* world);
// Refreshes the object's leaves and its children's, setting their marks. 0.
int zmRenderTransferObj(ZmObj* object);
void zmRenderSetSubtreeMark(ZmObj* object, int value);
int zmRwClearTransferedObjList(ZmWorld* world);

// State 1 switches every shape, light and camera of the subtree on; any
// other value off. A Switch or LOD keeps the state in its visible flag.
void zmRenderSetSubtreeState(ZmObj* object, int state);
int zmRenderSetShapeState(ZmObj* object, int state);
int zmRenderSetLightState(ZmObj* object, int state);
// State 1 makes the camera object the current world's active camera (id 3).
int zmRenderSetCameraState(ZmObj* object, int state);
// Mode 1 draws every shape of the subtree filled, any other as wireframe.
void zmRenderSetSubtreeMode(ZmObj* object, int mode);
void zmRenderSetLeafMode(ZmLeaf* leaf, int mode);

#endif
