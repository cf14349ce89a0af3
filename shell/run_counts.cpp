#include "shell/run_counts.h"

#include "runs/pooled_run.h"
#include "services/text_ops.h"
#include "services/texts.h"

namespace {

constexpr std::uint64_t kFirstEstimateMs = 1000;
constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kSecondsPerMinute = 60;

Text Count(const char* word, std::int32_t value) { return ConcatTexts({word, ToText(value)}); }

Text MinutesAndSeconds(std::int64_t seconds) {
  const std::int64_t minutes = seconds / kSecondsPerMinute;
  const auto rest = static_cast<std::int32_t>(seconds % kSecondsPerMinute);
  const Text restText = rest < 10 ? ConcatTexts({"0", ToText(rest)}) : ToText(rest);
  return ConcatTexts({ToText(static_cast<double>(minutes)), ":", restText});
}

// Rows not started yet are taken to be as large as the started ones are
// on average.
std::int64_t BytesLeft(const RunCounts& counts) {
  std::int64_t left = counts.bytesKnown - counts.bytesDone;
  if (counts.started > 0)
    left += (counts.bytesKnown / counts.started) * (counts.rows - counts.started);
  return left > 0 ? left : 0;
}

Text SpeedAndTimeLeft(const RunCounts& counts, std::uint64_t elapsedMs) {
  if (elapsedMs < kFirstEstimateMs || counts.bytesDone <= 0) return Text();
  const std::int64_t perSecond =
      counts.bytesDone * kMsPerSecond / static_cast<std::int64_t>(elapsedMs);
  if (perSecond <= 0) return Text();
  return ConcatTexts({"  ", FormatByteSize(perSecond), texts::kPerSecond, "  ", texts::kTimeLeft,
                      MinutesAndSeconds(BytesLeft(counts) / perSecond)});
}

}  // namespace

Text CountsText(const RunCounts& counts, bool verifying, std::uint64_t elapsedMs) {
  const std::int32_t pending = counts.rows - counts.done - counts.failed;
  const Text settled =
      verifying ? ConcatTexts({Count(texts::kCountPassed, counts.passed), " ",
                               Count(texts::kCountMismatched, counts.mismatched), " ",
                               Count(texts::kCountFailed, counts.failed), " ",
                               Count(texts::kCountPending, pending)})
                : ConcatTexts({Count(texts::kCountDone, counts.done), " ",
                               Count(texts::kCountFailed, counts.failed)});
  if (pending <= 0) return settled;
  return ConcatTexts({settled, SpeedAndTimeLeft(counts, elapsedMs)});
}
