// vrml/qvinput.cpp -- header check, characters, comments and token readers.
#include "vrml/qvinput.h"

#include <locale.h>

#include <cerrno>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "vrml/hooks.h"
#include "core/report.h"
#include "vrml/qvnode.h"
#include "vrml/qvreaderror.h"

namespace {

struct HeaderRow {
  const char* text;
  float version;
};
constexpr HeaderRow kHeaders[] = {{"#VRML V1.0 ascii", 1.0f}};

// Character classes of the POSIX locale on the byte value.
bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isHexDigit(int c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isAlnum(int c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

locale_t cLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

// The text of a number being read, bounded; overflow is remembered so the
// reader can refuse the number once its run of characters has been consumed.
class QvInput::NumberText {
 public:
  void add(char c) {
    if (length < kMaxNumberText) text[length++] = c;
    else overflow = true;
  }
  const char* c_str() {
    text[length] = '\0';
    return text;
  }
  bool overflow = false;

 private:
  char text[kMaxNumberText + 1];
  int length = 0;
};

QvInput::QvInput(const char* name, FILE* stream) : refDict(251) {
  init(stream);
  if (setFileName(name) != 0) zmReportMessage("QvInput::QvInput(): setFileName() failed.");
}

QvInput::~QvInput() {
  refDict.forEach([](uintptr_t, void* node) { static_cast<QvNode*>(node)->unref(); });
}

void QvInput::init(FILE* stream) {
  fp = stream;
  lineNum = 1;
  version = 1.0f;
  readHeader = false;
  headerOk = true;
  backBufIndex = -1;
  blockPos = blockEnd = 1;
  atEnd = false;
}

int QvInput::setFileName(const char* name) {
  if (name == nullptr) {
    fileEntry = nullptr;
    zmReportWarning("%s: %s", "QvInput::setFileName()", "argument pointer to filename is null.");
    return -1;
  }
  fileName = name;
  if (!zmHasUrlEntries()) {
    fileEntry = nullptr;
    return 0;
  }
  fileEntry = vrmlLoading().wwwLoadFile(name);
  if (fileEntry == nullptr) {
    zmReportMessage("%s: %s", "QvInput::setFileName()", "zmWwwLoadFile() failed.");
    return -1;
  }
  return 0;
}

const char* QvInput::getCurFileName() const {
  if (fileEntry) return vrmlLoading().getUrl(fileEntry);
  if (!zmHasUrlEntries() && fileName.getString()[0] != '\0')
    return fileName.getString();
  return nullptr;
}

float QvInput::getVersion() {
  if (!readHeader) checkHeader();
  return version;
}

void QvInput::getLocationString(QvString& out) const {
  char text[64];
  std::snprintf(text, sizeof text, "\tOccurred at line %ld", lineNum);
  out = text;
}

// ------------------------------------------------------------- characters

bool QvInput::readByte(int& byte) {
  if (blockPos == blockEnd) {
    if (atEnd || fp == nullptr) {
      atEnd = true;
      return false;
    }
    size_t got = std::fread(block + 1, 1, kBlockSize, fp);
    if (got == 0) {
      atEnd = true;
      return false;
    }
    blockPos = 1;
    blockEnd = 1 + static_cast<int>(got);
  }
  byte = block[blockPos++];
  return true;
}

bool QvInput::getSlow(char& c) {
  if (backBufIndex >= 0) {
    char next = backBuf.getString()[backBufIndex++];
    if (next != '\0') {
      c = next;
      return true;
    }
    backBuf.makeEmpty(true);
    backBufIndex = -1;
  }
  if (!readHeader && !checkHeader()) return false;
  int byte;
  do {
    if (!readByte(byte)) {
      c = kQvEndOfInput;
      QvReadError::setLevel(kQvEndOfInputLevel);
      return false;
    }
  } while (byte == '\r');
  c = static_cast<char>(byte);
  return true;
}

void QvInput::putBack(char c) {
  if (c == kQvEndOfInput) return;
  if (backBufIndex > 0) {
    --backBufIndex;
    return;
  }
  // Every push-back follows a read, so the byte before blockPos is free.
  if (blockPos == 0) return;
  block[--blockPos] = static_cast<unsigned char>(c);
  atEnd = false;
}

void QvInput::putBack(const char* s) {
  backBuf = s;
  backBufIndex = 0;
}

// ------------------------------------------------------------------ header

bool QvInput::checkHeader() {
  readHeader = true;
  char line[256];
  int length = 0;
  char c = kQvEndOfInput;
  bool gotChar = get(c);
  if (gotChar) {
    while (c != '#') {
      if (!get(c) || isAlnum(static_cast<unsigned char>(c))) break;
    }
    if (c != '#') {
      putBack(c);
    } else {
      line[length++] = c;
      while (get(c) && c != '\n') {
        if (length == 255) {
          zmReportWarning("%s: %s", "QvInput::checkHeader()", "256 buffer size is overflow.");
          break;
        }
        line[length++] = c;
      }
      if (c == '\n') ++lineNum;
    }
  }
  line[length] = '\0';
  version = 0.0f;
  for (const HeaderRow& row : kHeaders)
    if (std::strcmp(row.text, line) == 0) version = row.version;
  if (version != 0.0f) return true;

  QvReadError::post(kQvReadErrorLevel, this,
                    "File does not have a valid header string.\n\tNG:   %s\n\tOK:   %s",
                    length == 0 ? "The header string is not found." : line, kHeaders[0].text);
  headerOk = false;
  return false;
}

// ------------------------------------------------------ white space, tokens

bool QvInput::skipWhiteSpace() {
  if (!readHeader && !checkHeader()) return false;
  // The run of blanks between the values of a long list, without a call per
  // byte; carriage returns, comments and the block's end take the loop below.
  if (backBufIndex < 0) {
    for (; blockPos < blockEnd && block[blockPos] != '\r' && isSpace(block[blockPos]); ++blockPos)
      if (block[blockPos] == '\n') ++lineNum;
    if (blockPos < blockEnd && block[blockPos] != '\r' && block[blockPos] != '#') return true;
  }
  char c = kQvEndOfInput;
  for (;;) {
    bool got;
    while ((got = get(c)) && isSpace(static_cast<unsigned char>(c)))
      if (c == '\n') ++lineNum;
    if (!got) return true;
    if (c != '#') {
      putBack(c);
      return true;
    }
    while (get(c) && c != '\n') {
    }
    if (eof()) {
      QvReadError::post(kQvReadErrorLevel, this, "EOF reached before end of comment");
      QvReadError::setLevel(kQvEndOfInputLevel);
    } else {
      ++lineNum;
    }
  }
}

bool QvInput::read(char& c) { return skipWhiteSpace() && get(c); }

bool QvInput::read(QvString& s) {
  if (!skipWhiteSpace()) return false;
  s.makeEmpty(true);
  char c = kQvEndOfInput;
  if (!get(c)) return false;
  bool quoted = c == '"';
  if (!quoted) putBack(c);

  char chunk[256];
  int length = 0;
  auto store = [&](char ch) {
    if (length == 255) {
      chunk[length] = '\0';
      s += chunk;
      length = 0;
    }
    chunk[length++] = ch;
  };
  while (get(c)) {
    if (quoted) {
      if (c == '"') break;
      if (c == '\\') {
        char next;
        if (get(next) && next == '"') {
          store('"');
          continue;
        }
        putBack(next);
      }
      if (c == '\n') ++lineNum;
    } else if (isSpace(static_cast<unsigned char>(c))) {
      putBack(c);
      break;
    }
    store(c);
  }
  chunk[length] = '\0';
  s += chunk;
  return true;
}

bool QvInput::read(QvName& n, bool validIdent) {
  if (!validIdent) {
    QvString text;
    if (!read(text)) return false;
    n = QvName(text);
    return true;
  }
  if (!skipWhiteSpace()) return false;
  char name[256];
  int length = 0;
  char c = kQvEndOfInput;
  if (get(c) && QvName::isIdentStartChar(static_cast<unsigned char>(c))) {
    name[length++] = c;
    while (get(c) && QvName::isIdentChar(static_cast<unsigned char>(c))) {
      if (length == 255) {
        zmReportWarning("%s : %s", "QvInput::read()", "buffer 256 size is overflow.");
        break;
      }
      name[length++] = c;
    }
  }
  putBack(c);
  name[length] = '\0';
  n = QvName(name);
  return true;
}

// ---------------------------------------------------------------- numbers

bool QvInput::readChar(NumberText& text, char ch) {
  char c = kQvEndOfInput;
  if (get(c) && c == ch) {
    text.add(c);
    return true;
  }
  putBack(c);
  return false;
}

int QvInput::readDigits(NumberText& text) {
  int count = 0;
  char c = kQvEndOfInput;
  while (get(c) && isDigit(static_cast<unsigned char>(c))) {
    text.add(c);
    ++count;
  }
  putBack(c);
  return count;
}

int QvInput::readHexDigits(NumberText& text) {
  int count = 0;
  char c = kQvEndOfInput;
  while (get(c) && isHexDigit(static_cast<unsigned char>(c))) {
    text.add(c);
    ++count;
  }
  putBack(c);
  return count;
}

bool QvInput::readUnsignedIntegerString(NumberText& text) {
  if (readChar(text, '0')) {
    if (readChar(text, 'x')) return readHexDigits(text) > 0;
    readDigits(text);
    return true;
  }
  return readDigits(text) > 0;
}

bool QvInput::numberFits(const NumberText& text) {
  if (!text.overflow) return true;
  QvReadError::post(kQvReadErrorLevel, this, "Number text longer than %d characters",
                    kMaxNumberText);
  return false;
}

// Most integers of a world are short decimals (coordinate indices): those
// are converted here, without a library call. A sign, then 1 to 18 digits
// not starting with 0 (which would be octal), cannot overflow a long.
static bool plainDecimal(const char* text, long* value) {
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  if (*text < '1' || *text > '9') return false;
  long magnitude = 0;
  int digits = 0;
  for (; digits < 18 && *text >= '0' && *text <= '9'; ++text, ++digits) magnitude = magnitude * 10 + (*text - '0');
  if (*text != '\0') return false;  // longer, or not a number of this form
  *value = negative ? -magnitude : magnitude;
  return true;
}

// The numbers of a world's long lists lie whole inside the block in their
// plain forms; those are scanned there and converted at once. Whatever else
// (a number running into the next block, a leading 0 that makes octal or
// hex, a carriage return the byte reader would drop, text that is no number)
// is left unread for the character-by-character readers, which give the
// same values and the errors.
namespace {

const unsigned char* skipSign(const unsigned char* at, const unsigned char* end) {
  return at < end && (*at == '-' || *at == '+') ? at + 1 : at;
}

const unsigned char* skipDigits(const unsigned char* at, const unsigned char* end) {
  while (at < end && isDigit(*at)) ++at;
  return at;
}

// A scanned number may end the read only with a byte that the character
// readers would also stop at.
bool endsInBlock(const unsigned char* at, const unsigned char* end) { return at < end && *at != '\r'; }

}  // namespace

bool QvInput::readIntegerInBlock(long& l) {
  if (!readingBlock()) return false;
  const unsigned char* begin = block + blockPos;
  const unsigned char* end = block + blockEnd;
  const unsigned char* at = skipSign(begin, end);
  if (at == end || !isDigit(*at)) return false;
  if (*at == '0') {  // alone it is zero; followed by digits or x, octal or hex
    if (!endsInBlock(at + 1, end) || isDigit(at[1]) || at[1] == 'x') return false;
    l = 0;
    blockPos = static_cast<int>(at + 1 - block);
    return true;
  }
  const unsigned char* digitsEnd = skipDigits(at, end);
  if (digitsEnd - at > 18 || !endsInBlock(digitsEnd, end)) return false;
  long magnitude = 0;
  for (const unsigned char* d = at; d < digitsEnd; ++d) magnitude = magnitude * 10 + (*d - '0');
  l = *begin == '-' ? -magnitude : magnitude;
  blockPos = static_cast<int>(digitsEnd - block);
  return true;
}

bool QvInput::readRealInBlock(double& d) {
  if (!readingBlock()) return false;
  const unsigned char* begin = block + blockPos;
  const unsigned char* end = block + blockEnd;
  const unsigned char* at = skipSign(begin, end);
  const unsigned char* whole = at;
  at = skipDigits(at, end);
  long digits = at - whole;
  if (at < end && *at == '.') {
    const unsigned char* fraction = ++at;
    at = skipDigits(at, end);
    digits += at - fraction;
  }
  if (digits == 0) return false;
  if (at < end && (*at == 'e' || *at == 'E')) {
    at = skipSign(at + 1, end);
    const unsigned char* exponent = at;
    at = skipDigits(at, end);
    if (at == exponent) return false;
  }
  if (!endsInBlock(at, end) || at - begin > kMaxNumberText) return false;
  const char* text = reinterpret_cast<const char*>(*begin == '+' ? begin + 1 : begin);
  if (std::from_chars(text, reinterpret_cast<const char*>(at), d).ec != std::errc()) return false;
  blockPos = static_cast<int>(at - block);
  return true;
}

bool QvInput::readInteger(long& l) {
  if (readIntegerInBlock(l)) return true;
  NumberText text;
  if (!readChar(text, '-')) readChar(text, '+');
  if (!readUnsignedIntegerString(text) || !numberFits(text)) return false;
  if (plainDecimal(text.c_str(), &l)) return true;
  errno = 0;
  l = std::strtol(text.c_str(), nullptr, 0);
  if (errno) zmReportMessage("QvInput::readInteger(): strtol() returns %d error.", errno);
  return true;
}

bool QvInput::readUnsignedInteger(unsigned long& l) {
  NumberText text;
  if (!readUnsignedIntegerString(text) || !numberFits(text)) return false;
  errno = 0;
  l = std::strtoul(text.c_str(), nullptr, 0);
  if (errno) zmReportMessage("QvInput::readUnsignedInteger() : strtoul() returns %d error.", errno);
  return true;
}

bool QvInput::readReal(double& d) {
  if (readRealInBlock(d)) return true;
  NumberText text;
  if (!readChar(text, '-')) readChar(text, '+');
  int digits = readDigits(text);
  if (readChar(text, '.')) digits += readDigits(text);
  if (digits == 0) return false;
  if (readChar(text, 'e') || readChar(text, 'E')) {
    if (!readChar(text, '-')) readChar(text, '+');
    if (readDigits(text) == 0) return false;
  }
  if (!numberFits(text)) return false;
  // from_chars is exact and locale-free; the rare out-of-range text goes
  // through strtod for the value and the errno that atof would have given.
  const char* begin = text.c_str();
  const char* end = begin + std::strlen(begin);
  if (*begin == '+') ++begin;
  if (std::from_chars(begin, end, d).ec == std::errc()) return true;
  errno = 0;
  d = strtod_l(text.c_str(), nullptr, cLocale());
  if (errno) zmReportMessage("QvInput::readReal(): atof() returns %d error.", errno);
  return true;
}

bool QvInput::read(int& i) {
  long l;
  if (!skipWhiteSpace() || !readInteger(l)) return false;
  i = static_cast<int>(l);
  return true;
}

bool QvInput::read(unsigned int& i) {
  unsigned long l;
  if (!skipWhiteSpace() || !readUnsignedInteger(l)) return false;
  i = static_cast<unsigned int>(l);
  return true;
}

bool QvInput::read(short& s) {
  long l;
  if (!skipWhiteSpace() || !readInteger(l)) return false;
  s = static_cast<short>(l);
  return true;
}

bool QvInput::read(unsigned short& s) {
  unsigned long l;
  if (!skipWhiteSpace() || !readUnsignedInteger(l)) return false;
  s = static_cast<unsigned short>(l);
  return true;
}

bool QvInput::read(long& l) { return skipWhiteSpace() && readInteger(l); }

bool QvInput::read(unsigned long& l) { return skipWhiteSpace() && readUnsignedInteger(l); }

bool QvInput::read(double& d) { return skipWhiteSpace() && readReal(d); }

bool QvInput::read(float& f) {
  double d;
  if (!read(d)) return false;
  if (std::isfinite(d) && std::fabs(d) > FLT_MAX) d = d > 0 ? HUGE_VAL : -HUGE_VAL;
  f = static_cast<float>(d);
  return true;
}

// ------------------------------------------------------------- references

void QvInput::addReference(const QvName& name, QvNode* node) {
  void* old = nullptr;
  refDict.find(name.key(), old);
  node->ref();
  if (!refDict.enter(name.key(), node) && old == nullptr) {
    node->unref();  // no memory for the entry: the dictionary holds nothing
  } else if (old) {
    static_cast<QvNode*>(old)->unref();
  }
  node->setName(name);
}

QvNode* QvInput::findReference(const QvName& name) const {
  void* node = nullptr;
  refDict.find(name.key(), node);
  return static_cast<QvNode*>(node);
}

int QvInput::isDataInFile() {
  int byte;
  for (;;) {
    if (!readByte(byte)) return 0;
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')) break;
    if (byte == '#') {
      // The whole comment line is skipped, however long: a word in it is no node.
      do {
        if (!readByte(byte)) return 0;
      } while (byte != '\n');
    }
  }
  --blockPos;  // the letter is read again by the next token
  return 1;
}
