// A large folder dropped on the real main window and hashed; while the run
// goes on and again after it, the rows are sorted by each column with a
// header click: how long until they are sorted and drawn, and how long the
// window took at most to answer meanwhile. Prints figures only.
// Usage: sort_bench <folder to drop> <number of files in it>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "bench/intake/answer_probe.h"
#include "bench/program/bench_clock.h"
#include "runs/pooled_run.h"
#include "services/list_control.h"
#include "shell/main_window.h"
#include "tests/support/program_window.h"

namespace {

constexpr DWORD kTimeoutMs = 1800000;
constexpr DWORD kSettleMs = 30;
constexpr int kColumns = 5;
const char* const kColumnNames[kColumns] = {"number", "path", "size", "digest", "progress"};

void SortEachColumn(AnswerProbe& probe, const char* when) {
  for (int column = 0; column < kColumns; ++column) {
    const std::int32_t settled = TheRuns().CurrentRunRows() ? TheRuns().CurrentRunRows()->Counts().done : 0;
    probe.Begin();
    const double start = Seconds();
    ClickHeader(column);
    UpdateWindow(TheWindow().list.Handle());  // sorted and drawn
    const double seconds = Seconds() - start;
    PumpFor(kSettleMs);  // the probe's waiting question is answered
    const ProbeFigures figures = probe.End();
    std::printf("%s (%d rows done): by %-8s sorted and drawn in %7.1f ms; longest answer %7.1f ms\n",
                when, settled, kColumnNames[column], seconds * 1000.0, figures.longestAnswerMs);
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sort_bench FOLDER FILES\n");
    return 2;
  }
  const std::int32_t files = std::atoi(argv[2]);
  ResetRuns();
  AnswerProbe probe(StartProgramWindow(), GetCurrentProcess());
  if (!DropPaths({argv[1]})) return 1;
  if (!PumpUntil([&] { return ListItemCount(TheWindow().list.Handle()) >= files; }, kTimeoutMs)) {
    std::printf("the rows were not listed in time (%d of %d)\n", ListItemCount(TheWindow().list.Handle()), files);
    std::_Exit(1);
  }
  SortEachColumn(probe, "during the run");
  const double start = Seconds();
  WaitUntilSettled(kTimeoutMs);
  std::printf("run settled %.1f s after the first sorts\n", Seconds() - start);
  SortEachColumn(probe, "after the run");
  std::_Exit(0);
}
