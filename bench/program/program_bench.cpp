// The real md5check.exe measured from outside, as a user meets it, through
// what any process can read: the list's cells (LVM_GETITEMTEXTA) and the
// label's text. Two ways in:
//   verify <set folder>           the program is copied beside the set's
//       md5.ini and started there, so it verifies the listed files from
//       start-up; timed from its start until every row shows "文件通过校验".
//   drop <set folder> <run folder>  the program is started in a folder with
//       no md5.ini and given one drop of every listed file's full path from
//       this process; timed from the drop until the label counts every file
//       done (the last step of each file, after its digest cell).
//   close <set folder>            verify as above; when half the bytes are
//       done (the mean of the progress cells), WM_CLOSE is posted, and the
//       time until the process has ended is set against the hashing left at
//       the pace the program kept until then.
// Meanwhile the window's answer time and the program's open files are
// watched. Afterwards every digest cell is compared with md5.ini's digest,
// which the bench makes from md5sum's output. Prints one line of figures
// (key=value) for tools/run-bench's table; speed never fails the run.
#include <windows.h>
// after windows.h, which they need
#include <ole2.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/texts.h"
#include "bench/program/bench_clock.h"
#include "bench/program/open_files.h"
#include "bench/program/outside_drop.h"
#include "bench/program/program_watch.h"
#include "tests/support/remote_program.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kDigestColumn = 3;
constexpr int kProgressColumn = 4;
constexpr DWORD kPollMs = 20;
constexpr double kRunTimeoutSeconds = 1800;
// After the label counts every file done, verdicts follow on the next ticks.
constexpr double kVerdictGraceSeconds = 10;
constexpr DWORD kExitTimeoutMs = 60000;
constexpr double kMebibyte = 1024.0 * 1024.0;
constexpr double kHalfway = 0.5;
constexpr DWORD kClosePollMs = 5;

struct ListedFile {
  std::string name;    // as md5.ini gives it, relative to the set's folder
  std::string digest;  // upper case
};

// md5.ini's name=DIGEST lines, each ended by CR LF.
std::vector<ListedFile> ReadDigestList(const std::string& folder) {
  const std::string list = ReadFileBytes(folder + "\\" + texts::kDigestListName);
  std::vector<ListedFile> files;
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t end = list.find("\r\n", start);
    if (end == std::string::npos) end = list.size();
    const std::string line = list.substr(start, end - start);
    const std::size_t separator = line.find('=');
    if (separator != std::string::npos) files.push_back({line.substr(0, separator), line.substr(separator + 1)});
    start = end + 2;
  }
  return files;
}

std::string DoneLabel(std::size_t files) {
  const std::string total = std::to_string(files);
  return std::string(texts::kTotalCount) + total + texts::kArrow + total;
}

// 标签1's text, kept by the window manager: reading it does not wait for the
// program's window thread.
std::string LabelText(HWND window) {
  HWND label = FindWindowExA(window, nullptr, "Static", nullptr);
  char text[128] = {};
  GetWindowTextA(label, text, sizeof text);
  return text;
}

struct RunFigures {
  bool finished = false;
  double seconds = 0;        // until the end the mode waits for
  double digestsSeconds = 0;  // until the label counted every file done
  int judged = 0;            // rows with a verdict (verify)
  int mismatches = 0;        // rows judged "！验证错误"
};

// Walks on over the rows in order as their verdicts appear: each row's
// progress cell is read about once, so the watching costs the program about
// one message per row in all.
void WalkOverVerdicts(const RemoteProgram& program, RunFigures& figures) {
  const int rows = program.RowCount();
  while (figures.judged < rows) {
    const std::string verdict = program.Cell(figures.judged, kProgressColumn);
    if (verdict == texts::kMismatch) {
      ++figures.mismatches;
    } else if (verdict != texts::kVerified) {
      return;
    }
    ++figures.judged;
  }
}

RunFigures WaitForVerdicts(const RemoteProgram& program, std::size_t files, double start) {
  RunFigures figures;
  const std::string done = DoneLabel(files);
  while (Seconds() - start < kRunTimeoutSeconds) {
    if (figures.digestsSeconds == 0 && LabelText(program.Window()) == done) figures.digestsSeconds = Seconds() - start;
    WalkOverVerdicts(program, figures);
    if (figures.judged == static_cast<int>(files)) {
      figures.finished = true;
      break;
    }
    if (figures.digestsSeconds != 0 && Seconds() - start > figures.digestsSeconds + kVerdictGraceSeconds) break;
    Sleep(kPollMs);
  }
  figures.seconds = Seconds() - start;
  return figures;
}

RunFigures WaitForLabel(const RemoteProgram& program, std::size_t files, double start) {
  RunFigures figures;
  const std::string done = DoneLabel(files);
  while (Seconds() - start < kRunTimeoutSeconds) {
    if (LabelText(program.Window()) == done) {
      figures.finished = true;
      break;
    }
    Sleep(kPollMs);
  }
  figures.seconds = figures.digestsSeconds = Seconds() - start;
  return figures;
}

// Rows follow md5.ini's entries (or the dropped paths) one to one.
int WrongDigests(const RemoteProgram& program, const std::vector<ListedFile>& files) {
  const int rows = program.RowCount();
  int wrong = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (static_cast<int>(i) >= rows || program.Cell(static_cast<int>(i), kDigestColumn) != files[i].digest) ++wrong;
  }
  return wrong;
}

double PeakWorkingSetMiB(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
  return static_cast<double>(counters.PeakWorkingSetSize) / kMebibyte;
}

int Processors() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  return static_cast<int>(system.dwNumberOfProcessors);
}

void PrintFigures(const char* mode, std::size_t files, const RunFigures& run, double windowSeconds,
                  const WatchFigures& watch, int idleOpenFiles, double peakWorkingSet, int wrong) {
  std::printf(
      "ours mode=%s files=%zu finished=%d seconds=%.3f digests_s=%.3f window_s=%.3f judged=%d mismatches=%d "
      "wrong=%d longest_answer_ms=%.0f peak_open_files=%d idle_open_files=%d processors=%d peak_ws_mib=%.0f\n",
      mode, files, run.finished ? 1 : 0, run.seconds, run.digestsSeconds, windowSeconds, run.judged, run.mismatches,
      wrong, watch.longestAnswerMs, watch.peakOpenFiles, idleOpenFiles, Processors(), peakWorkingSet);
  std::fflush(stdout);
}

// Ends the program as a user would, then removes the copy the run put there.
void CloseProgram(RemoteProgram& program, const std::string& folder) {
  program.RequestClose();
  program.WaitForExit(kExitTimeoutMs);
  DeleteFileA((folder + "\\md5check.exe").c_str());
}

int Verify(const std::string& folder) {
  const std::vector<ListedFile> files = ReadDigestList(folder);
  if (files.empty()) {
    std::fprintf(stderr, "program_bench: no md5.ini entries in %s\n", folder.c_str());
    return 1;
  }
  const double start = Seconds();
  RemoteProgram program(folder);
  if (!program.Started()) {
    std::fprintf(stderr, "program_bench: md5check.exe did not start in %s\n", folder.c_str());
    return 1;
  }
  const double windowSeconds = Seconds() - start;
  ProgramWatch watch(program.Window(), GetProcessId(program.Process()));
  const RunFigures run = WaitForVerdicts(program, files.size(), start);
  const WatchFigures watched = watch.Stop();
  const int wrong = WrongDigests(program, files);
  const int idle = CountOpenFiles(GetProcessId(program.Process()));
  const double peak = PeakWorkingSetMiB(program.Process());
  CloseProgram(program, folder);
  PrintFigures("verify", files.size(), run, windowSeconds, watched, idle, peak, wrong);
  return run.finished && wrong == 0 && run.mismatches == 0 ? 0 : 1;
}

int Drop(const std::string& setFolder, const std::string& runFolder) {
  const std::vector<ListedFile> files = ReadDigestList(setFolder);
  std::vector<std::string> paths;
  for (const ListedFile& file : files) paths.push_back(setFolder + "\\" + file.name);
  DeleteFileA((runFolder + "\\" + texts::kDigestListName).c_str());
  OleInitialize(nullptr);
  RemoteProgram program(runFolder);
  if (paths.empty() || !program.Started()) {
    std::fprintf(stderr, "program_bench: no paths, or md5check.exe did not start in %s\n", runFolder.c_str());
    return 1;
  }
  ProgramWatch watch(program.Window(), GetProcessId(program.Process()));
  const double start = Seconds();
  if (!DropFromOutside(program.Window(), paths)) {
    std::fprintf(stderr, "program_bench: the window took no drop\n");
    return 1;
  }
  const RunFigures run = WaitForLabel(program, files.size(), start);
  const WatchFigures watched = watch.Stop();
  const int wrong = WrongDigests(program, files);
  const int idle = CountOpenFiles(GetProcessId(program.Process()));
  const double peak = PeakWorkingSetMiB(program.Process());
  CloseProgram(program, runFolder);
  OleUninitialize();
  PrintFigures("drop", files.size(), run, 0, watched, idle, peak, wrong);
  return run.finished && wrong == 0 ? 0 : 1;
}

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

int CloseHalfway(const std::string& folder) {
  const int rows = static_cast<int>(ReadDigestList(folder).size());
  RemoteProgram program(folder);
  if (rows == 0 || !program.Started()) {
    std::fprintf(stderr, "program_bench: no md5.ini entries, or md5check.exe did not start in %s\n", folder.c_str());
    return 1;
  }
  while (program.RowCount() != rows && !program.Exited()) Sleep(1);
  const double rowsShown = Seconds();
  double done = 0;
  while ((done = DoneFraction(program, rows)) < kHalfway && Seconds() - rowsShown < kRunTimeoutSeconds) Sleep(kClosePollMs);
  ProgramWatch watch(program.Window(), GetProcessId(program.Process()));
  const double requested = Seconds();
  program.RequestClose();
  const long exitCode = program.WaitForExit(kExitTimeoutMs);
  const double requestToEnd = Seconds() - requested;
  const WatchFigures watched = watch.Stop();
  DeleteFileA((folder + "\\md5check.exe").c_str());
  // At the pace the program kept since its rows appeared.
  const double hashingLeft = (requested - rowsShown) * (1.0 - done) / done;
  std::printf("close done_fraction=%.2f request_to_end_s=%.3f hashing_left_s=%.3f exit_code=%ld longest_answer_ms=%.0f\n",
              done, requestToEnd, hashingLeft, exitCode, watched.longestAnswerMs);
  return exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "verify" && argc == 3) return Verify(argv[2]);
  if (mode == "drop" && argc == 4) return Drop(argv[2], argv[3]);
  if (mode == "close" && argc == 3) return CloseHalfway(argv[2]);
  std::fprintf(stderr, "usage: program_bench verify|close <set folder> | program_bench drop <set folder> <run folder>\n");
  return 2;
}
