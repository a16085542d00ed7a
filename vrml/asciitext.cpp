// vrml/asciitext.cpp -- AsciiText leaves.
#include "vrml/asciitext.h"

#include "core/leaf.h"
#include "core/report.h"
#include "core/strings.h"
#include "vrml/qvnodes.h"

char* getAsciiTextString(const QvAsciiText* text) {
  char* copy = zmStrdup(text->string.value.getString());
  if (copy == nullptr) zmReportMessage("%s: Couldn't allocate memory for string.", "QvAsciiText::getString");
  return copy;
}

int32_t getAsciiTextJustification(const QvAsciiText* text) {
  switch (text->justification.value) {
    case QvAsciiText::CENTER: return 1;
    case QvAsciiText::RIGHT: return 2;
    default: return 0;
  }
}

ZmLeaf* createZmAsciiTextLeaf(const QvNode* node, QvState*) {
  const auto* text = static_cast<const QvAsciiText*>(node);
  ZmAsciiText* leaf = zmNewAsciiTextLeaf();
  if (leaf == nullptr) {
    zmReportMessage("%s: Couldn't allocate memory for ZmLeaf.", "QvAsciiText::createZmLeaf");
    return nullptr;
  }
  leaf->string = getAsciiTextString(text);
  leaf->justification = getAsciiTextJustification(text);
  leaf->spacing = text->spacing.value;
  leaf->width = text->width.value;
  return leaf;
}
