// core/dump.h -- debug dumps of scene objects and free messages.
//
// Owns: the fixed texts that describe one scene object (links, handlers,
// comments, bounding cube, extensions, flags, time-outs and leaves) and
// their delivery to the end of a named file or, without a file name, to
// the notify window as a warning. It reads records that others own and
// changes nothing.
//
// Texts grow as needed (an object with many handlers, values or vertices
// is dumped whole). Pointers print with "%p", floats with "%f" in the "C"
// locale; every line ends with a newline.
#ifndef LUMENFOLD_CORE_DUMP_H
#define LUMENFOLD_CORE_DUMP_H

#include <string>

struct ZmObj;
struct ZmLeaf;
struct ZmConeSide;
struct ZmCircle;
struct ZmFace;
struct ZmObjExtension;
struct ZmObjValue;
struct ZmEventHandler;
struct ZmTimeOutHandlerList;

/*
 * zmDebugDumpMessage, zmDebugDumpZmObj --
 *   Append the text (or the object's dump) to the file `fileName`, or
 *   with a null name send it to zmReportWarning (in chunks that fit the
 *   reporter, cut at line ends).
 * Results:
 *   The close's result (0); -1 with the warning "<name> : can not open
 *   '%s'." when the file cannot be opened; the warning's result without a
 *   file name.
 */
int zmDebugDumpMessage(const char* fileName, const char* text);
int zmDebugDumpZmObj(const char* fileName, ZmObj* object);

// The whole dump of one object.
std::string zmDumpZmObj(ZmObj* object);

// Sections of the dump, each appending its lines to `text`.
void zmDumpLeaf(std::string& text, ZmLeaf* leaf);
void zmDumpConeSide(std::string& text, ZmConeSide* side);
void zmDumpCircle(std::string& text, ZmCircle* circle);
void zmDumpFace(std::string& text, ZmFace* face);
// The owner tells how a Switch extension keeps its child number.
void zmDumpExtensions(std::string& text, const ZmObj* owner, ZmObjExtension* first);
void zmDumpObjectValues(std::string& text, ZmObjValue* first);
void zmDumpEventHandlers(std::string& text, ZmEventHandler* first);
// The entries of the queue that belong to `object`, in queue order.
void zmDumpTimeOutHandlers(std::string& text, ZmObj* object, ZmTimeOutHandlerList* first);

#endif
