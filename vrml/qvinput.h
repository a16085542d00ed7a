// vrml/qvinput.h -- the character source of the VRML reader.
//
// Owns: QvInput, which reads one open VRML 1.0 ascii file: the check of the
// header line, single characters with push-back, white space and "#"
// comments, the line number, the token readers (characters, strings, names,
// integers, reals), and the dictionary of the DEF names seen in the file.
// Each DEF'd node is held by the dictionary (one reference) until the input
// is destroyed, so a USE never finds a freed node.
// It does not own the stream (the caller opens and closes it), nor the
// node reading above the token level (vrml/qvnode.h), nor the reporting of
// read errors (vrml/qvreaderror.h).
#ifndef LUMENFOLD_VRML_QVINPUT_H
#define LUMENFOLD_VRML_QVINPUT_H

#include <cstdint>
#include <cstdio>

#include "vrml/qvstring.h"

struct ZmUrlHash;
class QvNode;

// The character value that stands for the end of input.
constexpr char kQvEndOfInput = static_cast<char>(0xFF);

class QvInput {
 public:
  // Longest number text the readers accept; a longer one is a read error.
  static constexpr int kMaxNumberText = 127;

  QvInput(const char* fileName, FILE* fp);
  ~QvInput();
  QvInput(const QvInput&) = delete;
  QvInput& operator=(const QvInput&) = delete;

  void init(FILE* fp);
  // 0, or -1 (reported) for a null name or when no URL entry could be made.
  int setFileName(const char* fileName);

  ZmUrlHash* getCurFile() const { return fileEntry; }
  // The URL of the file's entry, or the file name itself when the loading
  // layer keeps no URL table; null when there is neither.
  const char* getCurFileName() const;
  long getLineNum() const { return lineNum; }
  float getVersion();
  void getLocationString(QvString& out) const;

  bool eof() const { return atEnd; }
  bool get(char& c) {
    // The common case inline: a plain byte of the current block.
    if (backBufIndex < 0 && readHeader && blockPos < blockEnd && block[blockPos] != '\r') {
      c = static_cast<char>(block[blockPos++]);
      return true;
    }
    return getSlow(c);
  }
  void putBack(char c);
  void putBack(const char* s);
  bool skipWhiteSpace();

  bool read(char& c);
  bool read(QvString& s);
  bool read(QvName& n, bool validIdent = false);
  bool read(int& i);
  bool read(unsigned int& i);
  bool read(short& s);
  bool read(unsigned short& s);
  bool read(long& l);
  bool read(unsigned long& l);
  bool read(float& f);
  bool read(double& d);

  // Enters the name with the node (a second DEF of a name replaces the
  // first), takes a reference to the node, and names the node.
  void addReference(const QvName& name, QvNode* node);
  QvNode* findReference(const QvName& name) const;

  // 1 when another node may follow, 0 at the end of the file.
  int isDataInFile();

  // Depth of node bodies being read, so the reader can refuse nesting that
  // would exhaust the stack.
  int nestingDepth = 0;

 private:
  bool checkHeader();
  bool getSlow(char& c);
  bool readByte(int& byte);  // next stream byte; false at the end
  bool readInteger(long& l);
  bool readUnsignedInteger(unsigned long& l);
  bool readReal(double& d);
  // The block's bytes from blockPos, when no pushed-back text comes first.
  bool readingBlock() const { return backBufIndex < 0 && readHeader; }
  bool readIntegerInBlock(long& l);
  bool readRealInBlock(double& d);

  class NumberText;
  bool readUnsignedIntegerString(NumberText& text);
  bool readChar(NumberText& text, char ch);
  int readDigits(NumberText& text);
  int readHexDigits(NumberText& text);
  bool numberFits(const NumberText& text);

  ZmUrlHash* fileEntry = nullptr;  // the file's URL-table entry, or null
  FILE* fp = nullptr;              // the open file; the caller's
  long lineNum = 1;                // number of the line being read
  float version = 1.0f;            // found by the header check
  bool readHeader = false;         // the header check has run
  bool headerOk = true;            // false after a failed header check
  QvDict refDict;                  // DEF name key -> QvNode*, one reference each
  QvString backBuf;                // text pushed back as a whole string
  int32_t backBufIndex = -1;       // next character of backBuf; -1 = none
  QvString fileName;               // the name given, shown when there is no URL table

  // The stream is read in blocks; byte 0 of the block keeps room for one
  // pushed-back character, so a push-back never needs the stream.
  static constexpr int kBlockSize = 64 * 1024;
  unsigned char block[kBlockSize + 1];
  int blockPos = 1;
  int blockEnd = 1;
  bool atEnd = false;              // the stream's end-of-file indicator

  friend class QvNode;
};

#endif
