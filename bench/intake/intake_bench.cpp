// A large folder dropped on the real main window: how long the walk and the
// hand-over take until every path is listed, and how long the window took
// at most to answer meanwhile. Prints figures only. No run follows: a
// deferred call is kept pending, so the drop's request for one is dropped
// (the program benchmark measures runs).
// Usage: intake_bench <folder to drop> <number of files in it>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "runs/globals.h"
#include "bench/intake/answer_probe.h"
#include "bench/program/bench_clock.h"
#include "services/call_later.h"
#include "tests/support/program_window.h"

namespace {

constexpr DWORD kIntakeTimeoutMs = 600000;
constexpr int kRepeats = 3;

void Nothing(std::intptr_t, std::intptr_t, std::intptr_t) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: intake_bench FOLDER FILES\n");
    return 2;
  }
  const std::int32_t files = std::atoi(argv[2]);
  HWND window = StartProgramWindow();
  CallLater(kIntakeTimeoutMs * kRepeats, Nothing);  // holds off every run
  AnswerProbe probe(window, GetCurrentProcess());
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    ResetRuns();
    probe.Begin();
    const double start = Seconds();
    if (!DropPaths({argv[1]})) return 1;
    const bool done = PumpUntil([&] { return filePaths.Count() >= files; }, kIntakeTimeoutMs);
    const double seconds = Seconds() - start;
    const ProbeFigures figures = probe.End();
    std::printf("folder drop: %d of %d paths listed in %.2f s (%.0f paths/s); longest answer %.1f ms%s\n",
                filePaths.Count(), files, seconds, filePaths.Count() / seconds,
                figures.longestAnswerMs, done ? "" : " (timed out)");
    std::fflush(stdout);
  }
  std::_Exit(0);
}
