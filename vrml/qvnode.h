// vrml/qvnode.h -- the node core of the VRML reader.
//
// Owns: QvNode (the base of every node class: name, fields in read order,
// reference count), the reading of one node (DEF, USE, NULL, the type name,
// the braces, recovery after errors), the node-type registry, QvGroup with
// its children, the program-wide dictionary of node names (kept in the
// reader's name tables, vrml/qvnames.h), QvDB (the entry the parse entry
// points call once per top-level node) and QvNodePath, the guard with which
// every walk over the node graph passes over cycles.
//
// Ownership: nodes are reference counted. Whoever receives a node from
// QvDB::read owns one reference and gives it back with unref(); a group owns
// one reference to each child; an input holds one reference to each DEF'd
// node until it is destroyed. A "USE" of a node from inside its own DEF body
// makes a cycle; that one edge holds no reference, so every node is freed
// exactly once.
// It does not own the node classes themselves (vrml/qvnodes.h), the fields
// (vrml/qvfield.h), nor the conversion of nodes into scene objects.
#ifndef LUMENFOLD_VRML_QVNODE_H
#define LUMENFOLD_VRML_QVNODE_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <new>

#include "vrml/qvfield.h"
#include "vrml/qvstring.h"

class QvInput;
class QvSFEnum;
struct ZmUrlHash;

// One named value of an enumeration or bit-mask type.
struct QvEnumValue {
  const char* name;
  int32_t value;
};

class QvNode {
 public:
  static constexpr int32_t kMaxFieldsInOrder = 30;
  // Deepest nesting of node bodies, and longest chain of children, that the
  // reader accepts; walks over the graph recurse at most this deep.
  static constexpr int32_t kMaxDepth = 400;

  QvNode(const QvNode&) = delete;
  QvNode& operator=(const QvNode&) = delete;

  // Nodes made while a file is parsed are carved from that parse's slab
  // (QvParseSession::nodeSlab) and given back with it; others come from
  // the heap.
  static void* operator new(size_t size);
  static void* operator new(size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* node) noexcept;

  void ref() { ++refCount; }
  // Gives back one reference; the node is deleted with the last one.
  void unref();
  int32_t getRefCount() const { return refCount; }

  virtual QvFieldData* getFieldData() const = 0;
  // The type name the registry knows the class by ("Cube", "Separator", ...).
  virtual const char* getTypeName() const = 0;
  // Reads everything between the braces.
  virtual bool readContents(QvInput* in);

  const QvName& getName() const;
  void setName(const QvName& newName);
  static void addName(QvNode* node, const char* key);
  static void removeName(QvNode* node, const char* key);
  void addFieldInOrder(QvField* field);
  // Gives the node a field made from a "fields" declaration; the node owns it.
  void addDeclaredField(const QvName& name, QvField* field);

  static void init();
  // One node, "NULL" or "USE name"; the node comes with one reference.
  static bool readNode(QvInput* in, QvNode*& node);
  // A new node of the named type (no reference taken yet), or null.
  static QvNode* newNodeOfType(const QvName& typeName);
  // The nodes that currently carry the name, in naming order, or null.
  static const QvPList* findNodesByName(const char* key);
  static void postWarning(long line, const char* typeName, const char* text);

  QvChildList* children = nullptr;  // made by QvGroup
  bool isBuiltIn = false;
  QvName* objName = nullptr;
  QvField* fieldsInOrder[kMaxFieldsInOrder] = {};
  int32_t numFieldsInOrder = 0;
  long lineNum;           // line on which the node's "{" was read
  ZmUrlHash* fileEntry;   // the input's file entry when the node was made
  int32_t height = 0;     // longest chain of counted children below the node

 protected:
  QvNode();
  virtual ~QvNode();
  // Helpers of the node-class pattern: the class table is made by the first
  // instance, which also registers the fields.
  static bool beginClass(QvFieldData*& classData, bool& firstInstance);
  void registerField(QvFieldData* classData, bool first, const char* name, QvField* field);
  template <size_t N>
  void registerEnums(QvFieldData* classData, bool first, const char* typeName,
                     const QvEnumValue (&values)[N], std::initializer_list<QvSFEnum*> fields) {
    registerEnums(classData, first, typeName, values, static_cast<int>(N), fields);
  }
  void registerEnums(QvFieldData* classData, bool first, const char* typeName,
                     const QvEnumValue* values, int count, std::initializer_list<QvSFEnum*> fields);
  // Reads a "fields" declaration when one comes next; false (reported) when
  // it is malformed.
  bool readFieldDeclaration(QvInput* in);
  // The class table, unless a "fields" declaration gave this node its own.
  QvFieldData* ownOr(QvFieldData* classData) const { return ownFieldData ? ownFieldData : classData; }

 private:
  friend class QvGroup;
  static bool readUseReference(QvInput* in, QvNode*& node);
  static bool readDefinedNode(QvInput* in, const QvName& name, QvNode*& node);
  static bool readNodeBody(QvInput* in, const QvName& typeName, const QvName& defName, QvNode*& node);
  static void skipToMatchingBrace(QvInput* in);

  int32_t refCount = 0;
  bool beingRead = false;               // its body is being read (a USE of it closes a cycle)
  QvFieldData* ownFieldData = nullptr;  // table of declared fields, owned
  QvPList declaredFields;               // QvField* made from a declaration, owned
};

class QvGroup : public QvNode {
 public:
  QvGroup();
  QvFieldData* getFieldData() const override;
  const char* getTypeName() const override { return "Group"; }
  bool readContents(QvInput* in) override;

  QvNode* getChild(int32_t index) const { return (*children)[index]; }
  int32_t getNumChildren() const { return children ? children->getLength() : 0; }
  virtual QvChildList* getChildList() const { return children; }
  virtual bool readChildNodes(QvInput* in);
  // Appends a child and takes over the caller's reference. False (reported)
  // when the child would nest the graph deeper than kMaxDepth or memory ran
  // out; the reference is then given back.
  bool appendChild(QvInput* in, QvNode* child);

 protected:
  ~QvGroup() override;
  // An optional "fields" declaration, the fields, then the children. With
  // errorOnUnknownField an unknown name is an error; otherwise it starts the
  // first child.
  bool readFieldsThenChildren(QvInput* in, bool declarationAllowed, bool errorOnUnknownField);

 private:
  static QvFieldData* fieldData;
  static bool firstInstance;
  QvPList uncountedChildren;  // children reached by a cycle, holding no reference
};

class QvDB {
 public:
  static void init();
  // TRUE with a node (one top-level node read, one reference for the
  // caller), TRUE with null (nothing more), or FALSE with null (a node read
  // before the failure is released).
  static bool read(QvInput* in, QvNode*& node);
};

// The nodes on the current path of a depth-first walk. A walk enters each
// node before going below it and leaves it afterwards; a node met again
// while it is on the path closes a cycle and is passed over with a warning.
class QvNodePath {
 public:
  // False (with the warning) when the node is already on the path.
  bool enter(const QvNode* node, const char* walker);
  void leave();
  int32_t getDepth() const { return path.getLength(); }

 private:
  QvPList path;
};

#endif
