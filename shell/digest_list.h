// The digest list format of md5.ini and of the export file: one
// name "=" digest line per file, each ended by CR LF. Portable.
#pragma once

#include <vector>

#include "services/text.h"

struct DigestListEntry {
  Text path;    // program directory + "\" + name
  Text digest;  // compared byte for byte with the shown digest
};

// The usable lines of a digest list, in file order: exactly one "=" and a
// non-empty digest; nothing trimmed; bytes after the first NUL ignored.
std::vector<DigestListEntry> ParseDigestList(const ByteBuffer& content, const Text& directory);
