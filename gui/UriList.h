// Reads text/uri-list payloads, the form file managers hand over dropped files
// in. Pure functions on bytes, callable from any thread.
//
// Lines end in CRLF or LF; blank lines and lines starting with '#' are skipped;
// the payload ends at its first NUL (some sources send one). Every other line
// is one item. An item names a local file when it is a file URI without a
// host ("file:///p" or "file:/p"), with host "localhost", or with this
// machine's own host name; its path is then percent-decoded, UTF-8 bytes kept
// as they are. A '%' not followed by two hex digits stays literal (sloppy
// sources leave '%' in names unescaped); "%00" refuses the item, since no path
// holds a NUL. '?' and '#' are kept as part of the path: conforming sources
// escape them, and sloppy ones mean them literally.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class UriList {
 public:
  // Every item in order: its local path, or an empty string for an item that
  // does not name a local file (http:, file://otherhost/, malformed).
  static std::vector<std::string> Parse(std::string_view payload);
  // The local path one URI names; empty when it names none.
  static std::string LocalPath(std::string_view uri);
};
