// vrml/urlbase.h -- where the names written in an inlined world point.
//
// Owns: the URLs of the inline files being read (innermost last, kept in
// the parse session so a parse started from a hook begins without them), and the
// resolution of a name found in one of them against that file's URL, so
// that an inline, texture or anchor name inside an inlined world is found
// beside the file that names it. Names in the top world are left as they
// are written: the fetch resolves them against the world itself.
// It does not own the URL table nor the fetching (the loading layer behind
// the core's hooks), nor the inline objects (vrml/wwwnodes.h).
#ifndef LUMENFOLD_VRML_URLBASE_H
#define LUMENFOLD_VRML_URLBASE_H

#include <string>

// Brackets the reading of an inline file whose URL (as registered) is url.
void qvPushBaseUrl(const std::string& url);
void qvPopBaseUrl();

/*
 * qvResolveUrl --
 *   The name as the URL table should know it. Outside inline files, and
 *   for a name with a scheme ("http:", "file:", a drive letter), the name
 *   itself. A name beginning with '/' keeps the scheme and host of the base
 *   when it has them. Any other name is taken from the base's folder, '\'
 *   counting as '/', with "./" and "folder/../" steps removed; "../" steps
 *   that climb above a relative base stay, for the fetch to resolve.
 */
std::string qvResolveUrl(const char* name);

#endif
