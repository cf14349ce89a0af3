// The long scenarios, run by tools/run-stress only (not part of ctest's
// default run): ten thousand paths in one drop, drops while runs are in
// progress with verdicts watched, and closing the real program under load.
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "services/files.h"
#include "services/list_control.h"
#include "shell/main_window.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/program_window.h"
#include "tests/support/remote_program.h"

namespace {

constexpr DWORD kLoadTimeoutMs = 900000;
constexpr int kPaths = 10000;
constexpr int kDistinctFiles = 100;

// Built by appending: GCC 12 warns falsely (-Wrestrict) on chains of
// std::string + std::to_string.
std::string Numbered(const char* prefix, int number, const char* suffix = "") {
  std::string name(prefix);
  name += std::to_string(number);
  name += suffix;
  return name;
}

// Committed memory of this process (Wine leaves PrivateUsage at 0).
std::int64_t CommittedBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<std::int64_t>(counters.PagefileUsage);
}

std::int64_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<std::int64_t>(counters.PeakWorkingSetSize);
}

// Asks the window for an answer every 50 ms from another thread and keeps
// the longest wait.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window)
      : thread_([this, window] {
          while (running_) {
            const DWORD start = GetTickCount();
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) ++timeouts_;
            longest_ = std::max<DWORD>(longest_, GetTickCount() - start);
            Sleep(50);
          }
        }) {}
  ~AnswerWatch() { Stop(); }
  void Stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }
  DWORD Longest() const { return longest_; }
  int Timeouts() const { return timeouts_; }

 private:
  std::atomic<bool> running_{true};
  std::atomic<DWORD> longest_{0};
  std::atomic<int> timeouts_{0};
  std::thread thread_;
};

TEST(LoadStress, TenThousandPathsInOneDrop) {
  StartProgramWindow();
  ResetRuns();
  HWND window = TheWindow().window;
  TempFolder folder;
  reliability::Untouched untouched;
  std::vector<std::string> files, digests;
  for (int i = 0; i < kDistinctFiles; ++i) {
    files.push_back(folder.Join(Numbered("f", i, ".bin")));
    WriteTestFile(files.back(), 1000 * (i + 1), 700 + i);
    digests.push_back(ReferenceMd5OfFile(files.back()));
    untouched.File(files.back());
  }
  std::vector<std::string> paths;
  for (int i = 0; i < kPaths; ++i)
    paths.push_back(i % 2 == 0 ? files[(i / 2) % kDistinctFiles] : folder.Join(Numbered("missing", i)));
  untouched.Folder(folder.Path());
  untouched.Folder(RunDirectory().Bytes());

  const std::int64_t before = CommittedBytes();
  AnswerWatch watch(window);
  const DWORD start = GetTickCount();
  ASSERT_TRUE(DropPaths(paths));
  // Watched while only the program holds the window thread: the run's
  // start (10,000 opens and rows) and half a minute of hashing. Reading
  // 50,000 cells back afterwards holds it too, for the test's sake.
  ASSERT_TRUE(PumpUntil([] { return ListItemCount(TheWindow().list.Handle()) == kPaths; }, kLoadTimeoutMs));
  PumpFor(30000);
  watch.Stop();
  ASSERT_TRUE(reliability::WaitUntilRowsSettle(kLoadTimeoutMs));
  const DWORD elapsed = GetTickCount() - start;
  const std::int64_t after = CommittedBytes();

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), static_cast<size_t>(kPaths));
  int wrong = 0;
  for (int i = 0; i < kPaths; ++i) {
    const bool ok = i % 2 == 0 ? rows[i].cell[3] == digests[(i / 2) % kDistinctFiles] && rows[i].cell[4] == "100%"
                               : rows[i].cell[2] == texts::kDigestFailed && rows[i].cell[4].empty();
    wrong += ok ? 0 : 1;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "10000" + texts::kArrow + "5000");
  EXPECT_EQ(watch.Timeouts(), 0);
  // Bounded: the list's texts, not the files' bytes (8 MiB chunks are per
  // worker and freed after each file).
  EXPECT_LT(after - before, std::int64_t(256) << 20);
  std::printf("[ figures  ] 10000 paths: %lu ms; committed %lld MiB -> %lld MiB, peak working set "
              "%lld MiB; longest answer %lu ms\n",
              elapsed, before >> 20, after >> 20, PeakWorkingSet() >> 20, watch.Longest());
  untouched.Expect();
}

TEST(LoadStress, DropsWhileRunsAreInProgressThenStopAndDropAgain) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  reliability::Untouched untouched;
  // The first entries carry expected digests, as md5.ini entries would, so
  // the 400 ms tick judges their rows through every rebuild.
  std::vector<std::string> paths, digests;
  auto make = [&](const std::string& name, std::int64_t size, std::uint32_t seed) {
    paths.push_back(folder.Join(name));
    WriteTestFile(paths.back(), size, seed);
    digests.push_back(ReferenceMd5OfFile(paths.back()));
    untouched.File(paths.back());
  };
  for (int i = 0; i < 4; ++i) make(Numbered("listed", i, ".bin"), 48 << 20, 800 + i);
  for (int i = 0; i < 4; ++i) {
    AppendListed(paths[i], digests[i]);
  }

  bool sawMismatch = false;
  auto look = [&] {
    const auto rows = ReadRows();
    for (size_t i = 0; i < rows.size() && i < 4; ++i) sawMismatch |= rows[i].cell[4] == texts::kMismatch;
  };
  for (int drop = 0; drop < 20; ++drop) {
    make(Numbered("drop", drop, ".bin"), (drop % 3 + 1) << 20, 900 + drop);
    paths.push_back(folder.Join(Numbered("missing", drop)));
    digests.push_back("");
  }
  make("after-stop.bin", 3 << 20, 999);
  untouched.Folder(folder.Path());
  for (int drop = 0; drop < 20; ++drop) {
    ASSERT_TRUE(DropPaths({paths[4 + 2 * drop], paths[5 + 2 * drop]}));
    PumpFor(50);
    look();
  }
  ClickButton(TheWindow().stopButton);  // stop
  PumpFor(300);
  look();
  ASSERT_TRUE(DropPaths({paths.back()}));
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kLoadTimeoutMs) {
    look();
    if (reliability::WaitUntilRowsSettle(1000)) break;
  }
  PumpFor(1000);  // the last ticks judge the final rows
  look();

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), paths.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    if (digests[i].empty()) {
      EXPECT_TRUE(reliability::FailedBeforeReading({rows[i].cell[0], rows[i].cell[1], rows[i].cell[2],
                                                    rows[i].cell[3], rows[i].cell[4]}));
    } else {
      EXPECT_EQ(rows[i].cell[3], digests[i]);
    }
  }
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(rows[i].cell[4], texts::kVerified);
  EXPECT_FALSE(sawMismatch) << "a matching file was judged a mismatch on the way";
  untouched.Expect();
}

TEST(LoadStress, CloseDuringTenThousandEntriesEndsWithCodeZeroWithoutReadingTheQueuedFiles) {
  TempFolder outer;
  const std::string folder = outer.Join("run");
  CreateDirectoryA(folder.c_str(), nullptr);
  reliability::Untouched untouched;
  std::string list;
  for (int i = 0; i < kPaths - 2; ++i) {
    if (i % 2 == 0) {
      const std::string name = Numbered("f", i % 200, ".bin");
      if (i < 200) {
        WriteTestFile(folder + "\\" + name, 2000 + i, 1000 + i);
        untouched.File(folder + "\\" + name);
      }
      list += name + "=" + ReferenceMd5OfFile(folder + "\\" + name) + "\r\n";
    } else {
      list += Numbered("missing", i, ".bin=") + ReferenceMd5("") + "\r\n";
    }
  }
  // Two files queue last, a large one and a small one: the close stops the
  // run, so neither may be read after it.
  std::vector<std::string> lastDigests;
  for (int i = 0; i < 2; ++i) {
    const std::string name = Numbered("last", i, ".bin");
    WriteTestFile(folder + "\\" + name, i == 0 ? (512 << 20) : (1 << 20), 1500 + i);
    untouched.File(folder + "\\" + name);
    lastDigests.push_back(ReferenceMd5OfFile(folder + "\\" + name));
    list += name + "=" + lastDigests.back() + "\r\n";
  }
  WriteTextFile(folder + "\\md5.ini", list);
  untouched.File(folder + "\\md5.ini");

  RemoteProgram program(folder);
  ASSERT_TRUE(program.Started());
  untouched.Folder(folder);
  untouched.Folder(outer.Path());
  ASSERT_TRUE(program.WaitFor([&] { return program.RowCount() == kPaths && !program.Cell(0, 4).empty(); },
                              kLoadTimeoutMs));
  program.RequestClose();
  std::vector<bool> lastSeen(2, false);
  while (!program.Exited()) {
    for (int i = 0; i < 2; ++i)
      if (program.Cell(kPaths - 2 + i, 3) == lastDigests[i]) lastSeen[i] = true;
    Sleep(5);
  }
  EXPECT_EQ(program.WaitForExit(10000), 0);
  EXPECT_FALSE(lastSeen[0] || lastSeen[1]) << "a file queued last was hashed after the close";
  untouched.Expect();
}

}  // namespace
