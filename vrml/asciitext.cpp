// vrml/asciitext.cpp -- AsciiText leaves.
#include "vrml/asciitext.h"

#include <string>

#include "core/leaf.h"
#include "core/report.h"
#include "core/strings.h"
#include "vrml/qvnodes.h"

char* getAsciiTextString(const QvAsciiText* text) {
  std::string lines;
  for (int32_t i = 0; i < text->string.num; ++i) {
    if (i > 0) lines += '\n';
    lines += text->string.values[i].getString();
  }
  char* copy = zmStrdup(lines.c_str());
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
