#include "bench/program/close_timing.h"

#include <windows.h>

#include <cstdlib>

#include "app/texts.h"
#include "bench/program/answer_probe.h"
#include "bench/program/bench_clock.h"
#include "tests/support/remote_program.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 120000;
constexpr DWORD kPollMs = 5;
constexpr double kHalfway = 0.5;
constexpr int kProgressColumn = 4;

// A row's share done, from its progress cell ("37%"; a verdict means all).
double RowFraction(const std::string& cell) {
  if (cell.empty()) return 0;
  if (cell.back() != '%') return 1;
  return std::atof(cell.c_str()) / 100.0;
}

double DoneFraction(const RemoteProgram& program, int rows) {
  double sum = 0;
  for (int row = 0; row < rows; ++row) sum += RowFraction(program.Cell(row, kProgressColumn));
  return sum / rows;
}

bool WaitForRows(const RemoteProgram& program, int rows) {
  const DWORD start = GetTickCount();
  while (program.RowCount() != rows) {
    if (GetTickCount() - start >= kStartTimeoutMs) return false;
    Sleep(1);
  }
  return true;
}

HANDLE OpenProcessOf(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
}

}  // namespace

CloseFigures TimeCloseHalfway(const DataSet& set) {
  CloseFigures figures;
  const std::string list = set.folder + "\\" + texts::kDigestListName;
  const std::string program = set.folder + "\\md5check.exe";
  WriteTextFile(list, DigestListOf(set));
  {
    RemoteProgram remote(set.folder);
    const int rows = static_cast<int>(set.paths.size());
    if (remote.Started() && WaitForRows(remote, rows)) {
      const double rowsShown = Seconds();
      double done = 0;
      while ((done = DoneFraction(remote, rows)) < kHalfway) Sleep(kPollMs);
      HANDLE process = OpenProcessOf(remote.Window());
      {
        AnswerProbe probe(remote.Window(), process);
        probe.Begin();
        const double requested = Seconds();
        remote.RequestClose();
        if (remote.WaitForExit(kExitTimeoutMs) >= 0) {
          figures.measured = true;
          figures.requestToEnd = Seconds() - requested;
          figures.doneFraction = done;
          // At the pace the program kept since its rows appeared.
          figures.hashingLeft = (requested - rowsShown) * (1.0 - done) / done;
        }
        figures.longestAnswerMs = probe.End().longestAnswerMs;
      }
      if (process != nullptr) CloseHandle(process);
    }
  }
  DeleteFileA(list.c_str());
  DeleteFileA(program.c_str());
  return figures;
}
