// A thread that asks a window for WM_NULL every 10 ms and keeps the longest
// answer time, sampling this process's working set at the same beat.
//
// How it works: the probe thread runs for the probe's life; Begin resets
// the figures and lets it probe, End stops probing and returns them. The
// figures are atomics written by the probe thread only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

struct ProbeFigures {
  double longestAnswerMs = 0;
  std::int64_t peakWorkingSet = 0;  // bytes, sampled
};

class AnswerProbe {
 public:
  static constexpr DWORD kIntervalMs = 10;

  // `process` is the process whose working set is sampled (may be another).
  AnswerProbe(HWND window, HANDLE process);
  ~AnswerProbe();
  AnswerProbe(const AnswerProbe&) = delete;
  AnswerProbe& operator=(const AnswerProbe&) = delete;

  void Begin();
  ProbeFigures End();

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Probe();

  HWND window_;
  HANDLE process_;
  HANDLE thread_ = nullptr;
  std::atomic<bool> quit_{false};
  std::atomic<bool> active_{false};
  std::atomic<std::int64_t> longestAnswerMicros_{0};
  std::atomic<std::int64_t> peakWorkingSet_{0};
};
