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

// Holes too large to hash before the close on any machine: a file ends
// only when the close stops it, so a queued file can start only if the
// close fails to stop the run. Their digests are never compared.
constexpr std::int64_t kLargeFileBytes = 64LL * 1024 * 1024 * 1024;
constexpr char kNeverComparedDigest[] = "00000000000000000000000000000000";
constexpr DWORD kRunTimeoutMs = 180000;
// Far more than the chunks in flight take, far less than the holes take.
constexpr DWORD kCloseEndsMs = 20000;

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
    for (int i = 0; i < largeFiles; ++i) {
      const std::string name = "large" + std::to_string(i) + ".bin";
      ASSERT_TRUE(WriteSparseFile(folder_->Join(name), kLargeFileBytes));
      list += name + "=" + kNeverComparedDigest + "\r\n";
    }
    const auto add = [&](const std::string& name, std::int64_t size, int seed) {
      WriteTestFile(folder_->Join(name), size, seed);
      list += name + "=" + ReferenceMd5OfFile(folder_->Join(name)) + "\r\n";
    };
    // Two files queue behind the large ones. The small one is done long
    // before the tail one, so its digest is on screen for a while before
    // the program may end.
    add("queued-small.bin", 1 << 20, 600);
    add("queued-tail.bin", 128 << 20, 601);
    WriteTextFile(folder_->Join("md5.ini"), list);
    for (const std::string& name : ListFolder(folder_->Path()))
      prints_[name] = PrintOf(name);
  }
  static void TearDownTestSuite() { delete folder_; }

  // The holes are too large to hash: their size and time stand for them.
  static FileFingerprint PrintOf(const std::string& name) {
    return FingerprintOf(folder_->Join(name), name.rfind("large", 0) != 0);
  }

  // Inputs unchanged, and nothing new beside them but the program.
  void TearDown() override {
    for (const std::string& name : ListFolder(folder_->Path())) {
      if (name == "md5check.exe") continue;
      ASSERT_TRUE(prints_.count(name)) << "new file " << name;
      EXPECT_EQ(PrintOf(name), prints_[name]) << name;
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
  ASSERT_FALSE(queuedStarted()) << "a queued file started before the close";
  program.RequestClose();
  const DWORD closed = GetTickCount();
  bool queuedRead = false;
  bool clicked = false;
  while (!program.Exited() && GetTickCount() - closed < kCloseEndsMs) {
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
  std::printf("[ ended    ] %lu ms after the close\n", GetTickCount() - closed);
  EXPECT_EQ(program.WaitForExit(1000), 0) << "the close waited for the files";
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
  // The large files end only when stopped: waiting for them would not end.
  EXPECT_EQ(program.WaitForExit(kCloseEndsMs), 0) << "the second close waited for the files";
}

}  // namespace
