// Closing the real program during a run: the window goes at once, the run
// stops as the stop button stops it (queued files are never read) and the
// program ends with code 0, the export button doing nothing meanwhile; a
// second close ends it at once too.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "services/texts.h"
#include "tests/support/remote_program.h"
#include "tests/support/test_files.h"

namespace {

// Enough that no large file ends before the close, even with the lanes'
// speed on a loaded machine: a freed worker would take a queued file.
constexpr std::int64_t kLargeBytesInAll = 2048LL * 1024 * 1024;
constexpr DWORD kRunTimeoutMs = 180000;

// One large file per worker of the program, so the last two rows queue.
int LargeFileCount() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  return static_cast<int>(system.dwNumberOfProcessors) * 2;
}

bool IsDigest(const std::string& text) { return text.size() == 32; }

class CloseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder();
    const int largeFiles = LargeFileCount();
    rows_ = largeFiles + 2;
    std::string list;
    const auto add = [&](const std::string& name, std::int64_t size, int seed) {
      WriteTestFile(folder_->Join(name), size, seed);
      list += name + "=" + ReferenceMd5OfFile(folder_->Join(name)) + "\r\n";
    };
    for (int i = 0; i < largeFiles; ++i)
      add("large" + std::to_string(i) + ".bin", kLargeBytesInAll / largeFiles, 500 + i);
    // Two files queue behind the large ones. The small one is done long
    // before the tail one, so its digest is on screen for a while before
    // the program may end.
    add("queued-small.bin", 1 << 20, 600);
    add("queued-tail.bin", 128 << 20, 601);
    WriteTextFile(folder_->Join("md5.ini"), list);
    for (const std::string& name : ListFolder(folder_->Path()))
      prints_[name] = FingerprintOf(folder_->Join(name));
  }
  static void TearDownTestSuite() { delete folder_; }

  // Inputs unchanged, and nothing new beside them but the program.
  void TearDown() override {
    for (const std::string& name : ListFolder(folder_->Path())) {
      if (name == "md5check.exe") continue;
      ASSERT_TRUE(prints_.count(name)) << "new file " << name;
      EXPECT_EQ(FingerprintOf(folder_->Join(name)), prints_[name]) << name;
    }
  }

  static int rows_;
  static TempFolder* folder_;
  static std::map<std::string, FileFingerprint> prints_;
};

int CloseTest::rows_ = 0;
TempFolder* CloseTest::folder_ = nullptr;
std::map<std::string, FileFingerprint> CloseTest::prints_;

TEST_F(CloseTest, CloseHidesTheWindowAndStopsTheRunAtOnce) {
  RemoteProgram program(folder_->Path());
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(program.WaitFor([&] { return program.RowCount() == rows_ && !program.Cell(0, 4).empty(); },
                              kRunTimeoutMs));
  HWND exportButton = program.ChildWithCaption(texts::kExportButton);
  ASSERT_NE(exportButton, nullptr);
  std::string seen;
  const auto queuedStarted = [&] {
    const std::string progress = program.Cell(rows_ - 2, 4);
    const std::string digest = program.Cell(rows_ - 2, 3);
    // A list torn down as the program ends answers with stale texts.
    if (program.RowCount() != rows_) return false;
    if (!IsDigest(digest) && (progress.empty() || progress.back() != '%')) return false;
    seen = "'" + digest + "' '" + progress + "'";
    return true;
  };
  ASSERT_FALSE(queuedStarted()) << "a large file ended before the close: make them larger";
  program.RequestClose();
  const DWORD closed = GetTickCount();
  bool queuedRead = false;
  bool clicked = false;
  while (!program.Exited() && GetTickCount() - closed < kRunTimeoutMs) {
    // The rows stay readable while the program ends.
    if (!queuedRead && queuedStarted()) {
      queuedRead = true;
      std::printf("[ queued   ] %lu ms after the close: %s\n", GetTickCount() - closed, seen.c_str());
    }
    if (!IsWindowVisible(program.Window()) && !clicked) {
      // A save dialog now would keep the closed program alive.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(exportButton, BM_CLICK, 0, 0, SMTO_NORMAL, 100, &ignored);
      clicked = true;
    }
    Sleep(5);
  }
  EXPECT_EQ(program.WaitForExit(1000), 0);
  EXPECT_FALSE(queuedRead) << "a file queued behind the large ones was read after the close";
}

TEST_F(CloseTest, SecondCloseDuringTheWaitEndsAtOnce) {
  RemoteProgram program(folder_->Path());
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(program.WaitFor([&] { return program.RowCount() == rows_ && !program.Cell(0, 4).empty(); },
                              kRunTimeoutMs));
  program.RequestClose();
  Sleep(50);
  program.RequestClose();
  int unfinished = -1;  // -1: ended before a single look
  while (!program.Exited()) {
    int open = 0;
    for (int row = 0; row < rows_; ++row)
      if (!IsDigest(program.Cell(row, 3))) ++open;
    if (!program.Exited()) unfinished = open;
    Sleep(10);
  }
  EXPECT_EQ(program.WaitForExit(10000), 0);
  EXPECT_NE(unfinished, 0) << "the second close waited for the files";
}

}  // namespace
