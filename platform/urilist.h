// platform/urilist.h -- the files that a "text/uri-list" names, as a
// drag-and-drop source offers what it drags.
//
// Owns: reading such a list (one URI a line, lines ending in CR LF or LF,
// lines that start with '#' are comments) into the local paths of its
// "file:" URIs. It does not own the exchange that brings the list (the X
// presenter's drag-and-drop target) nor what is done with the files
// (dialogs.h posts them as WM_DROPFILES).
//
// The list comes from another program, so everything is bounded: the
// list's length, the number of files and the length of each path.
#ifndef LUMENFOLD_PLATFORM_URILIST_H
#define LUMENFOLD_PLATFORM_URILIST_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr size_t kMaxUriListBytes = 256 * 1024;
constexpr size_t kMaxUriListFiles = 256;
constexpr size_t kMaxUriListPath = 4095;  // bytes, as the system's path limit allows

// Fills *paths with the decoded paths of the list's local file URIs, in
// order: "file:///p", "file:/p", and "file://host/p" when the host is
// "localhost" or this machine's name. URIs of other schemes and files of
// other hosts are skipped; a query or fragment is not part of the path.
//
// False, with *paths empty, when the list is malformed: longer than
// kMaxUriListBytes, a line with a control character or without a scheme, a
// percent escape without two hex digits or one that gives a NUL byte, a file
// URI whose path is not absolute or decodes longer than kMaxUriListPath,
// more than kMaxUriListFiles files. A well-formed list may name no file.
bool parseFileUriList(std::string_view list, std::vector<std::string>* paths);

}  // namespace platform

#endif
