// The real md5check.exe measured from outside, as a user meets it, through
// what any process can read: the list's cells (LVM_GETITEMTEXTA) and the
// label's text. Three measures:
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
//   failing <list> <run folder>    the program is started in the run folder
//       on a list whose every file fails to read (a faulty disk); timed
//       until the counts say every row failed, the window watched meanwhile.
// Meanwhile the window's answer time and the program's open files are
// watched. Afterwards every digest cell is compared with md5.ini's digest,
// which the bench makes from md5sum's output. Prints one line of figures
// (key=value) for tools/run-bench's table; speed never fails the run.
#include <windows.h>
// after windows.h, which they need
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "services/texts.h"
#include "bench/program/bench_clock.h"
#include "bench/program/column_reader.h"
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
constexpr int kTailRows = 50;
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

// 标签1's text, kept by the window manager: reading it does not wait for the
// program's window thread.
std::string LabelText(HWND window) {
  HWND label = FindWindowExA(window, nullptr, "Static", nullptr);
  char text[128] = {};
  GetWindowTextA(label, text, sizeof text);
  return text;
}

// The count of files done in "总数量:N ->> n"; 0 before the first.
int DoneCount(const std::string& label) {
  const std::size_t arrow = label.find(texts::kArrow);
  return arrow == std::string::npos ? 0 : std::atoi(label.c_str() + arrow + std::strlen(texts::kArrow));
}

struct RunFigures {
  bool finished = false;
  double seconds = 0;         // until the end the mode waits for
  double digestsSeconds = 0;  // until the label counted every file done
  double dropSeconds = 0;     // the drop itself, until the target's Drop returned
  int judged = 0;             // rows with a verdict (verify)
  int mismatches = 0;         // rows judged "！验证错误"
};

bool IsVerdict(const std::string& text) { return text == texts::kVerified || text == texts::kMismatch; }

// Counts the verdicts of rows first .. first + count - 1 into `figures`.
void CountVerdicts(ColumnReader& verdicts, int first, int count, RunFigures& figures) {
  figures.judged = figures.mismatches = 0;
  for (int batch = first; batch < first + count; batch += ColumnReader::kBatchRows) {
    for (const std::string& text : verdicts.Read(batch, std::min(ColumnReader::kBatchRows, first + count - batch))) {
      if (IsVerdict(text)) ++figures.judged;
      if (text == texts::kMismatch) ++figures.mismatches;
    }
  }
}

// Until the label counts every file done; false on time-out.
bool WaitForAllDone(const RemoteProgram& program, int files, double start, RunFigures& figures) {
  while (DoneCount(LabelText(program.Window())) != files) {
    if (Seconds() - start > kRunTimeoutSeconds) return false;
    Sleep(kPollMs);
  }
  figures.digestsSeconds = Seconds() - start;
  return true;
}

// Only the label is read while the files are hashed: reading cells then
// would cost the program's window thread a message each, and slow the run
// it measures. Then the last rows queued, which are among the last hashed,
// are watched until each has its verdict; then every row is read, and a row
// still without one moves the end to when all were seen judged.
RunFigures WaitForVerdicts(const RemoteProgram& program, int files, double start) {
  RunFigures figures;
  if (!WaitForAllDone(program, files, start, figures)) {
    figures.seconds = Seconds() - start;
    return figures;
  }
  ColumnReader verdicts(program.Process(), program.List(), kProgressColumn);
  const int tail = std::min(files, kTailRows);
  const double giveUp = figures.digestsSeconds + kVerdictGraceSeconds;
  for (CountVerdicts(verdicts, files - tail, tail, figures); figures.judged < tail;
       CountVerdicts(verdicts, files - tail, tail, figures)) {
    figures.seconds = Seconds() - start;
    if (figures.seconds > giveUp) return figures;
    Sleep(kPollMs);
  }
  figures.seconds = Seconds() - start;
  CountVerdicts(verdicts, 0, files, figures);
  while (figures.judged < files) {
    if (Seconds() - start > giveUp) return figures;
    Sleep(kPollMs);
    CountVerdicts(verdicts, 0, files, figures);
    figures.seconds = Seconds() - start;  // all seen judged only now
  }
  figures.finished = true;
  return figures;
}

RunFigures WaitForLabel(const RemoteProgram& program, int files, double start) {
  RunFigures figures;
  figures.finished = WaitForAllDone(program, files, start, figures);
  figures.seconds = Seconds() - start;
  return figures;
}

// Rows follow md5.ini's entries (or the dropped paths) one to one.
int WrongDigests(const RemoteProgram& program, const std::vector<ListedFile>& files) {
  const int count = static_cast<int>(files.size());
  if (program.RowCount() != count) return count;
  ColumnReader digests(program.Process(), program.List(), kDigestColumn);
  int wrong = 0;
  for (int first = 0; first < count; first += ColumnReader::kBatchRows) {
    const std::vector<std::string> batch = digests.Read(first, std::min(ColumnReader::kBatchRows, count - first));
    for (int i = first; i < first + ColumnReader::kBatchRows && i < count; ++i) {
      if (static_cast<std::size_t>(i - first) >= batch.size() || batch[i - first] != files[i].digest) ++wrong;
    }
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

// After a run: the watch's figures, every digest checked (timed, which
// gives the cost of one cell read from outside), the files still open once
// idle; then the program is ended as a user would, its copy removed, and
// one line of figures printed. 0 when the run finished with right digests.
int FinishRun(const char* mode, RemoteProgram& program, const std::string& folder,
              const std::vector<ListedFile>& files, const RunFigures& run, double windowSeconds,
              ProgramWatch& watch) {
  const WatchFigures watched = watch.Stop();
  const double checkStart = Seconds();
  const int wrong = WrongDigests(program, files);
  const double cellReadMicros = (Seconds() - checkStart) * 1e6 / static_cast<double>(files.size());
  const DWORD processId = GetProcessId(program.Process());
  const int idleOpenFiles = CountOpenFiles(processId);
  const double peakWorkingSet = PeakWorkingSetMiB(program.Process());
  program.RequestClose();
  program.WaitForExit(kExitTimeoutMs);
  DeleteFileA((folder + "\\md5check.exe").c_str());
  std::printf(
      "ours mode=%s files=%zu finished=%d seconds=%.3f digests_s=%.3f window_s=%.3f judged=%d mismatches=%d "
      "wrong=%d longest_answer_ms=%.0f peak_open_files=%d idle_open_files=%d processors=%d peak_ws_mib=%.0f "
      "cell_read_us=%.0f drop_s=%.3f answers=%d slow_answers=%d\n",
      mode, files.size(), run.finished ? 1 : 0, run.seconds, run.digestsSeconds, windowSeconds, run.judged,
      run.mismatches, wrong, watched.longestAnswerMs, watched.peakOpenFiles, idleOpenFiles, Processors(),
      peakWorkingSet, cellReadMicros, run.dropSeconds, watched.answers, watched.slowAnswers);
  std::fflush(stdout);
  return run.finished && wrong == 0 && run.mismatches == 0 ? 0 : 1;
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
  const RunFigures run = WaitForVerdicts(program, static_cast<int>(files.size()), start);
  return FinishRun("verify", program, folder, files, run, windowSeconds, watch);
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
  const double dropSeconds = Seconds() - start;
  RunFigures run = WaitForLabel(program, static_cast<int>(files.size()), start);
  run.dropSeconds = dropSeconds;
  const int result = FinishRun("drop", program, runFolder, files, run, 0, watch);
  OleUninitialize();
  return result;
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

// "失败:N 待处理:0": every row failed and none is left.
bool AllFailed(HWND window, int files) {
  const std::string expected = std::string(texts::kCountFailed) + std::to_string(files) + " " +
                               texts::kCountPending + "0";
  for (HWND child = FindWindowExA(window, nullptr, "Static", nullptr); child != nullptr;
       child = FindWindowExA(window, child, "Static", nullptr)) {
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    if (std::string(text).find(expected) != std::string::npos) return true;
  }
  return false;
}

int Failing(const std::string& list, const std::string& runFolder) {
  const std::string folder = list.substr(0, list.find_last_of('\\'));
  const int files = static_cast<int>(ReadDigestList(folder).size());
  const double start = Seconds();
  RemoteProgram program(runFolder, {list});
  if (files == 0 || !program.Started()) {
    std::fprintf(stderr, "program_bench: no entries in %s, or md5check.exe did not start\n", list.c_str());
    return 1;
  }
  ProgramWatch watch(program.Window(), GetProcessId(program.Process()));
  bool finished = true;
  while (!AllFailed(program.Window(), files)) {
    if (Seconds() - start > kRunTimeoutSeconds) {
      finished = false;
      break;
    }
    Sleep(kPollMs);
  }
  const double seconds = Seconds() - start;
  const WatchFigures watched = watch.Stop();
  program.RequestClose();
  const long exitCode = program.WaitForExit(kExitTimeoutMs);
  DeleteFileA((runFolder + "\\md5check.exe").c_str());
  std::printf("failing files=%d finished=%d seconds=%.3f longest_answer_ms=%.0f answers=%d slow_answers=%d exit_code=%ld\n",
              files, finished ? 1 : 0, seconds, watched.longestAnswerMs, watched.answers, watched.slowAnswers,
              exitCode);
  return finished && exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "verify" && argc == 3) return Verify(argv[2]);
  if (mode == "drop" && argc == 4) return Drop(argv[2], argv[3]);
  if (mode == "close" && argc == 3) return CloseHalfway(argv[2]);
  if (mode == "failing" && argc == 4) return Failing(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: program_bench verify|close <set folder> | program_bench drop <set folder> <run folder>\n"
               "       program_bench failing <list> <run folder>\n");
  return 2;
}
