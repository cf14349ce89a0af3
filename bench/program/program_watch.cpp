#include "bench/program/program_watch.h"

#include "bench/program/bench_clock.h"
#include "bench/program/open_files.h"

namespace {

// Long enough that a hung window shows as a long answer, not as no answer.
constexpr UINT kAnswerTimeoutMs = 600000;

template <typename Value>
void RaiseTo(std::atomic<Value>& peak, Value value) {
  Value seen = peak.load();
  while (value > seen && !peak.compare_exchange_weak(seen, value)) {
  }
}

}  // namespace

ProgramWatch::ProgramWatch(HWND window, DWORD processId)
    : window_(window),
      processId_(processId),
      answers_([this] { ProbeAnswers(); }),
      files_([this] { SampleFiles(); }) {}

ProgramWatch::~ProgramWatch() { Stop(); }

WatchFigures ProgramWatch::Stop() {
  running_ = false;
  if (answers_.joinable()) answers_.join();
  if (files_.joinable()) files_.join();
  return {static_cast<double>(longestAnswerMicros_.load()) / 1000.0, answerCount_.load(), slowAnswers_.load(),
          peakOpenFiles_.load()};
}

void ProgramWatch::ProbeAnswers() {
  while (running_) {
    const double start = Seconds();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &result);
    const double answerMs = (Seconds() - start) * 1000.0;
    RaiseTo(longestAnswerMicros_, static_cast<long long>(answerMs * 1000.0));
    ++answerCount_;
    if (answerMs > kSlowAnswerMs) ++slowAnswers_;
    Sleep(kAnswerIntervalMs);
  }
}

void ProgramWatch::SampleFiles() {
  while (running_) {
    RaiseTo(peakOpenFiles_, CountOpenFiles(processId_));
    Sleep(kFilesIntervalMs);
  }
}
