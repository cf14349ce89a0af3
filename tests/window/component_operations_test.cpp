// Rows, cells and component properties through the thin operations, the
// deferred call, and the save dialog driven as a user would.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "services/ui_tasks.h"
#include "services/components.h"
#include "services/file_dialog.h"
#include "services/list_control.h"
#include "shell/main_window.h"
#include "tests/support/dialog_user.h"
#include "tests/window/window_test_support.h"

namespace {

// The list operations work on any report list. 超级列表框 keeps no rows of
// its own, so they are tried on one that does, in the same window.
class PlainList {
 public:
  explicit PlainList(HWND parent)
      : list_(CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300,
                              200, parent, nullptr, GetModuleHandleA(nullptr), nullptr)) {
    for (int i = 0; i < 5; ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_WIDTH | LVCF_SUBITEM;
      column.cx = 50;
      column.iSubItem = i;
      SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
  }
  ~PlainList() { DestroyWindow(list_); }
  PlainList(const PlainList&) = delete;
  PlainList& operator=(const PlainList&) = delete;
  operator HWND() const { return list_; }

 private:
  HWND list_;
};

TEST(ListRows, InsertWithoutOrWithNegativePositionAppends) {
  TestMainWindow window;
  const PlainList list(window.Handle());
  EXPECT_EQ(ListInsertRow(list, std::nullopt, "1"), 0);
  EXPECT_EQ(ListInsertRow(list, std::nullopt, "2"), 1);
  EXPECT_EQ(ListInsertRow(list, std::nullopt, "3"), 2);
  EXPECT_EQ(ListInsertRow(list), 3);
  EXPECT_EQ(ListInsertRow(list, -5, "5"), 4);
  EXPECT_EQ(ListInsertRow(list, 0, "first"), 0);
  EXPECT_EQ(ListItemCount(list), 6);
  EXPECT_EQ(ListGetCellText(list, 0), Text("first"));
  EXPECT_EQ(ListGetCellText(list, 4), Text(""));
  EXPECT_EQ(ListGetCellText(list, 5), Text("5"));

  LVITEMA item{};
  item.mask = LVIF_STATE | LVIF_IMAGE | LVIF_INDENT | LVIF_PARAM;
  item.iItem = 5;
  item.stateMask = 0xFFFFFFFF;
  ASSERT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.state & LVIS_STATEIMAGEMASK, 0u);
  EXPECT_EQ(item.iIndent, 0);
  EXPECT_EQ(item.lParam, 0);

  EXPECT_TRUE(ListDeleteAllRows(list));
  EXPECT_EQ(ListItemCount(list), 0);
}

TEST(ListRows, GivenStateImageIndentAndDataAreStored) {
  TestMainWindow window;
  const PlainList list(window.Handle());
  ASSERT_EQ(ListInsertRow(list, std::nullopt, "x", 0, 1, -4, 77), 0);
  LVITEMA item{};
  item.mask = LVIF_STATE | LVIF_INDENT | LVIF_PARAM;
  item.stateMask = LVIS_STATEIMAGEMASK;
  ASSERT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.state & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
  EXPECT_EQ(item.iIndent, 0);
  EXPECT_EQ(item.lParam, 77);
}

TEST(ListCells, TextsOfEveryColumnRoundTripWhateverTheirLength) {
  TestMainWindow window;
  const PlainList list(window.Handle());
  ASSERT_EQ(ListInsertRow(list, std::nullopt, "1"), 0);
  const Text gbk("C:\\\x81\x5C\\\xD5\xFD\xD4\xDA.txt");  // 乗 and 正在: second bytes 0x5C
  EXPECT_TRUE(ListSetCellText(list, 0, 1, gbk));
  EXPECT_EQ(ListGetCellText(list, 0, 1), gbk);

  // 511 fills the first 512-byte buffer exactly; 600 needs the second.
  for (int length : {510, 511, 512, 600, 5000}) {
    SCOPED_TRACE(length);
    const Text longText(std::string(static_cast<std::size_t>(length), 'a'));
    EXPECT_TRUE(ListSetCellText(list, 0, 3, longText));
    EXPECT_EQ(ListGetCellText(list, 0, 3), longText);
  }
  EXPECT_TRUE(ListSetCellText(list, 0, 3));
  EXPECT_EQ(ListGetCellText(list, 0, 3), Text());
  EXPECT_EQ(ListGetCellText(list, 0), Text("1"));
  EXPECT_EQ(ListGetCellText(list, 7, 1), Text());   // no such row
  EXPECT_EQ(ListGetCellText(list, -1, 1), Text());
}

TEST(ListColumns, WidthsAreTheControlsAnswer) {
  TestMainWindow window;
  EXPECT_EQ(ListColumnWidth(ShownWindow().list.Handle(), 0), 20);
  EXPECT_EQ(ListColumnWidth(ShownWindow().list.Handle(), 3), 200);
  SendMessageA(ShownWindow().list.Handle(), LVM_SETCOLUMNWIDTH, 4, 107);
  EXPECT_EQ(ListColumnWidth(ShownWindow().list.Handle(), 4), 107);
  EXPECT_EQ(ListColumnWidth(ShownWindow().list.Handle(), 9), 0);
}

TEST(Components, ProgressPositionIsClampedToTheBar) {
  TestMainWindow window;
  const auto position = [] { return SendMessageA(ShownWindow().progressBar, PBM_GETPOS, 0, 0); };
  SetProgressPosition(ShownWindow().progressBar, 45);
  EXPECT_EQ(position(), 45);
  SetProgressPosition(ShownWindow().progressBar, 40000);
  EXPECT_EQ(position(), 100);
  SetProgressPosition(ShownWindow().progressBar, -3);
  EXPECT_EQ(position(), 0);
  // Above 32767 the first clamp shows on a wider bar.
  SendMessageA(ShownWindow().progressBar, PBM_SETRANGE32, 0, 50000);
  SetProgressPosition(ShownWindow().progressBar, 40000);
  EXPECT_EQ(position(), 32767);
}

TEST(Components, CaptionAndVisibilityAreSetOnTheWindow) {
  TestMainWindow window;
  SetCaption(ShownWindow().countLabel, "\xD7\xDC\xCA\xFD\xC1\xBF:3 ->> 1");
  char text[64] = {};
  GetWindowTextA(ShownWindow().countLabel, text, sizeof text);
  EXPECT_STREQ(text, "\xD7\xDC\xCA\xFD\xC1\xBF:3 ->> 1");
  SetVisible(ShownWindow().exportButton, false);
  EXPECT_FALSE(IsWindowVisible(ShownWindow().exportButton));
  SetVisible(ShownWindow().exportButton, true);
  EXPECT_TRUE(IsWindowVisible(ShownWindow().exportButton));
}

TEST(Components, WorkerThreadsReachTheControlsThroughTheWindowThread) {
  TestMainWindow window;
  const PlainList list(window.Handle());
  ListInsertRow(list, std::nullopt, "1");
  std::atomic<bool> done{false};
  std::thread worker([&] {
    ListSetCellText(list, 0, 4, "45%");
    SetProgressPosition(ShownWindow().progressBar, 45);
    SetCaption(ShownWindow().countLabel, "x");
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(ListGetCellText(list, 0, 4), Text("45%"));
  EXPECT_EQ(SendMessageA(ShownWindow().progressBar, PBM_GETPOS, 0, 0), 45);
}

int calls;
std::intptr_t lastArguments[3];
void Record(std::intptr_t a, std::intptr_t b, std::intptr_t c) {
  ++calls;
  lastArguments[0] = a;
  lastArguments[1] = b;
  lastArguments[2] = c;
}

// The window thread's tasks of the test running now.
UiTasks* tasks = nullptr;

TEST(CallLater, ASecondRequestWhileOneWaitsIsDroppedAndTheFirstRunsOnce) {
  UiTasks ownTasks;
  tasks = &ownTasks;
  calls = 0;
  EXPECT_TRUE(tasks->CallLater(Record, 1, 2, 3));
  EXPECT_FALSE(tasks->CallLater(Record, 4, 5, 6));
  EXPECT_EQ(calls, 0);
  ASSERT_TRUE(PumpUntil([] { return calls > 0; }));
  PumpFor(200);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(lastArguments[0], 1);
  EXPECT_EQ(lastArguments[2], 3);
  // Free again once it has run.
  EXPECT_TRUE(tasks->CallLater(Record));
  ASSERT_TRUE(PumpUntil([] { return calls == 2; }));
  EXPECT_EQ(lastArguments[0], 0);
}

TEST(CallLater, NoProcedureIsNoRequest) {
  UiTasks ownTasks;
  tasks = &ownTasks;
  calls = 0;
  EXPECT_FALSE(tasks->CallLater(nullptr));
  EXPECT_TRUE(tasks->CallLater(Record, 10));
  ASSERT_TRUE(PumpUntil([] { return calls == 1; }));
  EXPECT_EQ(lastArguments[0], 10);
}

void AskAgain(std::intptr_t, std::intptr_t, std::intptr_t) {
  if (++calls == 1) tasks->CallLater(AskAgain);
}

TEST(CallLater, TheCalledProcedureMayAskForTheNextCall) {
  UiTasks ownTasks;
  tasks = &ownTasks;
  calls = 0;
  EXPECT_TRUE(tasks->CallLater(AskAgain));
  EXPECT_TRUE(PumpUntil([] { return calls == 2; }));
}

std::string TempFolder() {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "md5check-dialog-test";
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

TEST(FileDialog, ExportDialogTakesANewNameAndAddsTheDefaultExtension) {
  TestMainWindow window;
  const std::string folder = TempFolder();
  const std::string chosen = folder + "\\new-digests";
  DeleteFileA((chosen + ".txt").c_str());
  SetDialogFileName(ShownWindow().exportDialog, "md5.ini");
  bool confirmed = false;
  {
    DialogUser user(chosen, true);
    confirmed = RunFileDialog(ShownWindow().exportDialog, window.Handle());
  }
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(GetDialogFileName(ShownWindow().exportDialog), Text((chosen + ".txt").c_str()));
}

TEST(FileDialog, CancelLeavesTheFileNameAsItWas) {
  TestMainWindow window;
  SetDialogFileName(ShownWindow().exportDialog, "md5.ini");
  bool confirmed = true;
  {
    DialogUser user(TempFolder() + "\\ignored", false);
    confirmed = RunFileDialog(ShownWindow().exportDialog, window.Handle());
    EXPECT_TRUE(user.Found() || !confirmed);
  }
  EXPECT_FALSE(confirmed);
  EXPECT_EQ(GetDialogFileName(ShownWindow().exportDialog), Text("md5.ini"));
}

TEST(FileDialog, AnUnknownDialogTypeShowsNothing) {
  FileDialogComponent dialog;
  dialog.type = static_cast<FileDialogComponent::Type>(7);
  dialog.fileName = "keep";
  EXPECT_FALSE(RunFileDialog(dialog));
  EXPECT_EQ(dialog.fileName, Text("keep"));
}

}  // namespace
