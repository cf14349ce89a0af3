// Watches another process's main window from this one while a run goes on:
// the longest time the window took to answer (WM_NULL sent every 20 ms) and
// the most file handles the process held (sampled every 200 ms; each look
// at the system handle table costs the wineserver a few milliseconds).
//
// How it works: two threads of this process, one per measure, run from the
// constructor until Stop; each keeps its figure in an atomic only it raises.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

struct WatchFigures {
  double longestAnswerMs = 0;
  int answers = 0;
  int slowAnswers = 0;  // over kSlowAnswerMs
  int peakOpenFiles = -1;  // -1 when the handle table could not be read
};

class ProgramWatch {
 public:
  static constexpr DWORD kAnswerIntervalMs = 20;
  static constexpr DWORD kFilesIntervalMs = 200;
  static constexpr double kSlowAnswerMs = 100;

  ProgramWatch(HWND window, DWORD processId);
  ~ProgramWatch();
  ProgramWatch(const ProgramWatch&) = delete;
  ProgramWatch& operator=(const ProgramWatch&) = delete;

  WatchFigures Stop();

 private:
  void ProbeAnswers();
  void SampleFiles();

  HWND window_;
  DWORD processId_;
  std::atomic<bool> running_{true};
  std::atomic<long long> longestAnswerMicros_{0};
  std::atomic<int> answerCount_{0};
  std::atomic<int> slowAnswers_{0};
  std::atomic<int> peakOpenFiles_{-1};
  std::thread answers_;
  std::thread files_;
};
