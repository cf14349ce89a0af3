// ParseDigestList (the md5.ini load): the entries are exactly the lines,
// in file order, that hold one "=" and a non-empty digest after it, where
// lines end at CR LF and a two-byte character is never cut; bytes after
// the first NUL change nothing.
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

std::vector<DigestListEntry> ExpectedEntries(const std::string& content) {
  std::vector<DigestListEntry> entries;
  for (const std::string& line : Lines(content)) {
    std::vector<std::size_t> separators;
    for (const std::int32_t start : CharStarts(line))
      if (line[static_cast<std::size_t>(start)] == '=') separators.push_back(static_cast<std::size_t>(start));
    if (separators.size() != 1 || separators[0] + 1 == line.size()) continue;
    entries.push_back({Text(kDirectory.Bytes() + "\\" + line.substr(0, separators[0])),
                       Text(line.substr(separators[0] + 1))});
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
  FUZZ_CHECK(SameEntries(entries, ExpectedEntries(content)));
  for (const DigestListEntry& entry : entries) FUZZ_CHECK(!entry.digest.IsEmpty());

  // Whatever follows a NUL is not part of the list.
  const std::string cut = content.substr(0, content.find('\0'));
  FUZZ_CHECK(SameEntries(entries, ParseDigestList(BytesOf(cut + '\0' + "x=Y\r\nz=W"), kDirectory)));
  return 0;
}
