// loading/filetype.h -- file types, MIME types, URL resolution and the
// post-processing of fetched files.
//
// Owns: the type code of a name (by its extension) and of a MIME text; URL
// schemes; resolving a relative URL against a document's URL; turning
// "file:" URLs into local paths and back (a name from a world or a URL may
// use '\' and any letter case: it resolves to '/' and, when the exact name
// does not exist, to a case-insensitive match in its folder); naming the
// output of unpacking and conversion; and post-processing (gzip files
// unpacked by Decompress, GIF and JPEG images converted to BMP), so that
// the rest of the program sees only plain formats. It does not own the
// image decoders (gif.h, jpeg.h) or the gzip runner (gzip.h).
//
// The conversions returning `const char*` answer in a buffer of their own
// that the next call overwrites; callers copy what they keep.
#ifndef LUMENFOLD_LOADING_FILETYPE_H
#define LUMENFOLD_LOADING_FILETYPE_H

#include <cstddef>
#include <cstdint>

enum ZmFileType : uint32_t {
  ZM_FILE_BMP = 0,
  ZM_FILE_RAS = 1,
  ZM_FILE_AVI = 2,
  ZM_FILE_WAV = 3,
  ZM_FILE_WRL = 4,
  ZM_FILE_TCL = 5,
  ZM_FILE_WKN = 6,
  ZM_FILE_JPEG = 7,
  ZM_FILE_GIF = 8,
  ZM_FILE_GZ = 9,
  ZM_FILE_LZH = 10,
  ZM_FILE_UNKNOWN = 11,
};

enum ZmUrlScheme {
  ZM_SCHEME_FILE = 0,
  ZM_SCHEME_HTTP = 1,
  ZM_SCHEME_OTHER = 2,
  ZM_SCHEME_NONE = 3,  // a relative URL
};

// Placement flags of post-processing: the scheme code of the URL a file came
// from, or ZM_PLACE_FETCHED for a file the browser handed over.
enum {
  ZM_PLACE_LOCAL = 0,    // output into the user folder; source kept
  ZM_PLACE_FETCHED = 1,  // output beside the source; source deleted
};

enum {
  ZM_URL_BUFFER_SIZE = 512,   // resolved URL, file URL, local path
  ZM_NAME_BUFFER_SIZE = 256,  // an unpacked file's name
};

// Type code by the extension after the last '.' at index 1 or later,
// ignoring case; ZM_FILE_UNKNOWN without one.
uint32_t zmGetFileType(const char* name);
// Of "name.ext.gz": the type of "ext", matched case-sensitively; an inner
// "lzh", or fewer than two dots, is ZM_FILE_UNKNOWN.
uint32_t zmGetGzInnerFileType(const char* name);
// The MIME text of a name's type code ("x-world/x-vrml"), null for unknown.
const char* zmGetMimeTextOfFile(const char* name);
// The type code of a MIME text (exact match), ZM_FILE_UNKNOWN when unknown.
uint32_t zmGetFileTypeOfMime(const char* mime);
// ZM_SCHEME_* of the text before the first ':', ignoring case.
int zmGetUrlScheme(const char* url);

/*
 * zmDdeParseAnchor --
 *   Resolves `url` against the document URL `base`: a URL with a scheme is
 *   returned as it is; "/x" replaces the base's path after its host; any
 *   other is taken relative to the base's folder, each leading "../" one
 *   folder up.
 * Results:
 *   `url` itself, or the resolved URL in a buffer of ZM_URL_BUFFER_SIZE;
 *   null after the warning "zmDdeParseAnchor: absolute : %s, relative :
 *   %s\n" when the base has too few folders or the result would not fit.
 */
const char* zmDdeParseAnchor(const char* base, const char* url);

/*
 * zmFileUrlToPath --
 *   The local path of a "file://" URL: "%XX" decoded, '\' read as '/',
 *   "file:///X|/..." and "file:////..." taken as "/...", and the name
 *   resolved case-insensitively when it does not exist as written.
 * Results:
 *   The path in a buffer of ZM_URL_BUFFER_SIZE; null when the URL is not a
 *   "file:" URL or the path does not fit.
 */
const char* zmFileUrlToPath(const char* url);
// "file://" followed by the path ('\' written as '/', '%' as "%25" so that
// the path reads back unchanged); null when it does not fit the buffer.
const char* zmMakeFileUrl(const char* path);

/*
 * zmResolveLocalName --
 *   Rewrites `path` in place: '\' becomes '/', and when the name does not
 *   exist, each component that does not exist as written is replaced by
 *   the first entry of its folder that matches it ignoring case.
 * Results:
 *   1 when the (resolved) name exists, else 0 (the path then keeps the
 *   components resolved so far).
 */
int zmResolveLocalName(char* path);

// The folder that receives the program's own output files, with a trailing
// '/': $LUMENFOLD_HOME/, else $XDG_DATA_HOME/lumenfold/, else
// $HOME/.local/share/lumenfold/; made when missing. Its length; 0 (buffer
// emptied) when it cannot be had, made, or fit in `size`.
int zmGetUserDirName(char* buffer, size_t size);

/*
 * zmMakeFilenameFromMime --
 *   The name of the file that unpacking or converting `source` into `type`
 *   produces: placement ZM_PLACE_LOCAL puts the source's base name into the
 *   user folder, any other keeps its folder; the last extension gives way
 *   to the type's (".wrl", ".bmp", ...; none for ras, gz, lzh, unknown).
 * Results:
 *   `out`; null after the error "zmMakeFilenameFromMime: zmGetModuleDirName
 *   failed" or "zmMakeFilenameFromMime: invalid filename", or when the name
 *   does not fit in `outSize`.
 */
char* zmMakeFilenameFromMime(int placement, const char* source, char* out, size_t outSize, uint32_t type);

/*
 * zmConvertImage --
 *   Converts a GIF (type 8) or JPEG (type 7) image into a BMP file named by
 *   zmMakeFilenameFromMime; with ZM_PLACE_FETCHED the source is deleted
 *   whatever the outcome.
 * Results:
 *   0 with the BMP's name in `out`; -1 (no output file left behind).
 */
int zmConvertImage(int placement, const char* source, char* out, size_t outSize, uint32_t type);

/*
 * zmPreProcessFile --
 *   Makes a fetched file usable: gzip files are unpacked (the unpacked name
 *   takes `type` as its extension when it has none) and GIF or JPEG images,
 *   also unpacked ones, are converted to BMP; any other file is used as it
 *   is. With ZM_PLACE_FETCHED each consumed source is deleted.
 * Results:
 *   0 with the name of the file to use in `out`; -1 after the reports of the
 *   failing step.
 */
int zmPreProcessFile(int placement, const char* source, char* out, size_t outSize, uint32_t type);

#endif
