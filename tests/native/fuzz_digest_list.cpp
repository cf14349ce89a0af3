// ParseDigestList, md5.ini reading: the entries are exactly the lines, in
// file order, that hold one "=" and a non-empty digest after it, where
// lines end at CR LF and a two-byte character is never cut, and, from the
// other lines cut again at LF, the md5sum lines. md5sum-first reading: LF
// lines, md5sum lines first, then name=digest lines. Bytes after the first
// NUL change nothing.
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

// Names lose trailing spaces and tabs; one starting with a drive or a
// server is a full path.
DigestListEntry Entry(std::string name, const std::string& digest) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  const bool server = name.size() >= 2 && slash(name[0]) && slash(name[1]);
  const bool drive = name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) &&
                     name[1] == ':' && slash(name[2]);
  if (server || drive) return {Text(name), Text(digest)};
  return {Text(kDirectory.Bytes() + "\\" + name), Text(digest)};
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

bool Md5sumEntry(const std::string& line, bool utf8, DigestListEntry* entry) {
  if (line.size() < 35 || line[32] != ' ' || (line[33] != ' ' && line[33] != '*')) return false;
  std::string digest = line.substr(0, 32);
  for (char& c : digest) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  std::string name = line.substr(34);
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
  bool first = true;
  for (const std::string& line : Lines(content)) {
    const std::size_t separator = NameDigestSeparator(line, false);
    if (separator != std::string::npos) {
      entries.push_back(Entry(line.substr(0, separator), line.substr(separator + 1)));
    } else {
      for (const std::string& part : LfLines(line.substr(first && utf8 ? kMark.size() : 0))) {
        DigestListEntry entry;
        if (Md5sumEntry(part, utf8, &entry)) entries.push_back(entry);
      }
    }
    first = false;
  }
  return entries;
}

std::vector<DigestListEntry> ExpectedMd5sumEntries(const std::string& content) {
  std::string text = content.substr(0, content.find('\0'));
  const bool utf8 = text.rfind(kMark, 0) == 0;
  if (utf8) text.erase(0, kMark.size());
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
    if (!(a[i].path == b[i].path) || !(a[i].digest == b[i].digest)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const std::vector<DigestListEntry> entries = ParseDigestList(BytesOf(content), kDirectory);
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
