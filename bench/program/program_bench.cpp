// The whole program measured as a user meets it: the real main window and
// the pooled run, timed from the start of a run until the label counts
// every file done (the last step of the last file, after its digest cell).
// Every digest is checked against CryptoAPI's; a wrong one fails the run.
// Prints figures only: speed never fails it.
// Usage: program_bench <data folder holding A, B and C> [sets, e.g. AC]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/texts.h"
#include "bench/program/answer_probe.h"
#include "bench/program/bench_clock.h"
#include "bench/program/close_timing.h"
#include "bench/program/data_sets.h"
#include "engine/md5_hasher.h"
#include "runs/pooled_run.h"
#include "services/components.h"
#include "services/list_control.h"
#include "shell/main_window.h"
#include "tests/support/program_window.h"

namespace {

constexpr int kRepeats = 3;
constexpr double kMegabyte = 1e6;
constexpr double kMebibyte = 1024.0 * 1024.0;
constexpr std::int64_t kCalibrationBytes = std::int64_t{512} * 1024 * 1024;
constexpr DWORD kRunTimeoutMs = 600000;

struct RunFigures {
  double seconds = 0;
  double startSeconds = 0;   // StartPooledRun itself, on the window thread
  double windowCpuSeconds = 0;
  ProbeFigures probe;
};

struct SetResult {
  const DataSet* set = nullptr;
  std::vector<RunFigures> runs;
  double limitRate = 0;  // MB/s
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

ByteBuffer PatternChunk() {
  ByteBuffer chunk = ByteBuffer::Zeroed(kChunkSize);
  for (std::int32_t i = 0; i < kChunkSize; ++i) chunk.Data()[i] = static_cast<std::uint8_t>(i * 131);
  return chunk;
}

void HashCalibrationBytes(const ByteBuffer& chunk) {
  Md5Hasher hasher;
  hasher.Init();
  for (std::int64_t done = 0; done < kCalibrationBytes; done += kChunkSize) hasher.Update(chunk);
  hasher.Final();
}

DWORD WINAPI HashCalibrationThread(LPVOID) {
  HashCalibrationBytes(PatternChunk());
  return 0;
}

// cryptdll's MD5 over a chunk already in memory, in MB/s: on one core, or
// on `threads` threads at once (all of them together).
double RawMd5Rate(int threads) {
  const ByteBuffer chunk = PatternChunk();
  std::vector<double> rates;
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    const double start = Seconds();
    if (threads == 1) {
      HashCalibrationBytes(chunk);
    } else {
      std::vector<HANDLE> running;
      for (int i = 0; i < threads; ++i) {
        running.push_back(CreateThread(nullptr, 0, &HashCalibrationThread, nullptr, 0, nullptr));
      }
      WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), TRUE, INFINITE);
      for (HANDLE thread : running) CloseHandle(thread);
    }
    rates.push_back(static_cast<double>(kCalibrationBytes) * threads / kMegabyte / (Seconds() - start));
  }
  return Median(rates);
}

// User and kernel time of the calling (window) thread.
double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

int Processors() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  return static_cast<int>(system.dwNumberOfProcessors);
}

std::string FinishedLabel(std::size_t files) {
  const std::string total = std::to_string(files);
  return std::string(texts::kTotalCount) + total + texts::kArrow + total;
}

// Rows follow filePaths one to one here (no empty entries).
int WrongDigests(const DataSet& set) {
  const std::vector<RowCells> rows = ReadRows();
  int wrong = 0;
  for (std::size_t i = 0; i < set.paths.size(); ++i) {
    if (i >= rows.size() || rows[i].cell[3] != set.expected[i]) ++wrong;
  }
  return wrong;
}

// One pooled run of the set; false when it did not finish or a digest is wrong.
bool RunOnce(const DataSet& set, AnswerProbe& probe, RunFigures& figures) {
  ResetRuns();
  SetCaption(标签1, Text());
  for (const std::string& path : set.paths) filePaths.Append(Text(path));
  const std::string finished = FinishedLabel(set.paths.size());

  probe.Begin();
  const double cpuBefore = ThreadCpuSeconds();
  const double start = Seconds();
  StartPooledRun();
  figures.startSeconds = Seconds() - start;
  const bool done = PumpUntil([&] { return LabelText() == finished; }, kRunTimeoutMs);
  figures.seconds = Seconds() - start;
  figures.windowCpuSeconds = ThreadCpuSeconds() - cpuBefore;
  figures.probe = probe.End();
  if (!done) {
    std::fprintf(stderr, "set %s: the run did not finish (label %s)\n", set.name.c_str(),
                 LabelText().c_str());
    return false;
  }
  const int wrong = WrongDigests(set);
  if (wrong != 0) {
    std::fprintf(stderr, "set %s: %d of %zu digests are wrong\n", set.name.c_str(), wrong,
                 set.paths.size());
    return false;
  }
  return true;
}

void PrintTable(const std::vector<SetResult>& results, double rawRate, double allCoresRate,
                int processors) {
  std::printf("\nraw MD5 (cryptdll, one core, in memory): %.0f MB/s; processors: %d\n", rawRate,
              processors);
  std::printf("raw MD5 on %d threads at once (in memory): %.0f MB/s, %.2f x one core\n", processors,
              allCoresRate, allCoresRate / rawRate);
  std::printf("medians of %d runs, warm cache; limit = raw MD5 rate x min(files, processors)\n\n",
              kRepeats);
  std::printf("| set | data | wall s | MB/s | files/s | limit MB/s | of limit | peak WS MiB | longest answer ms |\n");
  std::printf("|---|---|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const SetResult& result : results) {
    std::vector<double> seconds, answers, peaks;
    for (const RunFigures& run : result.runs) {
      seconds.push_back(run.seconds);
      answers.push_back(run.probe.longestAnswerMs);
      peaks.push_back(static_cast<double>(run.probe.peakWorkingSet) / kMebibyte);
    }
    const double wall = Median(seconds);
    const double rate = static_cast<double>(result.set->bytes) / kMegabyte / wall;
    std::printf("| %s | %s | %.3f | %.0f | %.0f | %.0f | %.2f | %.0f | %.0f |\n",
                result.set->name.c_str(), result.set->description.c_str(), wall, rate,
                static_cast<double>(result.set->paths.size()) / wall, result.limitRate,
                rate / result.limitRate, Median(peaks), *std::max_element(answers.begin(), answers.end()));
  }
}

// Each run: wall time, the part spent in StartPooledRun, and the window
// thread's CPU time, all in seconds.
void PrintRuns(const SetResult& result) {
  std::printf("set %s runs (wall / start / window CPU, s):", result.set->name.c_str());
  for (const RunFigures& run : result.runs) {
    std::printf("  %.3f / %.3f / %.3f", run.seconds, run.startSeconds, run.windowCpuSeconds);
  }
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: program_bench <data folder> [sets]\n");
    return 2;
  }
  if (!Md5Hasher::IsAvailable()) {
    std::fprintf(stderr, "cryptdll.dll's MD5 is not available\n");
    return 1;
  }
  const std::string root = argv[1];
  std::vector<DataSet> sets = {{"A", "4 x 256 MiB", root + "\\A", {}, {}, 0},
                               {"B", "2000 x 16 KiB", root + "\\B", {}, {}, 0},
                               {"C", "1 x 1 GiB", root + "\\C", {}, {}, 0}};
  if (argc == 3) {
    const std::string chosen = argv[2];
    std::erase_if(sets, [&](const DataSet& set) { return chosen.find(set.name) == std::string::npos; });
  }
  for (DataSet& set : sets) {
    if (!LoadDataSet(set)) {
      std::fprintf(stderr, "no data in %s\n", set.folder.c_str());
      return 1;
    }
  }

  const int processors = Processors();
  const double rawRate = RawMd5Rate(1);
  const double allCoresRate = RawMd5Rate(processors);
  HWND window = StartProgramWindow();
  std::vector<SetResult> results;
  {
    AnswerProbe probe(window, GetCurrentProcess());
    for (const DataSet& set : sets) {
      SetResult result;
      result.set = &set;
      const auto parallel = std::min<std::size_t>(set.paths.size(), static_cast<std::size_t>(processors));
      result.limitRate = rawRate * static_cast<double>(parallel);
      WarmCache(set);
      for (int repeat = 0; repeat < kRepeats; ++repeat) {
        RunFigures figures;
        if (!RunOnce(set, probe, figures)) return 1;
        result.runs.push_back(figures);
      }
      PrintRuns(result);
      results.push_back(result);
    }
  }
  ResetRuns();
  PrintTable(results, rawRate, allCoresRate, processors);
  if (sets.front().name != "A") return 0;

  std::vector<CloseFigures> closes;
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    closes.push_back(TimeCloseHalfway(sets[0]));
    if (!closes.back().measured) {
      std::fprintf(stderr, "close timing: the program did not start or did not end\n");
      return 1;
    }
  }

  std::vector<double> ratios;
  for (const CloseFigures& close : closes) ratios.push_back(close.requestToEnd / close.hashingLeft);
  const double ratio = Median(ratios);
  for (const CloseFigures& close : closes) {
    if (close.requestToEnd / close.hashingLeft != ratio) continue;
    std::printf("\nclose halfway through A (real md5check.exe, median of %d): requested at %.0f%% done, "
                "process ended after %.3f s; hashing left %.3f s; ratio %.2f; longest answer meanwhile %.0f ms\n",
                kRepeats, close.doneFraction * 100.0, close.requestToEnd, close.hashingLeft, ratio,
                close.longestAnswerMs);
    break;
  }
  return 0;
}
