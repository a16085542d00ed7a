// engine/rwxtoken.cpp -- the model-script tokenizer and the number
// conversions.
#include "engine/rwxtoken.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "engine/error.h"

namespace {

// Longest number token that is converted.
constexpr size_t numberTokenSize = 256;

bool isBlank(int c) { return c == ' ' || c == '\r' || c == '\t' || c == '\v'; }
bool isSpace(int c) { return isBlank(c) || c == '\n' || c == '\f'; }

const char* skipSpace(const char* text) {
  while (*text && isSpace(static_cast<unsigned char>(*text))) ++text;
  return text;
}

// Stores c when there is room; the token goes on being read either way.
void keep(char* buffer, size_t size, size_t* length, int c) {
  if (*length + 1 < size) buffer[(*length)++] = static_cast<char>(c);
}

// A quoted token after its opening quote; true when the stream ended it.
bool readQuoted(std::FILE* stream, char* buffer, size_t size, size_t* length) {
  for (;;) {
    int c = std::fgetc(stream);
    if (c == EOF) return true;
    if (c == '"') return false;
    if (c == '\r' || c == '\n') {
      std::ungetc(c, stream);
      return false;
    }
    if (c == '\\') {
      c = std::fgetc(stream);
      if (c == EOF) return true;
    }
    keep(buffer, size, length, c);
  }
}

bool readPlain(std::FILE* stream, int c, char* buffer, size_t size, size_t* length) {
  for (;;) {
    keep(buffer, size, length, c);
    c = std::fgetc(stream);
    if (c == EOF) return true;
    if (isSpace(c)) {
      std::ungetc(c, stream);
      return false;
    }
  }
}

bool isComment(const char* token) { return token[0] == '#'; }

// What the C library gives for a number beyond a double's range: infinity
// when the exponent is large, zero when it is very negative.
double outOfRange(const char* number, const char* stop) {
  const char* exponent = number;
  while (exponent < stop && *exponent != 'e' && *exponent != 'E') ++exponent;
  bool tiny = exponent + 1 < stop && exponent[1] == '-';
  double magnitude = tiny ? 0.0 : HUGE_VAL;
  return *number == '-' ? -magnitude : magnitude;
}

}  // namespace

int RwParseInteger(const char* word, int32_t* out) {
  const char* text = skipSpace(word);
  if (*text == '+' && text[1] != '-') ++text;
  const char* end = text + std::strlen(text);
  auto [stop, error] = std::from_chars(text, end, *out);
  return error == std::errc() && stop != text ? 1 : 0;
}

size_t RwScanFloat(const char* text, float* out) {
  const char* start = skipSpace(text);
  const char* number = *start == '+' && start[1] != '-' ? start + 1 : start;
  const char* end = number + std::strlen(number);
  double value = 0;
  auto [stop, error] = std::from_chars(number, end, value);
  if (stop == number) return 0;
  if (error == std::errc::result_out_of_range) value = outOfRange(number, stop);
  *out = static_cast<float>(value);
  return static_cast<size_t>(stop - text);
}

int RwParseFloat(const char* word, float* out) { return RwScanFloat(word, out) ? 1 : 0; }

int RwReadToken(std::FILE* stream, char* buffer, size_t size) {
  size_t length = 0;
  int c;
  do {
    c = std::fgetc(stream);
  } while (isBlank(c));
  bool ended = c == EOF;
  if (c == '\n') {
    std::ungetc(c, stream);
  } else if (c == '"') {
    ended = readQuoted(stream, buffer, size, &length);
  } else if (!ended) {
    ended = readPlain(stream, c, buffer, size, &length);
  }
  if (size > 0) buffer[length] = '\0';
  if (length > 0) return 1;
  return ended ? -1 : 0;
}

int RwReadIntegerArgument(std::FILE* stream, int32_t* out) {
  char token[numberTokenSize];
  if (RwReadToken(stream, token, sizeof token) != 1 || isComment(token)) return 0;
  return RwParseInteger(token, out);
}

int RwReadFloatArgument(std::FILE* stream, float* out) {
  char token[numberTokenSize];
  if (RwReadToken(stream, token, sizeof token) != 1 || isComment(token)) return 0;
  return RwParseFloat(token, out);
}

int RwReadFormatted(std::FILE* stream, const char* format, va_list destinations, const RwItemReaders& readers) {
  int stored = 0;
  for (const char* letter = format; *letter; ++letter) {
    bool ok = false;
    switch (*letter) {
      case 'd':
      case 'D':
        ok = readers.integer(stream, va_arg(destinations, int32_t*));
        break;
      case 'f':
      case 'F':
        ok = readers.real(stream, va_arg(destinations, float*));
        break;
      case 's':
      case 'S':
        ok = readers.word(stream, va_arg(destinations, char*));
        break;
      default:
        RwSetError(rwErrTypedRead);
        break;
    }
    if (!ok) break;
    ++stored;
  }
  return stored;
}

int RwReadArguments(std::FILE* stream, const char* format, ...) {
  static constexpr RwItemReaders argumentReaders = {
      [](std::FILE* s, int32_t* out) { return RwReadIntegerArgument(s, out) != 0; },
      [](std::FILE* s, float* out) { return RwReadFloatArgument(s, out) != 0; },
      [](std::FILE* s, char* word) { return RwReadToken(s, word, rwArgumentWordSize) == 1 && !isComment(word); },
  };
  va_list destinations;
  va_start(destinations, format);
  const int stored = RwReadFormatted(stream, format, destinations, argumentReaders);
  va_end(destinations);
  return stored;
}

void RwSkipLine(std::FILE* stream) {
  int c;
  do {
    c = std::fgetc(stream);
  } while (c != EOF && c != '\n');
}
