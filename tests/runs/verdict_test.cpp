// Verdicts of the 400 ms tick: only rows whose digest is final are judged,
// as numbers; a matching file is never marked as an error, however runs
// and ticks interleave.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "services/texts.h"
#include "runs/file_row.h"
#include "runs/pooled_run.h"
#include "runs/run_rows.h"
#include "services/files.h"
#include "services/list_control.h"
#include "services/message_pump.h"
#include "shell/main_window.h"
#include "shell/program.h"
#include "tests/support/program_window.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kRunTimeoutMs = 180000;

// Rows as workers leave them, shown in the list without a run: one per
// entry of the coordinator.
class ShownRows {
 public:
  ShownRows() {
    const EntrySnapshot entries = TheRuns().filePaths.Snapshot();
    rows_ = std::make_shared<RunRows>(0, entries.store, FilesToHash(entries));
    TheWindow().list.Show(rows_);
  }
  RunRows& operator*() const { return *rows_; }
  RunRows* operator->() const { return rows_.get(); }

 private:
  std::shared_ptr<RunRows> rows_;
};

void Finish(RunRows& rows, std::int32_t row, const std::string& digest) {
  rows.Start(row, 3);
  rows.Progress(row, 3);
  Digest bytes;
  ParseHexDigest(digest, DigestAlgorithm::kMd5, kMd5DigestBytes, &bytes);
  rows.Finish(row, bytes);
}

// Whether the list draws the shown row's cell as a bar, and its value.
bool ShownCellBar(std::int32_t view, std::int32_t column, double* percent) {
  const CellLook look = TheWindow().list.LookOf(view, column);
  if (look.bar) *percent = look.percent;
  return look.bar;
}

TEST(VerdictTest, JudgesOnlyFinishedRowsAsNumbers) {
  StartProgramWindow();
  ResetRuns();
  const std::string digest = "900150983CD24FB0D6963F7D28E17F72";
  for (const char* expected : {digest.c_str(), digest.c_str(), digest.c_str(), digest.c_str(),
                               "900150983cd24fb0d6963f7d28e17f72",
                               "\t900150983CD24FB0D6963F7D28E17F72 ", digest.c_str()})
    AppendListed(TheRuns().filePaths.Count() == 2 ? "50%" : "x", expected);
  AppendDropped("x");
  const ShownRows rows;
  rows->Start(0, 1000);
  rows->Progress(0, 996);                  // "100%", the last bytes still unread
  rows->Start(2, 100);
  rows->Progress(2, 99);                   // not finished
  Finish(*rows, 3, digest);                // match
  Finish(*rows, 4, digest);                // lower-case entry
  Finish(*rows, 5, digest);                // trailing space in the entry
  rows->Start(6, -1);
  rows->Fail(6);                           // missing file
  Finish(*rows, 7, digest);                // a dropped file: no entry

  TheProgram().VerifyFinishedRows();
  auto cells = ReadRows();
  ASSERT_EQ(cells.size(), 8u);
  EXPECT_EQ(cells[0].cell[4], "100%");
  EXPECT_EQ(cells[0].cell[3], texts::kComputing);
  EXPECT_EQ(cells[1].cell[4], "");         // not taken yet
  EXPECT_EQ(cells[2].cell[4], "99%");
  EXPECT_EQ(cells[3].cell[4], texts::kVerified);
  EXPECT_EQ(cells[3].cell[3], digest);
  EXPECT_EQ(cells[4].cell[4], texts::kVerified);
  EXPECT_EQ(cells[5].cell[4], texts::kVerified);
  EXPECT_EQ(cells[6].cell[2], texts::kDigestFailed);
  EXPECT_EQ(cells[6].cell[3], "");  // no longer computing
  EXPECT_EQ(cells[6].cell[4], "");  // no verdict outside verification mode
  TheRuns().verificationMode = true;
  EXPECT_EQ(ReadRows()[6].cell[4], texts::kUnreadable);
  TheRuns().verificationMode = false;
  EXPECT_EQ(cells[7].cell[4], "100%");
  // Bars come from the rows' state: the "99%" cell is one, a verdict and a
  // path ending in "%" are not.
  double percent = -1;
  EXPECT_TRUE(ShownCellBar(2, kColumnProgress, &percent));
  EXPECT_EQ(percent, 99.0);
  EXPECT_FALSE(ShownCellBar(3, kColumnProgress, &percent));
  TheRuns().verificationMode = true;
  EXPECT_EQ(ReadRows()[2].cell[1], "50%");
  EXPECT_FALSE(ShownCellBar(2, kColumnPath, &percent));
  TheRuns().verificationMode = false;

  // The unfinished row is judged at the first tick after its digest.
  Finish(*rows, 0, digest);
  TheProgram().VerifyFinishedRows();
  cells = ReadRows();
  EXPECT_EQ(cells[0].cell[4], texts::kVerified);
  EXPECT_EQ(cells[3].cell[4], texts::kVerified);
  ResetRuns();
}

TEST(VerdictTest, MatchingFilesNeverShowAnErrorWhileRunsOverlap) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  // Two chunks: the row reads "100%" after the first, before the digest.
  std::vector<std::string> listed;
  for (int i = 0; i < 3; ++i) {
    listed.push_back(folder.Join("listed" + std::to_string(i) + ".bin"));
    WriteTestFile(listed.back(), 8388609, 40 + i);
    AppendListed(listed.back(), ReferenceMd5OfFile(listed.back()));
  }
  const std::string dropped = folder.Join("dropped.bin");
  WriteTestFile(dropped, 1000, 50);
  std::vector<FileFingerprint> before;
  for (const std::string& path : listed) before.push_back(FingerprintOf(path));
  const FileFingerprint droppedBefore = FingerprintOf(dropped);

  bool sawError = false;
  auto watch = [&] {
    TheProgram().VerifyFinishedRows();  // as often as possible, besides the real tick
    for (const RowCells& row : ReadRows())
      if (row.cell[4] == texts::kMismatch) sawError = true;
    return false;
  };
  for (int drop = 0; drop < 20; ++drop) {
    ASSERT_TRUE(DropPaths({dropped}));
    const DWORD start = GetTickCount();
    PumpUntil([&] { return watch() || GetTickCount() - start >= 50; }, 1000);
  }
  ASSERT_TRUE(WaitUntilSettled(kRunTimeoutMs, 1500));
  PumpUntil(watch, 900);  // at least two more ticks
  EXPECT_FALSE(sawError);
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 23u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rows[i].cell[4], texts::kVerified) << i;
  for (size_t i = 3; i < rows.size(); ++i) EXPECT_EQ(rows[i].cell[4], "100%") << i;
  for (size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(FingerprintOf(listed[i]), before[i]);
  EXPECT_EQ(FingerprintOf(dropped), droppedBefore);
}

// The last verdicts and the label's final count show when the run ends,
// not at the next tick: with both timers stopped, the run's own notice must
// bring them.
TEST(VerdictTest, TheEndOfARunShowsWithoutATimer) {
  StartProgramWindow();
  ResetRuns();
  const HWND window = TheWindow().window;
  TempFolder folder;
  for (int i = 0; i < 2; ++i) {
    const std::string path = folder.Join("listed" + std::to_string(i) + ".txt");
    WriteTextFile(path, "listed " + std::to_string(i));
    AppendListed(path, ReferenceMd5OfFile(path));
  }
  AppendListed(folder.Join("missing.txt"), "900150983CD24FB0D6963F7D28E17F72");
  KillTimer(window, kClockTimerId);
  KillTimer(window, kApplyTimerId);
  ClickButton(TheWindow().pooledRunButton);
  const bool shown = PumpUntil([] {
    const auto rows = ReadRows();
    return rows.size() == 3 && rows[0].cell[4] == texts::kVerified &&
           rows[1].cell[4] == texts::kVerified && rows[2].cell[2] == texts::kDigestFailed;
  }, 20000);
  const std::string label = LabelText();
  SetTimer(window, kClockTimerId, kClockIntervalMs, nullptr);
  SetTimer(window, kApplyTimerId, kApplyIntervalMs, nullptr);
  EXPECT_TRUE(shown);
  EXPECT_EQ(label, std::string(texts::kTotalCount) + "3" + texts::kArrow + "2");
  ResetRuns();
}

// A list far longer than the workers: each file is opened by the worker
// that hashes it, so no more files are open at once than there are workers,
// whatever the length of the list.
TEST(VerdictTest, AFewThousandListedFilesAllPassWithOneOpenFilePerWorkerAtMost) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  constexpr int kFiles = 2000;
  constexpr int kContents = 7;  // neighbours differ, and few reference digests to take
  std::vector<std::string> contents, digests;
  for (int i = 0; i < kContents; ++i) {
    contents.push_back(std::string("listed file ").append(std::to_string(i)));
    digests.push_back(ReferenceMd5(contents.back()));
  }
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = folder.Join(std::string("listed").append(std::to_string(i)) + ".txt");
    WriteTextFile(path, contents[static_cast<size_t>(i % kContents)]);
    AppendListed(path, digests[static_cast<size_t>(i % kContents)]);
  }
  RunResources& files = TheRuns().Resources();
  files.peakOpenFiles.store(files.openFiles.load());
  ClickButton(TheWindow().pooledRunButton);
  const std::string total = std::to_string(kFiles);
  const std::string finished = std::string(texts::kTotalCount) + total + texts::kArrow + total;
  ASSERT_TRUE(PumpUntil([&] { return LabelText() == finished; }, kRunTimeoutMs)) << LabelText();
  EXPECT_TRUE(PumpUntil([] {
    for (const RowCells& row : ReadRows())
      if (row.cell[4] != texts::kVerified) return false;
    return true;
  }, 5000));
  EXPECT_EQ(ReadRows().size(), static_cast<size_t>(kFiles));
  // Column 0 fits the largest row number between its cell's insets.
  EXPECT_GE(ListColumnWidth(TheWindow().list.Handle(), kColumnNumber), ListTextWidth(TheWindow().list.Handle(), Text(total.c_str())) + 4);
  EXPECT_LE(files.peakOpenFiles.load(), 2 * TheRuns().workerThreadCount);
  EXPECT_GE(files.peakOpenFiles.load(), 1);
  EXPECT_EQ(files.openFiles.load(), 0);
}

void PressProblemKey(bool backwards) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = backwards ? 0x80 : 0;
  SetKeyboardState(state);
  PostMessageA(TheWindow().list.Handle(), WM_KEYDOWN, VK_F8, 1);
  PumpPendingMessages();
  state[VK_SHIFT] = 0;
  SetKeyboardState(state);
}

std::string TipOfRow(int row) {
  char tip[256] = {};
  NMLVGETINFOTIPA request{};
  request.hdr.hwndFrom = TheWindow().list.Handle();
  request.hdr.idFrom = kIdList;
  request.hdr.code = LVN_GETINFOTIPA;
  request.pszText = tip;
  request.cchTextMax = sizeof tip;
  request.iItem = row;
  SendMessageA(TheWindow().window, WM_NOTIFY, kIdList, reinterpret_cast<LPARAM>(&request));
  return tip;
}

// Column 0 of every row as shown: each file's number from the list.
std::string ShownNumbers() {
  std::string numbers;
  for (const RowCells& row : ReadRows()) numbers += row.cell[0] + " ";
  return numbers;
}

std::string Reason(DWORD error) { return SystemErrorText(error).Bytes(); }

// Passed, mismatched, missing, locked and unopenable files: the counts,
// each failure's reason, the next-problem key, and checking again, which
// reads only the rows that did not pass.
TEST(VerdictTest, CountsReasonsTheNextProblemAndCheckingAgain) {
  StartProgramWindow();
  ResetRuns();
  TempFolder folder;
  const std::string names[] = {"file10.txt", "File9.txt", "wrong.txt", "missing.txt", "locked.txt",
                               "sub"};
  for (const std::string& name : names) {
    const std::string path = folder.Join(name);
    if (name != "missing.txt" && name != "sub") WriteTextFile(path, name);
    AppendListed(path, ReferenceMd5(name == "wrong.txt" ? "other" : name));
  }
  CreateDirectoryA(folder.Join("sub").c_str(), nullptr);
  HANDLE lock = CreateFileA(folder.Join("locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  TheRuns().verificationMode = true;
  ClickButton(TheWindow().pooledRunButton);
  // 通过:2 错误:1 失败:3 待处理:0
  const std::string first = "\xCD\xA8\xB9\xFD:2 \xB4\xED\xCE\xF3:1 \xCA\xA7\xB0\xDC:3 \xB4\xFD\xB4\xA6\xC0\xED:0";
  EXPECT_TRUE(PumpUntil([&] { return CountsLabelText() == first; }, kRunTimeoutMs)) << CountsLabelText();
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "6" + texts::kArrow + "3");
  EXPECT_EQ(TipOfRow(0), "");
  EXPECT_EQ(TipOfRow(3), Reason(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(TipOfRow(4), Reason(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(TipOfRow(5), Reason(ERROR_ACCESS_DENIED));
  auto line = [&](const char* name, const std::string& reason) {
    return "\r\n" + folder.Join(name) + "\t" + reason;
  };
  EXPECT_EQ(AnsiTextOf(TheProgram().ProblemSummary()).Bytes(), first + line("wrong.txt", texts::kMismatch) +
                                          line("missing.txt", Reason(ERROR_FILE_NOT_FOUND)) +
                                          line("locked.txt", Reason(ERROR_SHARING_VIOLATION)) +
                                          line("sub", Reason(ERROR_ACCESS_DENIED)));

  ClickHeader(kColumnProgress);  // mismatched, failed, then passed
  EXPECT_EQ(ShownNumbers(), "3 4 5 6 1 2 ");
  EXPECT_EQ(TipOfRow(1), Reason(ERROR_FILE_NOT_FOUND));
  ClickHeader(kColumnProgress);
  EXPECT_EQ(ShownNumbers(), "2 1 6 5 4 3 ");
  ClickHeader(kColumnSize);  // the failed have none
  EXPECT_EQ(ShownNumbers(), "4 5 6 2 3 1 ");  // none, 9, 9 and 10 bytes
  ClickHeader(kColumnNumber);
  EXPECT_EQ(ShownNumbers(), "1 2 3 4 5 6 ");

  PressProblemKey(false);
  EXPECT_EQ(ListSelectedRow(TheWindow().list.Handle()), 2);
  PressProblemKey(false);
  PressProblemKey(false);
  PressProblemKey(false);
  EXPECT_EQ(ListSelectedRow(TheWindow().list.Handle()), 5);
  PressProblemKey(false);  // round to the first again
  EXPECT_EQ(ListSelectedRow(TheWindow().list.Handle()), 2);
  PressProblemKey(true);
  EXPECT_EQ(ListSelectedRow(TheWindow().list.Handle()), 5);

  CloseHandle(lock);
  WriteTextFile(folder.Join("missing.txt"), "missing.txt");
  // Explorer's order (numbers by value, no case); the run below updates
  // the rows in these places.
  ClickHeader(kColumnPath);
  EXPECT_EQ(ShownNumbers(), "2 1 5 4 6 3 ");
  const std::int32_t opensBefore = TheRuns().Resources().openAttempts.load();
  TheProgram().CheckProblemsAgain();
  // 通过:4 错误:1 失败:1 待处理:0
  const std::string again = "\xCD\xA8\xB9\xFD:4 \xB4\xED\xCE\xF3:1 \xCA\xA7\xB0\xDC:1 \xB4\xFD\xB4\xA6\xC0\xED:0";
  EXPECT_TRUE(PumpUntil([&] { return CountsLabelText() == again; }, kRunTimeoutMs)) << CountsLabelText();
  EXPECT_EQ(TheRuns().Resources().openAttempts.load() - opensBefore, 4);  // the passed two are not read again
  EXPECT_EQ(LabelText(), std::string(texts::kTotalCount) + "6" + texts::kArrow + "5");
  EXPECT_EQ(ShownNumbers(), "2 1 5 4 6 3 ");
  const auto rows = ReadRows();
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0].cell[3], ReferenceMd5("File9.txt"));
  EXPECT_EQ(rows[2].cell[4], texts::kVerified);  // locked.txt
  EXPECT_EQ(rows[3].cell[4], texts::kVerified);  // missing.txt
  EXPECT_EQ(rows[5].cell[4], texts::kMismatch);
  ClickHeader(kColumnNumber);
  TheRuns().verificationMode = false;
  ResetRuns();
}

}  // namespace
