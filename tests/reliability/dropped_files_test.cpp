// Bad dropped paths, files that change while they are hashed, and a file
// over 4 GiB, through the real window in this process: every row ends in
// the failure text or the right digest, never a digest of a part.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runs/pooled_run.h"
#include "services/files.h"
#include "tests/reliability/reliability_support.h"
#include "tests/support/program_window.h"

namespace {

using reliability::FailedOrDigest;

constexpr DWORD kRunTimeoutMs = 180000;
constexpr std::int64_t kLargeSize = 256 * 1024 * 1024;

std::vector<std::string> Cells(const RowCells& row) {
  return {row.cell[0], row.cell[1], row.cell[2], row.cell[3], row.cell[4]};
}

bool InFlight(const RowCells& row) {
  return row.cell[3] == texts::kComputing && !row.cell[4].empty() && row.cell[4] != "100%";
}

class DroppedFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartProgramWindow();
    ResetRuns();
    untouched_.Folder(RunDirectory().Bytes());
  }
  void TearDown() override { untouched_.Expect(); }

  TempFolder folder_;
  reliability::Untouched untouched_;
};

TEST_F(DroppedFilesTest, BadPathsEndInTheirDefinedRows) {
  const std::string file = folder_.Join("same.bin");
  WriteTestFile(file, 5000, 1);
  const std::string directory = folder_.Join("sub");
  CreateDirectoryA(directory.c_str(), nullptr);
  const std::string locked = folder_.Join("locked.bin");
  WriteTestFile(locked, 4000, 2);
  const std::string written = folder_.Join("written.bin");
  WriteTestFile(written, 3 * 1024 * 1024, 3);
  untouched_.File(file);
  untouched_.File(locked);
  // Over 260 bytes: created through the wide long-path form, hashed too.
  const std::string longPath =
      folder_.Join(std::string(150, 'd')) + "\\" + std::string(140, 'f') + ".bin";
  CreateDirectoryA(folder_.Join(std::string(150, 'd')).c_str(), nullptr);
  std::wstring wide = L"\\\\?\\";
  for (char c : longPath) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  HANDLE created = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(created);

  HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  // Another writer keeps appending while the file is listed and hashed;
  // with read and write sharing granted the file can be read meanwhile.
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    HANDLE out = CreateFileA(written.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<char> block(64 * 1024, 'w');
    while (writing) {
      DWORD done = 0;
      WriteFile(out, block.data(), static_cast<DWORD>(block.size()), &done, nullptr);
      Sleep(2);
    }
    CloseHandle(out);
  });

  std::vector<std::string> paths = {directory, folder_.Join("missing.bin"), longPath, locked, written};
  // More paths than the walker hands over at once: one run, in drop order.
  constexpr int kCopies = 1100;
  for (int i = 0; i < kCopies; ++i) paths.push_back(file);
  const std::string last = folder_.Join("last.bin");
  WriteTestFile(last, 10, 4);
  paths.push_back(last);
  const auto runBefore = TheRuns().CurrentRunRows();
  const std::uint32_t generationBefore = runBefore == nullptr ? 0 : runBefore->Generation();
  ASSERT_TRUE(DropPaths(paths));
  const bool settled = reliability::WaitUntilRowsSettle(kRunTimeoutMs);
  writing = false;
  writer.join();
  CloseHandle(holder);
  ASSERT_TRUE(settled);

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), paths.size());
  for (size_t i : {0, 1, 3})
    EXPECT_TRUE(reliability::FailedBeforeReading(Cells(rows[i]))) << paths[i] << ": " << rows[i].cell[2];
  EXPECT_EQ(rows[2].cell[3], ReferenceMd5(""));
  // The writer's file: a failure, or the digest of exactly the bytes it
  // had when hashing began (it only grows, so those bytes are its start).
  if (rows[4].cell[2] != texts::kDigestFailed) {
    const std::string sizeText = rows[4].cell[2].substr(0, rows[4].cell[2].find(texts::kArrow));
    EXPECT_EQ(rows[4].cell[2], sizeText + texts::kArrow + sizeText);
    EXPECT_TRUE(reliability::IsDigest(rows[4].cell[3]));
  } else {
    EXPECT_EQ(rows[4].cell[2], texts::kDigestFailed);
    EXPECT_LE(std::atoi(rows[4].cell[4].c_str()), 100) << "a grown file's last progress";
  }
  const std::string digest = ReferenceMd5OfFile(file);
  int right = 0, inOrder = 0;
  for (size_t i = 5; i < rows.size() - 1; ++i) right += rows[i].cell[3] == digest && rows[i].cell[4] == "100%";
  for (size_t i = 0; i < rows.size(); ++i) inOrder += rows[i].cell[1] == paths[i];
  EXPECT_EQ(right, kCopies);
  EXPECT_EQ(inOrder, static_cast<int>(paths.size()));
  EXPECT_EQ(rows.back().cell[3], ReferenceMd5OfFile(last));
  EXPECT_EQ(TheRuns().CurrentRunRows()->Generation(), generationBefore + 1) << "runs for one drop";
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + std::to_string(paths.size()) + texts::kArrow +
                             std::to_string(kCopies + 2 + (IsDigestText(rows[4].cell[3]) ? 1 : 0)));
}

// Each file is changed once it is being read: truncated, extended, deleted
// (refused while the program holds it), unlinked under the open handle
// where the platform lets a Unix tool do it; and one is replaced by a
// directory between the drop and the run.
TEST_F(DroppedFilesTest, FilesChangedWhileHashedNeverShowAPartAsComplete) {
  const std::vector<std::string> names = {"truncated.bin", "extended.bin", "deleted.bin", "unlinked.bin"};
  std::vector<std::string> paths, digests;
  for (size_t i = 0; i < names.size(); ++i) {
    paths.push_back(folder_.Join(names[i]));
    // The extended file ends inside a chunk, so its last read meets the growth.
    WriteTestFile(paths.back(), kLargeSize + (i == 1 ? 4099 : 0), 40 + static_cast<std::uint32_t>(i));
    digests.push_back(ReferenceMd5OfFile(paths.back()));
  }
  const std::string replaced = folder_.Join("replaced.bin");
  WriteTestFile(replaced, 1000, 50);
  std::vector<std::string> dropped = paths;
  dropped.push_back(replaced);
  ASSERT_TRUE(DropPaths(dropped));
  // The run starts 1 ms after the drop, once messages are handled again.
  ASSERT_TRUE(DeleteFileA(replaced.c_str()));
  ASSERT_TRUE(CreateDirectoryA(replaced.c_str(), nullptr));

  std::vector<bool> changed(names.size(), false);
  bool grewEarly = false;  // appended well before the last chunk
  bool deleteRefused = false;
  bool unlinkRan = false;
  auto change = [&](size_t i) {
    if (i == 0) {
      HANDLE file = CreateFileA(paths[0].c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
      LARGE_INTEGER at{};
      at.QuadPart = 8 * 1024 * 1024 + 5;  // inside the second chunk
      SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
      SetEndOfFile(file);
      CloseHandle(file);
    } else if (i == 1) {
      HANDLE file = CreateFileA(paths[1].c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
      std::vector<char> more(16 * 1024 * 1024, 'x');
      DWORD done = 0;
      WriteFile(file, more.data(), static_cast<DWORD>(more.size()), &done, nullptr);
      CloseHandle(file);
    } else if (i == 2) {
      deleteRefused = !DeleteFileA(paths[2].c_str());
    } else {
      // Under Wine a Unix program can unlink the file while the program's
      // handle stays open; Windows itself does not allow it.
      char unixPath[MAX_PATH] = {};
      std::string command = "/bin/rm -f ";
      using ToUnix = char*(CDECL*)(LPCWSTR);
      auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
      if (toUnix == nullptr) return;
      std::wstring wide(paths[3].begin(), paths[3].end());
      char* converted = toUnix(wide.c_str());
      if (converted == nullptr) return;
      lstrcpynA(unixPath, converted, MAX_PATH);
      HeapFree(GetProcessHeap(), 0, converted);
      command += unixPath;
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      unlinkRan = CreateProcessA("Z:\\bin\\rm", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process) != FALSE;
      if (unlinkRan) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
      }
    }
  };
  ASSERT_TRUE(PumpUntil([&] {
    const auto rows = ReadRows();
    if (rows.size() != dropped.size()) return false;
    for (size_t i = 0; i < names.size(); ++i) {
      if (!changed[i] && (InFlight(rows[i]) || IsDigestText(rows[i].cell[3]))) {
        if (i == 1) grewEarly = InFlight(rows[i]) && std::atoi(rows[i].cell[4].c_str()) < 90;
        change(i);
        changed[i] = true;
      }
    }
    return std::find(changed.begin(), changed.end(), false) == changed.end();
  }, kRunTimeoutMs));
  ASSERT_TRUE(reliability::WaitUntilRowsSettle(kRunTimeoutMs));

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), dropped.size());
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_TRUE(FailedOrDigest(rows[i].cell[2], rows[i].cell[3], digests[i])) << names[i];
  if (grewEarly) {
    EXPECT_EQ(rows[1].cell[2], texts::kDigestFailed) << "a grown file passed";
  }
  EXPECT_LE(std::atoi(rows[1].cell[4].c_str()), 100) << "a grown file's last progress";
  EXPECT_TRUE(reliability::FailedBeforeReading(Cells(rows[4])));
  EXPECT_TRUE(deleteRefused) << "the program's handle shares no delete";
  EXPECT_EQ(GetFileAttributesA(paths[2].c_str()) != INVALID_FILE_ATTRIBUTES, deleteRefused);
  if (unlinkRan) {
    EXPECT_TRUE(PumpUntil([&] { return GetFileAttributesA(paths[3].c_str()) == INVALID_FILE_ATTRIBUTES; },
                          10000));
  }
  std::printf("[ outcome  ] truncated: %s; extended: %s; delete refused: %d; unlinked: %s\n",
              IsDigestText(rows[0].cell[3]) ? "digest" : "failed",
              IsDigestText(rows[1].cell[3]) ? "digest" : "failed", deleteRefused ? 1 : 0,
              !unlinkRan ? "not possible" : IsDigestText(rows[3].cell[3]) ? "digest" : "failed");
}

TEST_F(DroppedFilesTest, SparseFileOverFourGibShowsSizeProgressAndDigest) {
  const std::string path = folder_.Join("sparse.bin");
  const std::int64_t size = (std::int64_t(4) << 30) + 12345;
  {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    // Only the marks are written; the rest is a hole (sparse under Wine's
    // file systems, which allocate nothing for it).
    // A few marks, one of them past 4 GiB, so a 32-bit wrap would show.
    for (const std::int64_t at : {std::int64_t(0), std::int64_t(3) << 30, size - 7}) {
      LARGE_INTEGER offset{};
      offset.QuadPart = at;
      SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
      DWORD written = 0;
      WriteFile(file, "marked!", 7, &written, nullptr);
    }
    CloseHandle(file);
  }
  const FileFingerprint before = FingerprintOf(path);
  const std::string& reference = before.digest;

  ASSERT_TRUE(DropPaths({path}));
  std::vector<int> percents;
  ASSERT_TRUE(PumpUntil([&] {
    const auto rows = ReadRows();
    if (rows.size() != 1) return false;
    const std::string& progress = rows[0].cell[4];
    if (!progress.empty()) {
      const int percent = std::atoi(progress.c_str());
      if (percents.empty() || percents.back() != percent) percents.push_back(percent);
    }
    return IsDigestText(rows[0].cell[3]) || rows[0].cell[2] == texts::kDigestFailed;
  }, kRunTimeoutMs));
  const auto rows = ReadRows();
  EXPECT_EQ(rows[0].cell[2], std::string("4.00 GB") + texts::kArrow + "4.00 GB");
  EXPECT_EQ(rows[0].cell[3], reference);
  EXPECT_EQ(rows[0].cell[4], "100%");
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_GT(percents.size(), 10u) << "progress should move through the file";
  // The bar follows at the window's next application of the run's changes.
  EXPECT_TRUE(PumpUntil([] { return ProgressPosition() == 100; }, 1000)) << ProgressPosition();
  // The digest above already vouches for the content; size and time here.
  WIN32_FILE_ATTRIBUTE_DATA after{};
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &after));
  EXPECT_EQ((std::int64_t(after.nFileSizeHigh) << 32) | after.nFileSizeLow, before.size);
  EXPECT_EQ(CompareFileTime(&after.ftLastWriteTime, &before.lastWrite), 0);
  DeleteFileA(path.c_str());
}

}  // namespace
