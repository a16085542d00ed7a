// vrml/qvnode.cpp -- node reading, names, groups, the registry's users and
// the reference counts.
#include "vrml/qvnode.h"

#include <cstdio>
#include <new>
#include <string>

#include "core/memory.h"
#include "core/report.h"
#include "vrml/qvinput.h"
#include "vrml/qvnames.h"
#include "vrml/qvreaderror.h"
#include "vrml/qvsfields.h"
#include "vrml/session.h"

namespace {

constexpr int32_t kMaxWalkDepth = 2 * QvNode::kMaxDepth;

}  // namespace

// ------------------------------------------------------------------ QvNode

void* QvNode::operator new(size_t size, const std::nothrow_t&) noexcept {
  ZmSlab* before = zmUseSlab(qvSession().nodeSlab);
  void* node = zmSlabMalloc(size);
  zmUseSlab(before);
  return node;
}

void* QvNode::operator new(size_t size) {
  void* node = operator new(size, std::nothrow);
  if (node == nullptr) throw std::bad_alloc();
  return node;
}

void QvNode::operator delete(void* node) noexcept { zmFree(node); }

QvNode::QvNode() : lineNum(qvSession().currentNodeLine), fileEntry(qvSession().currentFile) {
  objName = new (std::nothrow) QvName();
  if (objName == nullptr) zmReportMessage("%s: Couldn't allocate memory for QvName.", "QvNode::QvNode");
}

QvNode::~QvNode() {
  if (objName && !objName->isEmpty()) removeName(this, objName->getString());
  delete objName;
  for (int32_t i = 0; i < declaredFields.getLength(); ++i) delete static_cast<QvField*>(declaredFields[i]);
  delete ownFieldData;
}

void QvNode::unref() {
  if (--refCount <= 0) delete this;
}

const QvName& QvNode::getName() const {
  static const QvName empty;
  return objName ? *objName : empty;
}

void QvNode::init() {
  QvDict*& nameDict = qvNameTables().nodesByName;
  if (nameDict) return;
  nameDict = new (std::nothrow) QvDict(251);
  if (nameDict == nullptr) zmReportMessage("QvNode::init(): Couldn't allocate memory for QvDict.");
}

bool QvNode::beginClass(QvFieldData*& classData, bool& firstInstance) {
  if (classData == nullptr) {
    classData = new (std::nothrow) QvFieldData;
    return true;
  }
  firstInstance = false;
  return false;
}

void QvNode::registerField(QvFieldData* classData, bool first, const char* name, QvField* field) {
  if (first && classData) classData->addField(this, name, field);
  field->setContainer(this);
}

void QvNode::registerEnums(QvFieldData* classData, bool first, const char* typeName,
                           const QvEnumValue* values, int count,
                           std::initializer_list<QvSFEnum*> fields) {
  if (classData == nullptr) return;
  if (first)
    for (int i = 0; i < count; ++i) classData->addEnumValue(typeName, values[i].name, values[i].value);
  int32_t num;
  const int32_t* vals;
  const QvName* names;
  classData->getEnumData(typeName, num, vals, names);
  for (QvSFEnum* field : fields) field->setEnums(num, vals, names);
}

void QvNode::addFieldInOrder(QvField* field) {
  if (numFieldsInOrder < kMaxFieldsInOrder) {
    fieldsInOrder[numFieldsInOrder++] = field;
    return;
  }
  zmReportWarning("%s: %s", "QvNode::addFieldInOrder()", "The number of fields exceeds the limit.");
}

void QvNode::addDeclaredField(const QvName& name, QvField* field) {
  if (ownFieldData == nullptr) ownFieldData = new (std::nothrow) QvFieldData;
  if (ownFieldData == nullptr || !declaredFields.append(field)) {
    delete field;
    return;
  }
  field->setContainer(this);
  ownFieldData->addField(this, name.getString(), field);
}

void QvNode::postWarning(long line, const char* typeName, const char* text) {
  char lineText[24];
  std::snprintf(lineText, sizeof lineText, "%ld", line);
  std::string warning = std::string(text) + "\n           " + typeName + " : Occurred at line " + lineText + "\n";
  qvOutputWarning(warning.substr(0, 399).c_str());
}

// ------------------------------------------------------------------- names

void QvNode::setName(const QvName& newName) {
  if (objName && !objName->isEmpty()) removeName(this, objName->getString());
  delete objName;
  objName = nullptr;

  const char* text = newName.getString();
  bool valid = text[0] == '\0' || QvName::isNodeNameStartChar(static_cast<unsigned char>(text[0]));
  for (const char* p = text; valid && *p; ++p)
    if (p != text && !QvName::isNodeNameChar(static_cast<unsigned char>(*p))) valid = false;

  QvString fixed;
  if (!valid) {
    if (!QvName::isNodeNameStartChar(static_cast<unsigned char>(text[0]))) fixed += "_";
    char one[2] = {0, 0};
    for (const char* p = text; *p; ++p) {
      one[0] = QvName::isNodeNameChar(static_cast<unsigned char>(*p)) ? *p : '_';
      fixed += one;
    }
  }
  objName = new (std::nothrow) QvName(valid ? newName : QvName(fixed));
  if (objName == nullptr) {
    zmReportMessage("QvNode::setName(): Couldn't allocate memory for QvName.");
    return;
  }
  if (!objName->isEmpty()) addName(this, objName->getString());
}

void QvNode::addName(QvNode* node, const char* key) {
  QvDict*& nameDict = qvNameTables().nodesByName;
  if (nameDict == nullptr) init();
  if (nameDict == nullptr) return;
  uintptr_t k = QvName(key).key();
  void* found = nullptr;
  if (!nameDict->find(k, found)) {
    auto* list = new (std::nothrow) QvPList;
    if (list == nullptr) {
      zmReportMessage("QvNode::addName(): Couldn't allocate memory for QvPList.");
      return;
    }
    if (!nameDict->enter(k, list)) {
      delete list;
      return;
    }
    found = list;
  }
  static_cast<QvPList*>(found)->append(node);
}

void QvNode::removeName(QvNode* node, const char* key) {
  QvDict*& nameDict = qvNameTables().nodesByName;
  uintptr_t k = QvName(key).key();
  void* found = nullptr;
  int32_t index = -1;
  if (nameDict && nameDict->find(k, found)) index = static_cast<QvPList*>(found)->find(node);
  if (index < 0) {
    QvDebugError::post("QvNode::removeName", "Name \"%s\" (node %p) is not in dictionary", key,
                       static_cast<void*>(node));
    return;
  }
  auto* list = static_cast<QvPList*>(found);
  list->remove(index);
  if (list->getLength() == 0) {
    nameDict->remove(k);
    delete list;
  }
}

const QvPList* QvNode::findNodesByName(const char* key) {
  QvDict*& nameDict = qvNameTables().nodesByName;
  void* found = nullptr;
  if (nameDict) nameDict->find(QvName(key).key(), found);
  return static_cast<const QvPList*>(found);
}

// ----------------------------------------------------------------- reading

bool QvNode::readNode(QvInput* in, QvNode*& node) {
  node = nullptr;
  QvName name;
  if (!in->read(name, true)) return in->headerOk;
  if (name.isEmpty() || name == "NULL") return true;
  if (name == "USE") return readUseReference(in, node);
  return readDefinedNode(in, name, node);
}

bool QvNode::readUseReference(QvInput* in, QvNode*& node) {
  node = nullptr;
  QvName refName;
  if (!in->read(refName, false)) {
    QvReadError::post(kQvReadErrorLevel, in, "Premature end of file after USE");
    return false;
  }
  QvNode* found = in->findReference(refName);
  if (found == nullptr) {
    QvReadError::post(kQvReadErrorLevel, in, "Unknown reference \"%s\"", refName.getString());
    return false;
  }
  found->ref();
  node = found;
  return true;
}

bool QvNode::readDefinedNode(QvInput* in, const QvName& name, QvNode*& node) {
  node = nullptr;
  bool ok = true;
  QvName typeName = name;
  QvName defName;
  if (name == "DEF") {
    if (!in->read(defName, false) || !in->read(typeName, true)) {
      QvReadError::post(kQvReadErrorLevel, in, "Premature end of file after DEF");
      ok = false;
    }
    if (defName.isEmpty()) {
      QvReadError::post(kQvReadErrorLevel, in, "No name given after %s", "DEF");
      ok = false;
    }
    if (typeName.isEmpty()) {
      QvReadError::post(kQvReadErrorLevel, in, "Invalid definition of %s", defName.getString());
      ok = false;
    }
  }
  if (!ok) return false;

  char c = kQvEndOfInput;
  if (!in->read(c)) {
    QvReadError::post(kQvReadErrorLevel, in, "Expected '%c'; got EOF", '{');
    return false;
  }
  if (c != '{') {
    QvReadError::post(kQvReadErrorLevel, in, "Expected '%c'; got '%c'", '{', c);
    return false;
  }
  if (in->nestingDepth >= kMaxDepth) {
    QvReadError::post(kQvReadErrorLevel, in, "Nodes nested deeper than %d levels", kMaxDepth);
    skipToMatchingBrace(in);
    return false;
  }

  qvSession().currentNodeLine = in->getLineNum();
  ++in->nestingDepth;
  bool bodyOk = readNodeBody(in, typeName, defName, node);
  --in->nestingDepth;
  if (!bodyOk) {
    skipToMatchingBrace(in);
    return false;
  }
  if (!in->read(c)) {
    QvReadError::post(kQvReadErrorLevel, in, "Expected '%c'; got EOF", '}');
    return false;
  }
  if (c != '}') {
    QvReadError::post(kQvReadErrorLevel, in, "Expected '%c'; got '%c'", '}', c);
    return false;
  }
  return true;
}

bool QvNode::readNodeBody(QvInput* in, const QvName& typeName, const QvName& defName, QvNode*& node) {
  qvSession().currentFile = in->getCurFile();
  node = newNodeOfType(typeName);
  if (node == nullptr) {
    QvReadError::post(kQvUnknownNodeLevel, in, "Unknown Node \"%s\"", typeName.getString());
    return false;
  }
  node->ref();
  if (!defName.isEmpty()) in->addReference(defName, node);
  node->beingRead = true;
  bool ok = node->readContents(in);
  node->beingRead = false;
  return ok;
}

void QvNode::skipToMatchingBrace(QvInput* in) {
  int depth = 1;
  char c = kQvEndOfInput;
  while (depth > 0 && in->get(c)) {
    if (c == '}') --depth;
    else if (c == '{') ++depth;
  }
}

bool QvNode::readFieldDeclaration(QvInput* in) {
  QvName name;
  if (!in->read(name, true) || name != QvName("fields")) {
    in->putBack(name.getString());
    return true;
  }
  QvFieldData* data = getFieldData();
  if (data && data->readFieldTypes(in, this)) return true;
  QvReadError::post(kQvReadErrorLevel, in, "Bad field specifications for node");
  return false;
}

bool QvNode::readContents(QvInput* in) {
  if (!readFieldDeclaration(in)) return false;
  QvFieldData* data = getFieldData();
  return data == nullptr || data->read(in, this, true);
}

// ------------------------------------------------------------------ QvGroup

QvFieldData* QvGroup::fieldData = nullptr;
bool QvGroup::firstInstance = true;

QvGroup::QvGroup() {
  children = new (std::nothrow) QvChildList;
  if (children == nullptr) zmReportMessage("QvGroup::QvGroup(): Couldn't allocate memory for QvChildList.");
  beginClass(fieldData, firstInstance);
  isBuiltIn = true;
}

QvGroup::~QvGroup() {
  for (int32_t i = 0; i < getNumChildren(); ++i) {
    QvNode* child = getChild(i);
    int32_t uncounted = uncountedChildren.find(child);
    if (uncounted >= 0) uncountedChildren.remove(uncounted);
    else child->unref();
  }
  delete children;
  children = nullptr;
}

QvFieldData* QvGroup::getFieldData() const { return ownOr(fieldData); }

bool QvGroup::appendChild(QvInput* in, QvNode* child) {
  bool cycle = child->beingRead;
  if (!cycle && child->height + 1 > kMaxDepth) {
    QvReadError::post(kQvReadErrorLevel, in, "Nodes nested deeper than %d levels", kMaxDepth);
    child->unref();
    return false;
  }
  if (children == nullptr || !children->append(child) ||
      (cycle && !uncountedChildren.append(child))) {
    if (children && children->getLength() && (*children)[children->getLength() - 1] == child)
      children->truncate(children->getLength() - 1);
    child->unref();
    return false;
  }
  if (cycle) {
    // The child is an ancestor still being read: the edge closes a cycle and
    // holds no reference (the ancestor's reader and the DEF still hold theirs).
    child->unref();
  } else if (child->height + 1 > height) {
    height = child->height + 1;
  }
  return true;
}

bool QvGroup::readContents(QvInput* in) { return readFieldsThenChildren(in, !isBuiltIn, false); }

bool QvGroup::readFieldsThenChildren(QvInput* in, bool declarationAllowed, bool errorOnUnknownField) {
  if (declarationAllowed && !readFieldDeclaration(in)) return false;
  QvFieldData* data = getFieldData();
  if (data && !data->read(in, this, errorOnUnknownField)) return false;
  return readChildNodes(in);
}

bool QvGroup::readChildNodes(QvInput* in) {
  for (;;) {
    QvNode* child;
    bool ok = readNode(in, child);
    if (ok && child) {
      if (!appendChild(in, child)) {
        QvReadError::setLevel(kQvReadErrorLevel);
        return true;
      }
      continue;
    }
    if (child) child->unref();  // a node that failed is not listed
    int level = QvReadError::getLevel();
    QvReadError::setLevel(kQvReadErrorLevel);
    if (level != kQvUnknownNodeLevel) return true;
  }
}

// -------------------------------------------------------------------- QvDB

void QvDB::init() { QvNode::init(); }

bool QvDB::read(QvInput* in, QvNode*& node) {
  bool ok = QvNode::readNode(in, node);
  if (ok && node == nullptr && !in->eof()) {
    char c = kQvEndOfInput;
    in->read(c);
    if (c != kQvEndOfInput || !in->eof()) {
      QvReadError::post(kQvReadErrorLevel, in, "Extra characters ('%c') found in input", c);
      ok = false;
    }
  }
  if (!ok && node) {
    node->unref();
    node = nullptr;
  }
  return ok;
}

// -------------------------------------------------------------- QvNodePath

bool QvNodePath::enter(const QvNode* node, const char* walker) {
  char text[300];
  if (path.find(node) >= 0) {
    std::snprintf(text, sizeof text, "%s: node \"%s\" contains itself; passed over.", walker,
                  node->getName().getString());
    QvNode::postWarning(node->lineNum, node->getTypeName(), text);
    return false;
  }
  if (path.getLength() >= kMaxWalkDepth || !path.append(const_cast<QvNode*>(node))) {
    std::snprintf(text, sizeof text, "%s: nodes nested too deep; passed over.", walker);
    QvNode::postWarning(node->lineNum, node->getTypeName(), text);
    return false;
  }
  return true;
}

void QvNodePath::leave() { path.truncate(path.getLength() - 1); }
