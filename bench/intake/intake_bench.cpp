// A large folder dropped on the real main window: how long the walk and the
// hand-over take until every path is listed, and how long the window took
// at most to answer meanwhile. Prints figures only. No run follows: the
// list is cleared before the run the drop asks for gets its turn (the
// program benchmark measures runs).
// Usage: intake_bench <folder to drop> <number of files in it>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bench/intake/answer_probe.h"
#include "bench/program/bench_clock.h"
#include "tests/support/program_window.h"

namespace {

constexpr DWORD kIntakeTimeoutMs = 600000;
constexpr int kRepeats = 3;

// One message at a time: the run the drop asks for is a task posted after
// the last paths were taken, so it is still queued when this returns.
bool PumpUntilListed(std::int32_t files) {
  const DWORD start = GetTickCount();
  MSG message;
  while (TheRuns().filePaths.Count() < files) {
    if (GetTickCount() - start >= kIntakeTimeoutMs) return false;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: intake_bench FOLDER FILES\n");
    return 2;
  }
  const std::int32_t files = std::atoi(argv[2]);
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    ResetRuns();  // a window of its own for each repeat
    AnswerProbe probe(StartProgramWindow(), GetCurrentProcess());
    probe.Begin();
    const double start = Seconds();
    if (!DropPaths({argv[1]})) return 1;
    const bool done = PumpUntilListed(files);
    const double seconds = Seconds() - start;
    const ProbeFigures figures = probe.End();
    const std::int32_t listed = TheRuns().filePaths.Count();
    TheRuns().filePaths.Clear();  // the queued run finds nothing to read
    std::printf("folder drop: %d of %d paths listed in %.2f s (%.0f paths/s); longest answer %.1f ms%s\n",
                listed, files, seconds, listed / seconds,
                figures.longestAnswerMs, done ? "" : " (timed out)");
    std::fflush(stdout);
  }
  std::_Exit(0);
}
