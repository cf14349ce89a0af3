#include "shell/digest_list.h"

#include <string>

#include "services/texts.h"
#include "services/text_ops.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kSeparator[] = "=";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8MarkBytes = 3;
constexpr std::size_t kDigestDigits = 32;
constexpr std::size_t kMd5sumNameStart = kDigestDigits + 2;  // digest, space, " " or "*"
// No file name holds it, so a name that keeps it can never be opened.
constexpr char kUnconvertible = '?';

struct ListReading {
  const Text& directory;
  bool utf8;
  Utf8NameConverter fromUtf8;
};

bool StartsWith(const std::string& bytes, const char* prefix) { return bytes.rfind(prefix, 0) == 0; }

// md5.ini's reading: splitting drops a trailing "=", so "a=b=" also gives
// two parts; only a line that the two parts rebuild has exactly one "=".
// (Testing the last byte instead would also refuse a two-byte character
// ending in 0x3D, which is no separator.)
bool SplitAnsiNameDigest(const Text& line, Text* name, Text* digest) {
  const TextArray parts = SplitText(line, Text(kSeparator));
  if (parts.size() != 2 || ConcatTexts({parts[0], kSeparator, parts[1]}) != line) return false;
  *name = parts[0];
  *digest = parts[1];
  return true;
}

// UTF-8 has no two-byte characters to step over: bytes are compared.
bool SplitUtf8NameDigest(const std::string& line, Text* name, Text* digest) {
  const std::size_t separator = line.find('=');
  if (separator == std::string::npos || separator + 1 == line.size() ||
      line.find('=', separator + 1) != std::string::npos)
    return false;
  *name = Text(line.substr(0, separator));
  *digest = Text(line.substr(separator + 1));
  return true;
}

// "/" to "\"; in ANSI text a lead byte's second byte is never looked at.
std::string WithBackslashes(std::string name, bool utf8) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '/') name[i] = '\\';
    if (!utf8 && static_cast<unsigned char>(name[i]) >= 0x80) ++i;
  }
  return name;
}

Text AnsiName(const std::string& name, const ListReading& list) {
  if (!list.utf8 || list.fromUtf8 == nullptr) return Text(name);
  Text ansi;
  if (list.fromUtf8(Text(name), &ansi)) return ansi;
  std::string failed = ansi.Bytes();
  if (failed.find(kUnconvertible) == std::string::npos) failed += kUnconvertible;
  return Text(failed);
}

bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

// A drive or a server at the start: the name is a path of its own, as an
// export writes a file outside its folder.
bool IsAbsoluteName(const std::string& name) {
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (name.size() >= 2 && slash(name[0]) && slash(name[1])) return true;
  const bool letter = name.size() >= 3 && ((name[0] >= 'a' && name[0] <= 'z') ||
                                           (name[0] >= 'A' && name[0] <= 'Z'));
  return letter && name[1] == ':' && slash(name[2]);
}

// Windows names cannot end in a space, so trailing spaces and tabs are
// dropped ("a.txt = D"); leading ones may belong to the name and stay.
// No GBK or UTF-8 trail byte is a space or a tab.
DigestListEntry EntryFor(const Text& name, const Text& digest, const ListReading& list) {
  std::string trimmed = name.Bytes();
  while (!trimmed.empty() && IsSpaceOrTab(trimmed.back())) trimmed.pop_back();
  if (IsAbsoluteName(trimmed)) return {Text(trimmed), digest};
  return {ConcatTexts({list.directory, "\\", Text(trimmed)}), digest};
}

// "<32 hex> *name" (binary) or "<32 hex>  name" (text), as md5sum writes.
bool ReadMd5sumLine(const std::string& line, const ListReading& list, DigestListEntry* entry) {
  if (line.size() <= kMd5sumNameStart || line[kDigestDigits] != ' ') return false;
  const char mode = line[kDigestDigits + 1];
  if (mode != ' ' && mode != '*') return false;
  const Text digest(line.substr(0, kDigestDigits));
  if (!IsDigestDigits(digest)) return false;
  const std::string name = WithBackslashes(line.substr(kMd5sumNameStart), list.utf8);
  *entry = EntryFor(AnsiName(name, list), ToUpper(digest), list);
  return true;
}

bool IsSkipped(const std::string& line) {
  return line.empty() || line[0] == ';' || line[0] == '#';
}

// Lines ended by LF, a CR before it dropped.
std::vector<std::string> LfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

void AppendMd5sumLines(const std::string& text, const ListReading& list,
                       std::vector<DigestListEntry>& entries) {
  for (const std::string& line : LfLines(text)) {
    DigestListEntry entry;
    if (!IsSkipped(line) && ReadMd5sumLine(line, list, &entry)) entries.push_back(entry);
  }
}

std::vector<DigestListEntry> ParseIni(const Text& text, const ListReading& list) {
  std::vector<DigestListEntry> entries;
  bool first = true;
  for (const Text& line : SplitText(text, Text(kLineEnd))) {
    Text name, digest;
    if (SplitAnsiNameDigest(line, &name, &digest)) {
      entries.push_back(EntryFor(name, digest, list));  // exactly as md5.ini was always read
    } else {
      const std::size_t mark = first && list.utf8 ? kUtf8MarkBytes : 0;
      AppendMd5sumLines(line.Bytes().substr(mark), list, entries);
    }
    first = false;
  }
  return entries;
}

std::vector<DigestListEntry> ParseMd5sum(const Text& text, const ListReading& list) {
  std::vector<DigestListEntry> entries;
  for (const std::string& line : LfLines(text.Bytes().substr(list.utf8 ? kUtf8MarkBytes : 0))) {
    if (IsSkipped(line)) continue;
    DigestListEntry entry;
    Text name, digest;
    if (ReadMd5sumLine(line, list, &entry)) {
      entries.push_back(entry);
    } else if (list.utf8 ? SplitUtf8NameDigest(line, &name, &digest)
                         : SplitAnsiNameDigest(Text(line), &name, &digest)) {
      entries.push_back(EntryFor(AnsiName(name.Bytes(), list), digest, list));
    }
  }
  return entries;
}

}  // namespace

std::vector<DigestListEntry> ParseDigestList(const ByteBuffer& content, const Text& directory,
                                             DigestListKind kind, Utf8NameConverter fromUtf8) {
  const Text text = ToText(content);
  const ListReading list{directory, StartsWith(text.Bytes(), kUtf8Mark), fromUtf8};
  return kind == DigestListKind::kIni ? ParseIni(text, list) : ParseMd5sum(text, list);
}

bool IsDigestDigits(const Text& text) {
  const std::string& bytes = text.Bytes();
  if (bytes.size() != kDigestDigits) return false;
  for (const char c : bytes)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

bool SameDigest(const Text& shown, const Text& listed) {
  const auto trim = [](const std::string& bytes) {
    const std::size_t first = bytes.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return bytes.substr(first, bytes.find_last_not_of(" \t") - first + 1);
  };
  const Text a(trim(shown.Bytes()));
  const Text b(trim(listed.Bytes()));
  return IsDigestDigits(a) && IsDigestDigits(b) && ToUpper(a) == ToUpper(b);
}

Text NameInFolder(const Text& path, const Text& folder) {
  const std::string& bytes = path.Bytes();
  const std::string& prefix = folder.Bytes();
  const bool inside = !prefix.empty() && bytes.size() > prefix.size() &&
                      bytes.compare(0, prefix.size(), prefix) == 0 && bytes[prefix.size()] == '\\';
  return Text(WithBackslashes(inside ? bytes.substr(prefix.size() + 1) : bytes, false));
}

bool IsMd5IniName(const Text& fileName) {
  return CompareTexts(ToLower(fileName), Text(texts::kDigestListName)) == 0;
}
