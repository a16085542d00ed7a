// vrml/qvdump.cpp -- whole-file reading without conversion, and the dump.
#include "vrml/qvdump.h"

#include <cstdio>
#include <map>

#include "core/report.h"
#include "vrml/qvinput.h"
#include "vrml/qvnode.h"
#include "vrml/qvreaderror.h"

int qvReadTopLevelNodes(const char* name, FILE* fp, std::vector<QvNode*>& nodes) {
  QvReadError::begin(name);
  QvDB::init();
  QvInput in(name, fp);
  for (;;) {
    QvNode* node;
    if (!QvDB::read(&in, node) || node == nullptr) return -1;
    nodes.push_back(node);
    if (in.isDataInFile() != 1) return 0;
  }
}

int qvReadTopLevelNodes(const char* path, std::vector<QvNode*>& nodes) {
  FILE* fp = std::fopen(path, "rb");
  if (fp == nullptr) {
    zmReportMessage("%s: can not open '%s'", "qvReadTopLevelNodes", path);
    return -1;
  }
  int result = qvReadTopLevelNodes(path, fp, nodes);
  std::fclose(fp);
  return result;
}

void qvReleaseNodes(std::vector<QvNode*>& nodes) {
  for (QvNode* node : nodes) node->unref();
  nodes.clear();
}

namespace {

class Dumper {
 public:
  Dumper(std::string& out, int32_t maxValues) : out(out), maxValues(maxValues) {}

  void dump(const QvNode* node, int depth) {
    indent(depth);
    auto seen = numbers.find(node);
    if (seen != numbers.end()) {
      bool cycle = !path.enter(node, "qvDumpNodes");
      if (!cycle) path.leave();
      out += "USE " + nameOf(node) + " (" + node->getTypeName() + " #" + std::to_string(seen->second) +
             (cycle ? ", contains itself" : "") + ")\n";
      return;
    }
    if (!path.enter(node, "qvDumpNodes")) {
      out += std::string(node->getTypeName()) + " (passed over)\n";
      return;
    }
    int number = static_cast<int>(numbers.size()) + 1;
    numbers[node] = number;
    out += std::string(node->getTypeName()) + " #" + std::to_string(number);
    if (!node->getName().isEmpty()) out += " DEF " + nameOf(node);
    out += " (line " + std::to_string(node->lineNum) + ")\n";
    dumpFields(node, depth + 1);
    if (node->children) {
      for (int32_t i = 0; i < node->children->getLength(); ++i) dump((*node->children)[i], depth + 1);
    }
    path.leave();
  }

 private:
  void indent(int depth) { out.append(static_cast<size_t>(depth) * 2, ' '); }

  static std::string nameOf(const QvNode* node) {
    return node->getName().isEmpty() ? std::string("(unnamed)") : node->getName().getString();
  }

  void dumpFields(const QvNode* node, int depth) {
    QvFieldData* data = node->getFieldData();
    for (int32_t i = 0; i < node->numFieldsInOrder; ++i) {
      const QvField* field = node->fieldsInOrder[i];
      int32_t index = data ? data->findField(node, field) : -1;
      indent(depth);
      out += index >= 0 ? data->getFieldName(index).getString() : "?";
      out += ' ';
      field->writeValue(out, maxValues);
      if (field->isIgnored()) out += " ~";
      out += '\n';
    }
  }

  std::string& out;
  int32_t maxValues;
  std::map<const QvNode*, int> numbers;  // first listing of each node
  QvNodePath path;
};

}  // namespace

void qvDumpNodes(const std::vector<QvNode*>& nodes, std::string& out, int32_t maxValues) {
  Dumper dumper(out, maxValues);
  for (const QvNode* node : nodes) dumper.dump(node, 0);
}
