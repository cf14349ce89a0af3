#include "bench/intake/answer_probe.h"

#include <psapi.h>

#include "bench/program/bench_clock.h"

namespace {

// Long enough that a hung window shows as a long answer, not as no answer.
constexpr UINT kAnswerTimeoutMs = 60000;
constexpr double kMicrosPerSecond = 1e6;

std::int64_t WorkingSetOf(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return static_cast<std::int64_t>(counters.WorkingSetSize);
}

void RaiseTo(std::atomic<std::int64_t>& peak, std::int64_t value) {
  std::int64_t seen = peak.load();
  while (value > seen && !peak.compare_exchange_weak(seen, value)) {
  }
}

}  // namespace

AnswerProbe::AnswerProbe(HWND window, HANDLE process) : window_(window), process_(process) {
  thread_ = CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr);
}

AnswerProbe::~AnswerProbe() {
  quit_ = true;
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
}

void AnswerProbe::Begin() {
  longestAnswerMicros_ = 0;
  peakWorkingSet_ = WorkingSetOf(process_);
  active_ = true;
}

ProbeFigures AnswerProbe::End() {
  active_ = false;
  RaiseTo(peakWorkingSet_, WorkingSetOf(process_));
  return {static_cast<double>(longestAnswerMicros_.load()) / 1000.0, peakWorkingSet_.load()};
}

DWORD WINAPI AnswerProbe::ThreadMain(LPVOID self) {
  static_cast<AnswerProbe*>(self)->Probe();
  return 0;
}

void AnswerProbe::Probe() {
  while (!quit_) {
    if (active_) {
      const double start = Seconds();
      DWORD_PTR result = 0;
      SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &result);
      RaiseTo(longestAnswerMicros_,
              static_cast<std::int64_t>((Seconds() - start) * kMicrosPerSecond));
      RaiseTo(peakWorkingSet_, WorkingSetOf(process_));
    }
    Sleep(kIntervalMs);
  }
}
