// engine/rwxtoken.h -- tokens and numbers of the shape readers.
//
// Owns: cutting a line of a model script into tokens (quoted or plain, a
// newline ending the line's tokens), reading typed arguments from them,
// skipping the rest of a line, and the conversions of a word into an
// integer or a float that every shape reader uses. The conversions follow
// the C library's "%d" and "%lf" (leading blanks and sign, longest numeric
// prefix) but never the process locale.
// It does not own what the tokens mean (engine/rwxscript.h) nor the
// geometry file formats (engine/shapefile.h).
#ifndef LUMENFOLD_ENGINE_RWXTOKEN_H
#define LUMENFOLD_ENGINE_RWXTOKEN_H

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

// Room of an "s" argument: 99 characters and the terminator.
constexpr size_t rwArgumentWordSize = 100;

// 1 and the value when the word starts with a number.
int RwParseInteger(const char* word, int32_t* out);
int RwParseFloat(const char* word, float* out);
// The same, also giving how many characters the number took (0: none).
size_t RwScanFloat(const char* text, float* out);

/*
 * RwReadToken --
 *   Reads one token of the current line into buffer (at most size - 1
 *   characters kept, the rest of the token dropped; always terminated). A
 *   double quote starts a quoted token up to the closing quote or the line's
 *   end, in which a backslash makes the next character literal. The newline
 *   that ends a line is never consumed.
 * Results:
 *   1 for a non-empty token, 0 for an empty one (end of line), -1 when the
 *   end of the stream stopped it.
 */
int RwReadToken(std::FILE* stream, char* buffer, size_t size);

/*
 * RwReadArguments --
 *   Reads one token per format letter: "d" into an int32_t*, "f" into a
 *   float*, "s" into a char buffer of rwArgumentWordSize; capitals alike.
 * Results:
 *   How many were stored; reading stops at a missing token, a comment ("#")
 *   or a token that does not convert. Another letter is error 80.
 */
int RwReadArguments(std::FILE* stream, const char* format, ...);

// The readers of one item for each kind of format letter; each says whether
// it stored the item.
struct RwItemReaders {
  bool (*integer)(std::FILE* stream, int32_t* out);
  bool (*real)(std::FILE* stream, float* out);
  bool (*word)(std::FILE* stream, char* out);
};

/*
 * RwReadFormatted --
 *   The format loop shared by the typed readers (RwReadArguments here,
 *   RwReadTypedItems of the geometry reader): per letter, "d", "f" or "s"
 *   (capitals alike), the matching reader fills the next destination.
 * Results:
 *   How many items were stored; the first item not stored ends the loop.
 *   Another letter is error 80.
 */
int RwReadFormatted(std::FILE* stream, const char* format, va_list destinations, const RwItemReaders& readers);

// One integer or float token; 0 when missing, a comment or not a number.
int RwReadIntegerArgument(std::FILE* stream, int32_t* out);
int RwReadFloatArgument(std::FILE* stream, float* out);

// Skips up to and including the next newline, however long the line.
void RwSkipLine(std::FILE* stream);

#endif
