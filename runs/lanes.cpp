#include "runs/lanes.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr DWORD kSlotPollMs = 10;

// `stopped`: the row failed because a stop was requested.
void SettleRow(RunWork& run, std::int32_t row, bool success, const Digest& digest,
               bool stopped = false, std::uint32_t error = 0) {
  const bool last = success ? run.rows.Finish(row, digest) : run.rows.Fail(row, stopped, error);
  run.current.CountFinishedFile(run.rows, run.filePaths.Count());
  if (last) run.current.NoticeSettled(run.rows.Generation());
}

}  // namespace

std::int32_t HashingThreads(std::int32_t poolThreads) {
  return std::max(1, std::min(ProcessorCount(), poolThreads));
}

std::int32_t LanesPerThread(std::int32_t poolThreads) {
  return std::clamp(poolThreads / HashingThreads(poolThreads), 1, WidthOf(BestMd5Variant()));
}

bool Lanes::TakeFiles(const FileReader& reader) {
  while (static_cast<std::int32_t>(files_.size()) < width_) {
    if (!files_.empty() && !files_.back()->IsLarge()) return true;
    FileSlot slot = files_.empty() ? WaitForSlot() : FileSlot(run_.resources.filesInFlight, slotLimit_);
    if (!slot) return !files_.empty();
    // The first buffer may be waited for; more only if the budget has
    // them, so no two threads wait on each other.
    ChunkLease chunk = files_.empty() ? run_.resources.chunks.Take() : run_.resources.chunks.TryTake();
    if (!chunk && !files_.empty()) return true;
    const std::int32_t row = run_.rows.ClaimNext();
    if (row < 0) return !files_.empty();
    if (run_.IsStopped()) {  // not started: fails unread
      SettleRow(run_, row, false, Digest(), true, ERROR_CANCELLED);
      continue;
    }
    auto file = std::make_unique<LaneFile>(std::move(slot), reader, run_, row, std::move(chunk));
    if (file->EndsUnread()) {
      Settle(*file, file->WholeFileHashed());
      continue;
    }
    files_.push_back(std::move(file));
  }
  return true;
}

void Lanes::HashNextChunks(Md5Lanes& engine) {
  std::vector<const ByteBuffer*> chunks(files_.size(), nullptr);
  for (std::size_t i = 0; i < files_.size(); ++i) {
    chunks[i] = files_[i]->NextChunk();
    if (chunks[i] == nullptr || chunks[i]->IsEmpty()) continue;
    engine.Feed(static_cast<std::int32_t>(i), files_[i]->Stream(), chunks[i]->Data(),
                static_cast<std::size_t>(chunks[i]->Length()));
  }
  engine.RunToEnd();
  std::vector<std::unique_ptr<LaneFile>> going;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    bool whole = false;
    if (chunks[i] != nullptr && files_[i]->ChunkHashed(*chunks[i], whole)) {
      going.push_back(std::move(files_[i]));
      continue;
    }
    Settle(*files_[i], whole && chunks[i] != nullptr);
  }
  files_ = std::move(going);
}

// A slot for this thread's first file: held by other threads' files (of
// this run or a stale one) until one of them ends. A helper waits for the
// run's first file to be done.
FileSlot Lanes::WaitForSlot() {
  for (;;) {
    if (run_.IsStale() || run_.rows.AllClaimed()) return FileSlot();
    const bool mayHelp = !helper_ || run_.rows.Unsettled() < run_.rows.Count();
    if (mayHelp) {
      FileSlot slot(run_.resources.filesInFlight, slotLimit_);
      if (slot) return slot;
    }
    Sleep(kSlotPollMs);
  }
}

void Lanes::Settle(LaneFile& file, bool whole) {
  const Digest digest = file.Finish();
  file.Close();
  if (run_.IsStale()) return;  // a newer run shows other rows
  // A file that could not even be opened or sized failed on its own.
  const bool stopped = file.Sized() && run_.IsStopped();
  const std::uint32_t error = whole ? 0 : (stopped ? ERROR_CANCELLED : file.Error());
  SettleRow(run_, file.Row(), whole, digest, stopped, error);
}
