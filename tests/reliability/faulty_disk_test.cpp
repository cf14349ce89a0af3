// The real program verifying lists whose files sit on a disk that fails:
// reads that fail from an offset on, files that vanish while read, a disk
// so slow that every read waits (tools/faulty-disk, a FUSE layer). The
// expected digests of the healthy files are md5sum's, taken on the folder
// the layer mirrors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include "tests/reliability/reliability_support.h"
#include "tests/support/faulty_disk.h"
#include "tests/support/remote_program.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

constexpr DWORD kSettleTimeoutMs = 120000;
// No hang: far beyond anything the window should take, so load (or the
// emulated 32-bit guest) never trips it.
constexpr DWORD kAnswerBoundMs = 15000;
constexpr std::int64_t kMiB = 1024 * 1024;
constexpr std::int64_t kChunk = 8 * kMiB;

// Mounts the layer with these rules as `disk`; skips, loudly, where FUSE
// cannot be had (CTest's pattern for this program catches the words).
#define MOUNT_OR_SKIP(disk, rules)                                                         \
  const FaultyDisk& disk = Mount(rules);                                                   \
  if (!disk.Unavailable().empty()) GTEST_SKIP() << "SKIPPED, NOT PASSED: " << disk.Unavailable(); \
  ASSERT_TRUE(disk.Mounted()) << disk.Problem()

bool RowEnded(const std::vector<std::string>& cells) {
  return reliability::IsVerdict(cells[4]) || cells[2] == texts::kDigestFailed;
}

bool AllEnded(const Rows& rows, size_t count) {
  if (rows.size() != count) return false;
  return std::all_of(rows.begin(), rows.end(), RowEnded);
}

// "<digest>  name" lines of md5sum, by name, upper case.
std::map<std::string, std::string> DigestsByName(const std::string& md5sumOutput) {
  std::map<std::string, std::string> digests;
  size_t start = 0;
  while (start < md5sumOutput.size()) {
    size_t end = md5sumOutput.find('\n', start);
    if (end == std::string::npos) end = md5sumOutput.size();
    const std::string line = md5sumOutput.substr(start, end - start);
    if (line.size() > 34) {
      std::string digest = line.substr(0, 32);
      for (char& c : digest) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
      digests[line.substr(34)] = digest;
    }
    start = end + 1;
  }
  return digests;
}

std::string CountsText(const RemoteProgram& program) {
  for (HWND child = FindWindowExA(program.Window(), nullptr, "Static", nullptr); child != nullptr;
       child = FindWindowExA(program.Window(), child, "Static", nullptr)) {
    char text[256] = {};
    GetWindowTextA(child, text, sizeof text);
    if (std::string(text).rfind(texts::kCountPassed, 0) == 0) return text;
  }
  return {};
}

// 标签1: "总数量:N ->> n", the run's successes.
std::string TotalLabel(const RemoteProgram& program) {
  char text[256] = {};
  GetWindowTextA(FindWindowExA(program.Window(), nullptr, "Static", nullptr), text, sizeof text);
  return text;
}

std::string Counts(int passed, int mismatched, int failed, int pending) {
  return std::string(texts::kCountPassed) + std::to_string(passed) + " " + texts::kCountMismatched +
         std::to_string(mismatched) + " " + texts::kCountFailed + std::to_string(failed) + " " +
         texts::kCountPending + std::to_string(pending);
}

// The summary the program copies (Ctrl+Shift+C), in the ANSI code page.
std::string CopiedSummary(const RemoteProgram& program) {
  const DWORD before = GetClipboardSequenceNumber();
  for (int tries = 0; tries < 3 && GetClipboardSequenceNumber() == before; ++tries)
    program.PressKey('C', true, true);
  const std::wstring wide = ClipboardText();
  std::string ansi(wide.size() * 2 + 1, '\0');
  ansi.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                                      ansi.data(), static_cast<int>(ansi.size()), nullptr,
                                                      nullptr)));
  return ansi;
}

// "served /name N" of the layer's counters: the bytes it gave that file.
std::int64_t Served(const std::string& stats, const std::string& name) {
  const std::string key = "served /" + name + " ";
  const size_t at = stats.find(key);
  return at == std::string::npos ? -1 : std::atoll(stats.c_str() + at + key.size());
}

class FaultyDiskTest : public ::testing::Test {
 protected:
  const FaultyDisk& Mount(const std::vector<std::string>& rules) {
    disk_ = std::make_unique<FaultyDisk>(rules);
    return *disk_;
  }
  // The listed files in the mirrored folder and md5.ini, written by md5sum
  // over them before any is read through the layer; unlisted ones beside.
  void MakeFiles(const FaultyDisk& disk, const std::vector<std::pair<std::string, std::int64_t>>& listed,
                 const std::vector<std::pair<std::string, std::int64_t>>& unlisted = {}) {
    std::string names;
    for (const auto& [name, size] : listed) names += " " + name;
    for (const auto& files : {listed, unlisted}) {
      for (const auto& [name, size] : files) {
        WriteTestFile(disk.Source() + "\\" + name, size, ++seed_);
        untouched_.File(disk.Source() + "\\" + name);
      }
    }
    std::string list;
    ASSERT_EQ(RunHostMd5sum(disk.Source(), names, &list), 0) << list;
    digests_ = DigestsByName(list);
    WriteTextFile(disk.Source() + "\\md5.ini", list);
  }

  // Until every row ended.
  Rows Ended(const RemoteProgram& program, size_t rowCount) {
    Rows rows;
    EXPECT_TRUE(program.WaitFor([&] { return AllEnded(rows = program.Rows(), rowCount); }, kSettleTimeoutMs))
        << "rows did not end";
    return rows;
  }

  // The counts follow the rows at the window's next look.
  static void ExpectCounts(const RemoteProgram& program, const std::string& expected) {
    program.WaitFor([&] { return CountsText(program) == expected; }, 10000);
    EXPECT_EQ(CountsText(program), expected);
  }

  void ExpectVerified(const std::vector<std::string>& cells) {
    SCOPED_TRACE(cells[1]);
    EXPECT_EQ(cells[4], texts::kVerified);
    EXPECT_EQ(cells[3], digests_[cells[1]]);
  }

  // Failed on its own: the failure text, no digest, "cannot be read", and
  // in the copied summary the reason of the failing call.
  static void ExpectFailedWithReason(const std::vector<std::string>& cells, const std::string& summary,
                                     DWORD error) {
    SCOPED_TRACE(cells[1]);
    EXPECT_EQ(cells[2], texts::kDigestFailed);
    EXPECT_EQ(cells[3], "") << "a failed read must never end in a digest";
    EXPECT_EQ(cells[4], texts::kUnreadable);
    EXPECT_NE((summary + "\r\n").find("\r\n" + cells[1] + "\t" + SystemMessageOf(error) + "\r\n"),
              std::string::npos)
        << "the reason of error " << error << " (" << SystemMessageOf(error) << ") is not in:\n"
        << summary;
  }

  // A file lost in its second chunk (`verb` "fail": EIO from there on;
  // "vanish": gone, ENOENT, once that much was read) between two healthy
  // ones, and another alone in a list of its own (read ahead of its
  // hashing then, by a thread of its own). A twin with the same fault,
  // read by this test, tells which error the system gives for it.
  void CheckFileLostMidRead(const std::string& verb) {
    std::vector<std::string> rules;
    for (const char* name : {"lost.bin", "alone.bin", "twin.bin"})
      rules.push_back(verb + " /" + name + " " + std::to_string(kChunk + 12345));
    MOUNT_OR_SKIP(disk, rules);
    MakeFiles(disk, {{"alone.bin", 3 * kChunk}}, {{"twin.bin", 3 * kChunk}});
    WriteTextFile(disk.Source() + "\\alone.md5", ReadFileBytes(disk.Source() + "\\md5.ini"));
    MakeFiles(disk, {{"before.bin", 3 * kMiB}, {"lost.bin", 3 * kChunk}, {"after.bin", 20 * kMiB + 7}});
    const DWORD error = FirstReadErrorOf(disk.Mount() + "\\twin.bin");
    ASSERT_NE(error, 0u) << "the layer let the twin be read whole";
    std::printf("[ outcome  ] %s: the read gives error %lu, \"%s\"\n", verb.c_str(), error,
                SystemMessageOf(error).c_str());

    RemoteProgram program(programFolder_.Path(), {disk.Mount() + "\\md5.ini"});
    ASSERT_TRUE(program.Started());
    const Rows rows = Ended(program, 3);
    ASSERT_EQ(rows.size(), 3u);
    ExpectVerified(rows[0]);
    ExpectFailedWithReason(rows[1], CopiedSummary(program), error);
    ExpectVerified(rows[2]);
    ExpectCounts(program, Counts(2, 0, 1, 0));
    EXPECT_TRUE(program.Answers(kAnswerBoundMs));
    program.RequestClose();
    EXPECT_EQ(program.WaitForExit(30000), 0);

    RemoteProgram alone(programFolder_.Path(), {disk.Mount() + "\\alone.md5"});
    ASSERT_TRUE(alone.Started());
    const Rows aloneRows = Ended(alone, 1);
    ASSERT_EQ(aloneRows.size(), 1u);
    ExpectFailedWithReason(aloneRows[0], CopiedSummary(alone), error);
    alone.RequestClose();
    EXPECT_EQ(alone.WaitForExit(30000), 0);

    // coreutils on the same mount, as its own tests expect of a read
    // error: the lost file "FAILED open or read", the next one verifies.
    std::string checked;
    EXPECT_EQ(RunShell(disk.Mount(), "LC_ALL=C md5sum -c md5.ini", &checked, programFolder_.Path()), 1) << checked;
    EXPECT_NE(checked.find("lost.bin: FAILED open or read"), std::string::npos) << checked;
    EXPECT_NE(checked.find("after.bin: OK"), std::string::npos) << checked;
  }

  // While the mirrored files are still there.
  void TearDown() override {
    if (disk_ != nullptr && disk_->Mounted()) untouched_.Expect();
  }

  TempFolder programFolder_;
  std::unique_ptr<FaultyDisk> disk_;
  std::uint32_t seed_ = 0;  // every file its own content
  std::map<std::string, std::string> digests_;
  reliability::Untouched untouched_;
};

TEST_F(FaultyDiskTest, AFileFailingMidReadFailsWithItsReasonAndTheOthersVerify) {
  CheckFileLostMidRead("fail");
}

TEST_F(FaultyDiskTest, AFileVanishingMidReadFailsWithItsReasonAndTheOthersVerify) {
  CheckFileLostMidRead("vanish");
}

// Every listed file fails, each its own way, on a disk slow enough that
// the run lasts: the counts say so, and the window answers throughout.
TEST_F(FaultyDiskTest, AListWhoseEveryFileFailsIsCountedAndTheWindowAnswers) {
  const std::vector<std::pair<std::string, std::string>> faults = {
      {"fail-at-0.bin", "fail /fail-at-0.bin 0"},
      {"fail-in-first.bin", "fail /fail-in-first.bin 5000"},
      {"fail-in-second.bin", "fail /fail-in-second.bin " + std::to_string(kChunk + 1)},
      {"fail-in-last.bin", "fail /fail-in-last.bin " + std::to_string(3 * kChunk - 1)},
      {"vanish-at-0.bin", "vanish /vanish-at-0.bin 0"},
      {"vanish-in-second.bin", "vanish /vanish-in-second.bin " + std::to_string(kChunk + 1)},
      {"vanish-in-last.bin", "vanish /vanish-in-last.bin " + std::to_string(3 * kChunk - 1)},
      {"fail-at-0-again.bin", "fail /fail-at-0-again.bin 0"}};
  std::vector<std::string> rules = {"slow * 15"};
  std::vector<std::pair<std::string, std::int64_t>> files;
  for (const auto& [name, rule] : faults) {
    rules.push_back(rule);
    files.push_back({name, 3 * kChunk});
  }
  MOUNT_OR_SKIP(disk, rules);
  MakeFiles(disk, files);

  RemoteProgram program(programFolder_.Path(), {disk.Mount() + "\\md5.ini"});
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(program.WaitFor([&] { return program.RowCount() == static_cast<int>(faults.size()); },
                              kSettleTimeoutMs));
  DWORD longest = 0;
  const bool ended = program.WaitFor([&] {
    // Waits as long as it takes (not Wine's "hung" shortcut), up to the bound.
    const DWORD asked = GetTickCount();
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutA(program.Window(), WM_NULL, 0, 0, SMTO_NORMAL, kAnswerBoundMs, &ignored), 0)
        << "the window did not answer within " << kAnswerBoundMs << " ms";
    longest = std::max(longest, GetTickCount() - asked);
    return AllEnded(program.Rows(), faults.size());
  }, kSettleTimeoutMs);
  ASSERT_TRUE(ended);
  std::printf("[ figure   ] longest answer while every file failed: %lu ms (not a target here)\n", longest);
  const Rows rows = program.Rows();
  for (const auto& cells : rows) {
    SCOPED_TRACE(cells[1]);
    EXPECT_EQ(cells[2], texts::kDigestFailed);
    EXPECT_EQ(cells[3], "");
    EXPECT_EQ(cells[4], texts::kUnreadable);
  }
  ExpectCounts(program, Counts(0, 0, static_cast<int>(faults.size()), 0));
  EXPECT_EQ(TotalLabel(program),
            std::string(texts::kTotalCount) + std::to_string(faults.size()) + texts::kArrow + "0");
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

// Every read of the layer waits: large files still move on, chunk by
// chunk, and 停止 ends each file in flight within the chunk it was
// reading; the files still queued read nothing more than that.
TEST_F(FaultyDiskTest, OnASlowDiskProgressMovesAndStopEndsEachFileWithinAChunk) {
  constexpr int kFiles = 6;
  std::vector<std::string> rules;
  std::vector<std::pair<std::string, std::int64_t>> files;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "large" + std::to_string(i) + ".bin";
    rules.push_back("slow /" + name + " 25");
    files.push_back({name, 8 * kChunk});
  }
  MOUNT_OR_SKIP(disk, rules);
  MakeFiles(disk, files);

  RemoteProgram program(programFolder_.Path(), {disk.Mount() + "\\md5.ini"});
  ASSERT_TRUE(program.Started());
  // Each file being read shows three percentages on its way, or more.
  std::map<std::string, std::set<std::string>> seen;
  bool moving = false;
  program.WaitFor([&] {
    const Rows rows = program.Rows();
    int inFlight = 0, moved = 0;
    for (const auto& cells : rows) {
      if (cells[3] != texts::kComputing || cells[4].empty()) continue;
      ++inFlight;
      seen[cells[1]].insert(cells[4]);
      moved += seen[cells[1]].size() >= 3;
    }
    moving = inFlight >= 2 && moved == inFlight;
    return moving || AllEnded(rows, kFiles);
  }, kSettleTimeoutMs);
  ASSERT_TRUE(moving) << "the progress did not move";

  HWND stop = program.ChildWithCaption(texts::kStopButton);
  ASSERT_NE(stop, nullptr);
  SendMessageA(stop, BM_CLICK, 0, 0);  // returns once the click was handled
  const std::string atStop = disk.Stats();
  const Rows rows = Ended(program, kFiles);
  const std::string atEnd = disk.Stats();
  int stopped = 0;
  for (const auto& cells : rows) {
    SCOPED_TRACE(cells[1]);
    EXPECT_EQ(cells[2], texts::kDigestFailed);
    EXPECT_EQ(cells[4], texts::kStopped);
    // A file in flight ends within its chunk; a queued one (or one taken
    // just as the click came) reads no more than one either.
    const std::int64_t before = Served(atStop, cells[1]), after = Served(atEnd, cells[1]);
    EXPECT_LE(after - before, kChunk) << "read on after the stop";
    stopped += before > 0;
  }
  EXPECT_GE(stopped, 2) << atStop;
  EXPECT_TRUE(program.Answers(kAnswerBoundMs));
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

}  // namespace
