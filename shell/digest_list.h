// Digest lists: md5.ini's name "=" digest lines (each ended by CR LF) and
// md5sum's "<32 hex> *name" / "<32 hex>  name" lines. Portable: the code
// page conversion of UTF-8 names comes in from the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/digest.h"
#include "runs/file_list.h"
#include "services/text.h"

struct DigestListEntry {
  Text path;    // list folder + "\" + name, or the name when it is a full path
  Text digest;  // as the list has it; SameDigest compares it
  // A server's share ("\\\\server", "//server"), a device ("\\\\.\\",
  // "\\\\?\\") or an alternate data stream ("name:stream"): lists come
  // from downloads, and opening a share sends the user's credentials to
  // that server, so such a name is never opened.
  bool refused = false;
  // The name as the list gives it ("\\" for "/", unescaped), in the list's
  // encoding: UTF-8 when `utf8`, else the ANSI code page. The file's path is
  // the list's folder, "\\" and the name when `inFolder`, else the name.
  Text name;
  bool utf8 = false;
  bool inFolder = false;
  std::int32_t line = 0;  // the list's line it stands on, from 1
};

enum class DigestListKind {
  kIni,     // md5.ini: name=digest lines keep their exact old reading first
  kMd5sum,  // any other list: md5sum lines first
};

// UTF-8 name to the ANSI code page. False when some character has no
// counterpart; `ansi` then holds the name with "?" in its place.
using Utf8NameConverter = bool (*)(const Text& utf8, Text* ansi);

// The usable lines of a digest list, in file order; bytes after the first
// NUL ignored.
// kIni: lines end at CR LF; a line with exactly one "=" and a non-empty
// digest is an entry as it stands, nothing converted.
// Every name loses its trailing spaces and tabs (no Windows name ends in
// one); a name that starts with a drive ("C:\") is taken as the file's
// full path, "..\" stays allowed. Any other
// line is read as md5sum lines (which may also end at a bare LF).
// kMd5sum: lines end at LF (a CR before it dropped); md5sum lines first,
// then name=digest lines.
// md5sum lines: "/" becomes "\", the digest is upper-cased (the shown one
// always is), blank lines and lines starting with ";" or "#" are skipped.
// They may also be escaped (a leading "\", "\\" and "\n" in the name) or
// in the tag form "MD5 (name) = <hex>" / "MD5(name)= <hex>".
// Names are in the ANSI code page, except in a list that starts with a
// UTF-8 byte order mark, a UTF-16 one (LE or BE), or, kMd5sum only, one
// that is valid UTF-8 throughout: those are UTF-8 names, handed to
// `fromUtf8`; a name it cannot convert keeps a "?", which no file name
// holds, so its row fails.
std::vector<DigestListEntry> ParseDigestList(const ByteBuffer& content, const Text& directory,
                                             DigestListKind kind = DigestListKind::kIni,
                                             Utf8NameConverter fromUtf8 = nullptr);

// 32 hexadecimal digits, either case: an MD5 digest as a list holds it.
bool IsDigestDigits(const Text& text);
// The MD5 digest a list's text gives: a number, so letters in either case,
// spaces and tabs around it ignored. False for anything but 32 hexadecimal
// digits, which then matches nothing.
bool ListedDigestOf(const Text& listed, Digest* digest);
// The entry of a verified list's file at `path`: shown by its name relative
// to `folder` ("\" for "/"), judged against `digest` as the list gives it.
FileEntry ListedEntry(const std::wstring& path, const std::wstring& folder, const Text& digest,
                      bool refused = false, std::int32_t line = 0);
// A list file named md5.ini, in any case, keeps md5.ini's reading (kIni).
bool IsMd5IniName(const Text& fileName);
// The kind of digest list a file's name makes it: md5.ini (any case), or a
// name ending ".md5" (any case); none for any other name.
std::optional<DigestListKind> ListKindOfName(const Text& fileName);
