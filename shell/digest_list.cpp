#include "shell/digest_list.h"

#include "services/text_ops.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kSeparator[] = "=";

}  // namespace

std::vector<DigestListEntry> ParseDigestList(const ByteBuffer& content, const Text& directory) {
  std::vector<DigestListEntry> entries;
  for (const Text& line : SplitText(ToText(content), Text(kLineEnd))) {
    const TextArray parts = SplitText(line, Text(kSeparator));
    // Splitting drops a trailing "=", so "a=b=" also gives two parts: a line
    // ending in "=" has a second "=" or an empty digest, and is no entry.
    if (parts.size() != 2 || RightPart(line, 1) == Text(kSeparator)) continue;
    entries.push_back({ConcatTexts({directory, "\\", parts[0]}), parts[1]});
  }
  return entries;
}
