// vrml/qvdump.h -- reading a whole file into parsed nodes, and the text dump
// of a node graph.
//
// Owns: qvReadTopLevelNodes, which reads every top-level node of a VRML file
// the way the parse entry points do but converts nothing, and qvDumpNodes,
// the readable listing of nodes, DEF names, fields in the order read and
// children that vrmlparse prints and the tests compare.
// It does not own the nodes it hands out: the caller releases each with
// unref(). It does not build scene objects.
#ifndef LUMENFOLD_VRML_QVDUMP_H
#define LUMENFOLD_VRML_QVDUMP_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class QvNode;

/*
 * qvReadTopLevelNodes --
 *   Opens the file and reads its top-level nodes in order until no further
 *   node follows.
 * Results:
 *   0 when the file was read; -1 when it could not be opened ("%s: can not
 *   open '%s'"), a read failed, or it held no node. The nodes read before a
 *   failure stay in `nodes`, one reference each for the caller.
 */
int qvReadTopLevelNodes(const char* path, std::vector<QvNode*>& nodes);

// The same on a stream that the caller opened and closes; name is the file
// name shown in read errors.
int qvReadTopLevelNodes(const char* name, FILE* fp, std::vector<QvNode*>& nodes);

// Appends the listing of the nodes to out. A node met again is shown as a USE
// of its first listing; lists show at most maxValues values.
void qvDumpNodes(const std::vector<QvNode*>& nodes, std::string& out, int32_t maxValues = 64);

// Gives back the caller's reference to every node and empties the vector.
void qvReleaseNodes(std::vector<QvNode*>& nodes);

#endif
