#include "runs/pooled_run.h"

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "services/text_ops.h"

namespace {

constexpr std::int32_t kByteSizeTextCapacity = 255;

}  // namespace

std::int32_t ProcessorCount() {
  static const std::int32_t processors = [] {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return static_cast<std::int32_t>(system.dwNumberOfProcessors);
  }();
  return processors;
}

double PercentOf(std::int64_t done, std::int64_t size) {
  // An empty file that was read to its end counts as complete.
  if (size <= 0) return kPercentScale;
  return static_cast<double>(done) / static_cast<double>(size) * kPercentScale;
}

Text FormatByteSize(std::int64_t bytes) {
  std::string buffer = Spaces(kByteSizeTextCapacity).Bytes();
  StrFormatByteSize64A(bytes, buffer.data(), kByteSizeTextCapacity);
  return TrimSpaces(Text(buffer.c_str()));
}

Text FileNameOf(const Text& path) {
  const std::int32_t slash = ReverseFind(path, "\\");
  if (slash < 0) return path;
  return RightPart(path, TextLength(path) - slash);
}
