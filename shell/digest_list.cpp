#include "shell/digest_list.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "services/text_ops.h"
#include "services/text_unicode.h"
#include "services/texts.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kMd5ListExtension[] = ".md5";
constexpr char kSeparator[] = "=";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8MarkBytes = 3;
constexpr char kUtf16LeMark[] = "\xFF\xFE";
constexpr char kUtf16BeMark[] = "\xFE\xFF";
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

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// A drive at the start: the name is a path of its own, as an export writes
// a file outside its folder (and md5deep writes every file).
bool IsDriveName(const std::string& name) {
  const bool letter = name.size() >= 3 && ((name[0] >= 'a' && name[0] <= 'z') ||
                                           (name[0] >= 'A' && name[0] <= 'Z'));
  return letter && name[1] == ':' && IsSlash(name[2]);
}

// Two slashes start a server's share, "\\\\.\\" and "\\\\?\\" a device or
// any path at all; a ":" past the drive names a stream. No GBK or UTF-8
// trail byte is a slash or a colon.
bool IsRefusedName(const std::string& name) {
  if (name.size() >= 2 && IsSlash(name[0]) && IsSlash(name[1])) return true;
  return name.find(':', IsDriveName(name) ? 2 : 0) != std::string::npos;
}

// Windows names cannot end in a space, so trailing spaces and tabs are
// dropped ("a.txt = D"); leading ones may belong to the name and stay.
// No GBK or UTF-8 trail byte is a space or a tab.
std::string WithoutTrailingSpaces(std::string name) {
  while (!name.empty() && IsSpaceOrTab(name.back())) name.pop_back();
  return name;
}

// `name` in the list's own encoding.
DigestListEntry EntryFor(const std::string& name, const Text& digest, const ListReading& list) {
  const std::string trimmed = WithoutTrailingSpaces(AnsiName(name, list).Bytes());
  DigestListEntry entry;
  entry.path = Text(trimmed);
  entry.digest = digest;
  entry.refused = IsRefusedName(trimmed);
  entry.name = Text(WithoutTrailingSpaces(name));
  entry.utf8 = list.utf8;
  entry.inFolder = !entry.refused && !IsDriveName(trimmed);
  if (entry.inFolder) entry.path = ConcatTexts({list.directory, "\\", Text(trimmed)});
  return entry;
}

// md5sum marks a line whose name holds "\\" or a line end with a leading
// "\\" and writes those as "\\\\" and "\\n". Any other escape is no name.
bool Unescape(const std::string& name, bool utf8, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c == '\\') {
      if (i + 1 >= name.size()) return false;
      const char next = name[++i];
      if (next == '\\') {
        *out += '\\';
      } else if (next == 'n') {
        *out += '\n';
      } else {
        return false;
      }
      continue;
    }
    *out += name[i];
    if (!utf8 && c >= 0x80 && i + 1 < name.size()) *out += name[++i];  // a trail byte is no escape
  }
  return true;
}

// "<32 hex> *name" (binary) or "<32 hex>  name" (text), as md5sum writes.
bool SplitMd5sumLine(const std::string& line, std::string* name, Text* digest) {
  if (line.size() <= kMd5sumNameStart || line[kDigestDigits] != ' ') return false;
  const char mode = line[kDigestDigits + 1];
  if (mode != ' ' && mode != '*') return false;
  *digest = Text(line.substr(0, kDigestDigits));
  *name = line.substr(kMd5sumNameStart);
  return IsDigestDigits(*digest);
}

// "MD5 (name) = <32 hex>" (md5sum --tag, BSD md5) or "MD5(name)= <32 hex>"
// (openssl dgst): the name ends at the last ")" before the digest.
bool SplitTagLine(const std::string& line, std::string* name, Text* digest) {
  std::size_t start = 0;
  if (StartsWith(line, "MD5 (")) {
    start = 5;
  } else if (StartsWith(line, "MD5(")) {
    start = 4;
  } else {
    return false;
  }
  if (line.size() < start + kDigestDigits + 4) return false;
  *digest = Text(line.substr(line.size() - kDigestDigits));
  std::string head = line.substr(0, line.size() - kDigestDigits);
  for (const char* tail : {") = ", ")= "}) {
    const std::size_t length = std::string(tail).size();
    if (head.size() >= start + length && head.compare(head.size() - length, length, tail) == 0) {
      *name = head.substr(start, head.size() - length - start);
      return IsDigestDigits(*digest) && !name->empty();
    }
  }
  return false;
}

bool ReadMd5sumLine(const std::string& given, const ListReading& list, DigestListEntry* entry) {
  const bool escaped = !given.empty() && given[0] == '\\';
  const std::string line = escaped ? given.substr(1) : given;
  std::string name;
  Text digest;
  if (!SplitMd5sumLine(line, &name, &digest) && !SplitTagLine(line, &name, &digest)) return false;
  if (escaped) {
    std::string plain;
    if (!Unescape(name, list.utf8, &plain)) return false;
    name = plain;
  }
  *entry = EntryFor(WithBackslashes(name, list.utf8), ToUpper(digest), list);
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

// The lines of `text` from `firstLine` on, each ended by LF.
void AppendMd5sumLines(const std::string& text, std::int32_t firstLine, const ListReading& list,
                       std::vector<DigestListEntry>& entries) {
  std::int32_t number = firstLine;
  for (const std::string& line : LfLines(text)) {
    DigestListEntry entry;
    if (!IsSkipped(line) && ReadMd5sumLine(line, list, &entry)) {
      entry.line = number;
      entries.push_back(entry);
    }
    ++number;
  }
}

// Lines are numbered as LF ends them, a CR LF counting once.
std::int32_t LineFeedsIn(const std::string& bytes) {
  return static_cast<std::int32_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

std::vector<DigestListEntry> ParseIni(const Text& text, const ListReading& list) {
  std::vector<DigestListEntry> entries;
  std::int32_t number = 1;
  for (const Text& line : SplitText(text, Text(kLineEnd))) {
    Text name, digest;
    if (!list.utf8 && SplitAnsiNameDigest(line, &name, &digest)) {
      entries.push_back(EntryFor(name.Bytes(), digest, list));  // exactly as md5.ini was always read
      entries.back().line = number;
    } else if (list.utf8 && SplitUtf8NameDigest(line.Bytes(), &name, &digest)) {
      entries.push_back(EntryFor(name.Bytes(), digest, list));
      entries.back().line = number;
    } else {
      AppendMd5sumLines(line.Bytes(), number, list, entries);
    }
    number += LineFeedsIn(line.Bytes()) + 1;  // and the CR LF after it
  }
  return entries;
}

std::vector<DigestListEntry> ParseMd5sum(const Text& text, const ListReading& list) {
  std::vector<DigestListEntry> entries;
  std::int32_t number = 0;
  for (const std::string& line : LfLines(text.Bytes())) {
    ++number;
    if (IsSkipped(line)) continue;
    DigestListEntry entry;
    Text name, digest;
    if (ReadMd5sumLine(line, list, &entry)) {
      entries.push_back(entry);
    } else if (list.utf8 ? SplitUtf8NameDigest(line, &name, &digest)
                         : SplitAnsiNameDigest(Text(line), &name, &digest)) {
      entries.push_back(EntryFor(name.Bytes(), digest, list));
    } else {
      continue;
    }
    entries.back().line = number;
  }
  return entries;
}

}  // namespace

std::vector<DigestListEntry> ParseDigestList(const ByteBuffer& content, const Text& directory,
                                             DigestListKind kind, Utf8NameConverter fromUtf8) {
  const std::string bytes =
      content.IsEmpty() ? std::string()
                        : std::string(reinterpret_cast<const char*>(content.Data()),
                                      static_cast<std::size_t>(content.Length()));
  bool utf8 = true;
  Text text;
  if (StartsWith(bytes, kUtf16LeMark) || StartsWith(bytes, kUtf16BeMark)) {
    text = Text(Utf8FromUtf16(bytes, StartsWith(bytes, kUtf16BeMark)));
  } else if (StartsWith(bytes, kUtf8Mark)) {
    text = Text(bytes.substr(kUtf8MarkBytes));
  } else {
    // md5.ini without a mark is ANSI, as ever; other lists are UTF-8 when
    // all of them is, as md5sum writes them.
    text = ToText(content);
    utf8 = kind == DigestListKind::kMd5sum && IsValidUtf8(text.Bytes());
  }
  const ListReading list{directory, utf8, fromUtf8};
  return kind == DigestListKind::kIni ? ParseIni(text, list) : ParseMd5sum(text, list);
}

bool IsDigestDigits(const Text& text) {
  const std::string& bytes = text.Bytes();
  if (bytes.size() != kDigestDigits) return false;
  for (const char c : bytes)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

bool ListedDigestOf(const Text& listed, Digest* digest) {
  const std::string& bytes = listed.Bytes();
  const std::size_t first = bytes.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::string_view digits(bytes.data() + first, bytes.find_last_not_of(" \t") - first + 1);
  return ParseHexDigest(digits, DigestAlgorithm::kMd5, kMd5DigestBytes, digest);
}

namespace {

// `path` relative to `folder` when inside it, "\" for "/"; else whole.
std::wstring WideNameInFolder(const std::wstring& path, const std::wstring& folder) {
  const bool inside = !folder.empty() && path.size() > folder.size() &&
                      path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == L'\\';
  std::wstring name = inside ? path.substr(folder.size() + 1) : path;
  for (wchar_t& c : name)
    if (c == L'/') c = L'\\';
  return name;
}

}  // namespace

FileEntry ListedEntry(const std::wstring& path, const std::wstring& folder, const Text& digest,
                      bool refused, std::int32_t line) {
  FileEntry entry;
  entry.path = path;
  entry.listedName = WideNameInFolder(path, folder);
  ListedDigestOf(digest, &entry.expectedDigest);
  entry.listed = true;
  entry.refused = refused;
  entry.line = line;
  return entry;
}

std::optional<DigestListKind> ListKindOfName(const Text& fileName) {
  if (IsMd5IniName(fileName)) return DigestListKind::kIni;
  const Text extension(kMd5ListExtension);
  if (RightPart(ToLower(fileName), TextLength(extension)) == extension) return DigestListKind::kMd5sum;
  return std::nullopt;
}

bool IsMd5IniName(const Text& fileName) {
  return CompareTexts(ToLower(fileName), Text(texts::kDigestListName)) == 0;
}
