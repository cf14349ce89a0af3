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
    // Splitting drops a trailing "=", so "a=b=" also gives two parts; only
    // a line that the two parts rebuild has exactly one "=". (Testing the
    // last byte instead would also refuse a two-byte character ending in
    // 0x3D, which is no separator.)
    if (parts.size() != 2 || ConcatTexts({parts[0], kSeparator, parts[1]}) != line) continue;
    entries.push_back({ConcatTexts({directory, "\\", parts[0]}), parts[1]});
  }
  return entries;
}
