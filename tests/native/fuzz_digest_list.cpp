// ParseDigestList, md5.ini reading: the entries are exactly the lines, in
// file order, that hold one "=" and a non-empty digest after it, where
// lines end at CR LF and a two-byte character is never cut, and, from the
// other lines cut again at LF, the md5sum lines (plain, tagged, escaped).
// md5sum-first reading: LF lines, md5sum lines first, then name=digest
// lines; UTF-8 names when the list is all UTF-8. Bytes after the first NUL
// change nothing.
#include <cctype>

#include "shell/digest_list.h"
#include "tests/native/fuzz_support.h"

namespace {

const Text kDirectory("C:\\run");

ByteBuffer BytesOf(const std::string& bytes) {
  return ByteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

// Lines of the text before its first NUL, cut at CR LF outside two-byte
// characters; a CR LF at the very end adds no line.
std::vector<std::string> Lines(const std::string& content) {
  const std::string text = content.substr(0, content.find('\0'));
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "\r\n") == 0) {
      lines.push_back(line);
      line.clear();
      i += 2;
      continue;
    }
    const std::size_t width = IsTwoByteCharAt(text, static_cast<std::int32_t>(i)) ? 2 : 1;
    line.append(text, i, width);
    i += width;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

const std::string kMark = "\xEF\xBB\xBF";

// Names lose trailing spaces and tabs; one starting with a drive is a full
// path; a server's, a device's or a stream's name stays as it is, refused.
DigestListEntry Entry(std::string name, const std::string& digest) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  const bool server = name.size() >= 2 && slash(name[0]) && slash(name[1]);
  const bool drive = name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) &&
                     name[1] == ':' && slash(name[2]);
  const bool stream = name.find(':', drive ? 2 : 0) != std::string::npos;
  DigestListEntry entry;
  entry.path = Text(server || stream || drive ? name : kDirectory.Bytes() + "\\" + name);
  entry.digest = Text(digest);
  entry.refused = server || stream;
  return entry;
}

// Well-formed UTF-8, checked by the code points it decodes to.
bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t >> 6) != 2) return false;
      code = code << 6 | (t & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// md5sum's escapes: "\\\\" and "\\n", nothing else; ANSI trail bytes are no escape.
bool Unescaped(const std::string& name, bool utf8, std::string* out) {
  out->clear();
  std::vector<std::int32_t> starts;
  if (utf8) {
    for (std::size_t i = 0; i < name.size(); ++i) starts.push_back(static_cast<std::int32_t>(i));
  } else {
    starts = CharStarts(name);
  }
  starts.push_back(static_cast<std::int32_t>(name.size()));
  for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
    const std::string piece = name.substr(static_cast<std::size_t>(starts[k]),
                                          static_cast<std::size_t>(starts[k + 1] - starts[k]));
    if (piece != "\\") {
      *out += piece;
      continue;
    }
    if (k + 2 >= starts.size()) return false;
    const std::string next = name.substr(static_cast<std::size_t>(starts[k + 1]), 1);
    if (next != "\\" && next != "n") return false;
    *out += next == "n" ? "\n" : "\\";
    ++k;
  }
  return true;
}

// The one "=" of a name=digest line, at a character start (UTF-8: any
// byte), not the last byte; npos otherwise.
std::size_t NameDigestSeparator(const std::string& line, bool utf8) {
  std::vector<std::size_t> separators;
  for (std::size_t i = 0; i < line.size(); ++i)
    if (line[i] == '=') separators.push_back(i);
  if (!utf8) {
    separators.clear();
    for (const std::int32_t start : CharStarts(line))
      if (line[static_cast<std::size_t>(start)] == '=') separators.push_back(static_cast<std::size_t>(start));
  }
  if (separators.size() != 1 || separators[0] + 1 == line.size()) return std::string::npos;
  return separators[0];
}

bool UpperDigest(std::string* digest) {
  for (char& c : *digest) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return digest->size() == 32;
}

// "<hex> *name", "<hex>  name", "MD5 (name) = <hex>", "MD5(name)= <hex>".
bool NameAndDigest(const std::string& line, std::string* name, std::string* digest) {
  if (line.size() >= 35 && line[32] == ' ' && (line[33] == ' ' || line[33] == '*')) {
    *digest = line.substr(0, 32);
    *name = line.substr(34);
    if (UpperDigest(digest)) return true;
  }
  for (const std::string& open : {std::string("MD5 ("), std::string("MD5(")}) {
    if (line.rfind(open, 0) != 0 || line.size() < open.size() + 32) continue;
    *digest = line.substr(line.size() - 32);
    const std::string head = line.substr(0, line.size() - 32);
    for (const std::string& close : {std::string(") = "), std::string(")= ")}) {
      if (head.size() < open.size() + close.size() + 1) continue;
      if (head.compare(head.size() - close.size(), close.size(), close) != 0) continue;
      *name = head.substr(open.size(), head.size() - close.size() - open.size());
      return UpperDigest(digest);
    }
    return false;
  }
  return false;
}

bool Md5sumEntry(const std::string& given, bool utf8, DigestListEntry* entry) {
  const bool escaped = !given.empty() && given[0] == '\\';
  const std::string line = escaped ? given.substr(1) : given;
  std::string name, digest;
  if (!NameAndDigest(line, &name, &digest)) return false;
  if (escaped) {
    std::string plain;
    if (!Unescaped(name, utf8, &plain)) return false;
    name = plain;
  }
  if (utf8) {
    std::replace(name.begin(), name.end(), '/', '\\');
  } else {
    for (const std::int32_t start : CharStarts(name))
      if (name[static_cast<std::size_t>(start)] == '/') name[static_cast<std::size_t>(start)] = '\\';
  }
  *entry = Entry(name, digest);
  return true;
}

std::vector<std::string> LfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (const char c : text + "\n") {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    line.clear();
  }
  return lines;
}

std::vector<DigestListEntry> ExpectedIniEntries(const std::string& content) {
  const bool utf8 = content.rfind(kMark, 0) == 0;
  std::vector<DigestListEntry> entries;
  for (const std::string& line : Lines(content.substr(utf8 ? kMark.size() : 0))) {
    const std::size_t separator = NameDigestSeparator(line, utf8);
    if (separator != std::string::npos) {
      entries.push_back(Entry(line.substr(0, separator), line.substr(separator + 1)));
    } else {
      for (const std::string& part : LfLines(line)) {
        DigestListEntry entry;
        if (Md5sumEntry(part, utf8, &entry)) entries.push_back(entry);
      }
    }
  }
  return entries;
}

std::vector<DigestListEntry> ExpectedMd5sumEntries(const std::string& content) {
  std::string text = content.substr(0, content.find('\0'));
  const bool marked = text.rfind(kMark, 0) == 0;
  if (marked) text.erase(0, kMark.size());
  const bool utf8 = marked || IsUtf8(text);
  std::vector<DigestListEntry> entries;
  for (const std::string& line : LfLines(text)) {
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    DigestListEntry entry;
    const std::size_t separator = NameDigestSeparator(line, utf8);
    if (Md5sumEntry(line, utf8, &entry))
      entries.push_back(entry);
    else if (separator != std::string::npos)
      entries.push_back(Entry(line.substr(0, separator), line.substr(separator + 1)));
  }
  return entries;
}

bool SameEntries(const std::vector<DigestListEntry>& a, const std::vector<DigestListEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!(a[i].path == b[i].path) || !(a[i].digest == b[i].digest) || a[i].refused != b[i].refused)
      return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const std::vector<DigestListEntry> entries = ParseDigestList(BytesOf(content), kDirectory);
  // UTF-16 lists are read as the same list in UTF-8; only the rules below
  // hold for them.
  const bool utf16 = content.rfind("\xFF\xFE", 0) == 0 || content.rfind("\xFE\xFF", 0) == 0;
  if (utf16) {
    for (const DigestListEntry& entry : entries) FUZZ_CHECK(!entry.digest.IsEmpty());
    ParseDigestList(BytesOf(content), kDirectory, DigestListKind::kMd5sum);
    return 0;
  }
  FUZZ_CHECK(SameEntries(entries, ExpectedIniEntries(content)));
  for (const DigestListEntry& entry : entries) FUZZ_CHECK(!entry.digest.IsEmpty());
  const std::vector<DigestListEntry> md5sum =
      ParseDigestList(BytesOf(content), kDirectory, DigestListKind::kMd5sum);
  FUZZ_CHECK(SameEntries(md5sum, ExpectedMd5sumEntries(content)));
  for (const DigestListEntry& entry : md5sum) FUZZ_CHECK(!entry.digest.IsEmpty());

  // Whatever follows a NUL is not part of the list.
  const std::string cut = content.substr(0, content.find('\0'));
  FUZZ_CHECK(SameEntries(entries, ParseDigestList(BytesOf(cut + '\0' + "x=Y\r\nz=W"), kDirectory)));
  return 0;
}
