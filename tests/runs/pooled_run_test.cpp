// Files dropped on the real window are listed and hashed; every final cell,
// the label and the progress bar are checked against the tests' own MD5 and
// size texts written out here, and no input file is touched.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "services/texts.h"
#include "runs/pooled_run.h"
#include "services/list_control.h"
#include "shell/main_window.h"
#include "tests/support/program_window.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kRunTimeoutMs = 120000;

// Below 1 KB the size is shown in bytes: "3 字节".
std::string Bytes(std::int64_t count) { return std::to_string(count) + " \xD7\xD6\xBD\xDA"; }

class PooledRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartProgramWindow();
    ResetRuns();
  }

  std::string MakeFile(const std::string& name, std::int64_t size, std::uint32_t seed = 1) {
    const std::string path = folder_.Join(name);
    WriteTestFile(path, size, seed);
    prints_[path] = FingerprintOf(path);
    return path;
  }

  void ExpectInputsUntouched() {
    for (const auto& [path, print] : prints_) EXPECT_EQ(FingerprintOf(path), print) << path;
  }

  // sizeText: what StrFormatByteSize64A shows, as a user reads it.
  void ExpectDone(const RowCells& row, const std::string& path, const std::string& sizeText) {
    EXPECT_EQ(row.cell[1], path);
    EXPECT_EQ(row.cell[2], sizeText + texts::kArrow + sizeText);
    EXPECT_EQ(row.cell[3], ReferenceMd5OfFile(path));
    EXPECT_EQ(row.cell[4], "100%");
  }

  void ExpectFailedBeforeReading(const RowCells& row, const std::string& path) {
    EXPECT_EQ(row.cell[1], path);
    EXPECT_EQ(row.cell[2], texts::kDigestFailed);
    EXPECT_EQ(row.cell[3], "");
    EXPECT_EQ(row.cell[4], "");
  }

  TempFolder folder_;
  std::map<std::string, FileFingerprint> prints_;
};

TEST_F(PooledRunTest, OneDroppedFileEndsWithItsDigest) {
  const std::string path = folder_.Join("abc.txt");
  WriteTextFile(path, "abc");
  ASSERT_TRUE(DropPaths({path}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].cell[0], "1");
  EXPECT_EQ(rows[0].cell[3], "900150983CD24FB0D6963F7D28E17F72");
  ExpectDone(rows[0], path, Bytes(3));
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "1" + texts::kArrow + "1");
  EXPECT_EQ(ProgressPosition(), 100);
}

TEST_F(PooledRunTest, ChunkBoundarySizesAndEmptyFile) {
  // 0 bytes is hashed (the empty message), not failed.
  const std::vector<std::pair<std::string, std::int64_t>> files = {
      {"empty.bin", 0}, {"one.bin", 1}, {"chunk.bin", 8388608}, {"chunk-plus-one.bin", 8388609}};
  const std::vector<std::string> sizeTexts = {Bytes(0), Bytes(1), "8.00 MB", "8.00 MB"};
  std::vector<std::string> paths;
  for (const auto& [name, size] : files) paths.push_back(MakeFile(name, size, 7));
  ASSERT_TRUE(DropPaths(paths));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].first);
    EXPECT_EQ(rows[i].cell[0], std::to_string(i + 1));
    ExpectDone(rows[i], paths[i], sizeTexts[i]);
  }
  EXPECT_EQ(rows[0].cell[3], "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "4" + texts::kArrow + "4");
  ExpectInputsUntouched();
}

TEST_F(PooledRunTest, ThreeFilesSameFileTwiceDirectoryAndMissingFile) {
  const std::string a = MakeFile("a.bin", 1000, 1);
  const std::string b = MakeFile("b.bin", 70000, 2);
  const std::string c = MakeFile("c.bin", 3, 3);
  ASSERT_TRUE(DropPaths({a, b, c}));
  const std::string missing = folder_.Join("missing.bin");
  const std::string directory = folder_.Join("sub");
  CreateDirectoryA(directory.c_str(), nullptr);
  ASSERT_TRUE(DropPaths({a, directory, missing}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 6u);
  ExpectDone(rows[0], a, Bytes(1000));
  ExpectDone(rows[1], b, "68.3 KB");
  ExpectDone(rows[2], c, Bytes(3));
  ExpectDone(rows[3], a, Bytes(1000));  // the same file twice: both hashed
  ExpectFailedBeforeReading(rows[4], directory);
  ExpectFailedBeforeReading(rows[5], missing);
  // Four of six succeeded.
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "6" + texts::kArrow + "4");
  EXPECT_EQ(CountsLabelText(), "\xCD\xEA\xB3\xC9:4 \xCA\xA7\xB0\xDC:2");  // 完成:4 失败:2
  // A second run counts its own successes: nothing carries over.
  ASSERT_TRUE(DropPaths({}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "6" + texts::kArrow + "4");
  EXPECT_EQ(CountsLabelText(), "\xCD\xEA\xB3\xC9:4 \xCA\xA7\xB0\xDC:2");
  ExpectInputsUntouched();
}

TEST_F(PooledRunTest, WideDropTextReachesTheListToo) {
  const std::string a = MakeFile("wide-a.bin", 10, 4);
  const std::string b = MakeFile("wide-b.bin", 20, 5);
  ASSERT_TRUE(DropPaths({a, b}, /*wide=*/true));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 2u);
  ExpectDone(rows[0], a, Bytes(10));
  ExpectDone(rows[1], b, Bytes(20));
}

TEST_F(PooledRunTest, TwoDropsBeforeTheRunStartsGiveOneRun) {
  const std::string a = MakeFile("first.bin", 100, 8);
  const std::string b = MakeFile("second.bin", 200, 9);
  ASSERT_TRUE(DropPaths({a}));
  ASSERT_TRUE(DropPaths({b}));  // before the 1 ms timer fires
  EXPECT_EQ(ListItemCount(TheWindow().list.Handle()), 0);
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 2u);
  ExpectDone(rows[0], a, Bytes(100));
  ExpectDone(rows[1], b, Bytes(200));
  // One run: two successes against two entries.
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "2" + texts::kArrow + "2");
}

TEST_F(PooledRunTest, ADropWithoutPathsStillRebuildsTheList) {
  const std::string path = MakeFile("again.bin", 100, 13);
  ASSERT_TRUE(DropPaths({path}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  // The bar shows the new run: its one file ends at 100 again.
  SendMessageA(TheWindow().progressBar, PBM_SETPOS, 0, 0);
  ASSERT_TRUE(DropPaths({}));
  EXPECT_TRUE(PumpUntil([] { return ProgressPosition() == 100; }, kRunTimeoutMs)) << "no run";
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 1u);
  ExpectDone(rows[0], path, Bytes(100));
}

TEST_F(PooledRunTest, DropDuringARunRehashesEverything) {
  const std::string large = MakeFile("large.bin", 300 * 1024 * 1024, 11);
  ASSERT_TRUE(DropPaths({large}));
  ASSERT_TRUE(PumpUntil([] {
    const auto rows = ReadRows();
    return rows.size() == 1 && !rows[0].cell[4].empty();
  }, kRunTimeoutMs));
  const std::string small = MakeFile("small.bin", 5000, 12);
  ASSERT_TRUE(DropPaths({small}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs, 1500));
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 2u);
  ExpectDone(rows[0], large, "300 MB");
  ExpectDone(rows[1], small, "4.88 KB");
  ExpectInputsUntouched();
}

TEST_F(PooledRunTest, ReadThatBringsNothingBeforeTheEndFails) {
  // A sysfs file claims 4096 bytes but reads as a few: the read after them
  // brings nothing, which must not pass for the digest of the whole file.
  const std::string path = "Z:\\sys\\kernel\\mm\\transparent_hugepage\\enabled";
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no file here whose reads end before its size";
  ASSERT_TRUE(DropPaths({path}));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].cell[2], texts::kDigestFailed);
  EXPECT_EQ(rows[0].cell[3], "");
  EXPECT_FALSE(rows[0].cell[4].empty()) << "the first read brought bytes";
  EXPECT_NE(rows[0].cell[4], "100%");
}

// A folder is walked as Explorer lists it: files first, sorted without
// regard to case and with digit runs by value, hidden and system files too,
// then each subfolder; a link back up is not entered. A mixed drop keeps
// its order.
TEST_F(PooledRunTest, DroppedFolderGivesItsFilesTreeOrderedAmongTheOtherPaths) {
  const std::string root = folder_.Join("tree");
  for (const char* sub : {"", "\\Beta", "\\alpha", "\\alpha\\deeper", "\\empty"})
    CreateDirectoryA((root + sub).c_str(), nullptr);
  const std::vector<std::string> treeFiles = {
      "tree\\A.txt",        "tree\\b.txt",        "tree\\c-hidden.bin", "tree\\d-system.bin",
      "tree\\file2.bin",    "tree\\file10.bin",   "tree\\alpha\\x.bin", "tree\\alpha\\deeper\\y.bin",
      "tree\\Beta\\z.bin"};
  for (size_t i = 0; i < treeFiles.size(); ++i)
    MakeFile(treeFiles[i], 1020 + static_cast<std::int64_t>(i), 20 + static_cast<std::uint32_t>(i));
  SetFileAttributesA(folder_.Join("tree\\c-hidden.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(folder_.Join("tree\\d-system.bin").c_str(), FILE_ATTRIBUTE_SYSTEM);
  // A name the ANSI code page (GBK) cannot write reaches the row by its
  // short (8.3) path, so its row still hashes that very file.
  const std::wstring korean = std::wstring(L"\\\uD55C\uAE00.bin");
  const std::wstring wideRoot = WideOfAnsi(root);
  HANDLE file = CreateFileW((wideRoot + L"\\Beta" + korean).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "korean", 6, &written, nullptr);
  CloseHandle(file);
  const std::string link = root + "\\alpha\\up";
  RunUnixTool("/bin/ln", {"-s", root, link});
  const DWORD linkAttributes = GetFileAttributesA(link.c_str());
  const bool linked = linkAttributes != INVALID_FILE_ATTRIBUTES;
  if (linked) {
    EXPECT_TRUE(linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  }
  const std::string before = MakeFile("before.bin", 10, 1);
  const std::string missing = folder_.Join("missing.bin");

  ASSERT_TRUE(DropPaths({before, root, missing}));
  // The walk comes first: a slow machine shows no row for longer than the
  // quiet time that counts as settled.
  const size_t expected = 1 + treeFiles.size() + 2;
  ASSERT_TRUE(PumpUntil([&] { return ReadRows().size() == expected; }, kRunTimeoutMs));
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs));

  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), expected);
  ExpectDone(rows[0], before, Bytes(10));
  for (size_t i = 0; i < treeFiles.size(); ++i) {
    SCOPED_TRACE(treeFiles[i]);
    const std::int64_t size = 1020 + static_cast<std::int64_t>(i);
    ExpectDone(rows[1 + i], folder_.Join(treeFiles[i]), size < 1024 ? Bytes(size) : "1.00 KB");
  }
  const RowCells& koreanRow = rows[1 + treeFiles.size()];
  EXPECT_EQ(koreanRow.cell[3], ReferenceMd5("korean"));
  ExpectFailedBeforeReading(rows.back(), missing);
  std::printf("[ outcome  ] link inside the tree: %s\n", linked ? "made, not entered" : "not possible");
  ExpectInputsUntouched();
}

}  // namespace
